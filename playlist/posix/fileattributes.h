// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <sys/types.h>

#include <optional>
#include <vector>

// What a file carries beside its content: its permission bits, ACL and extended attributes.
namespace FileAttributes {

// Gives the open file `to` the extended attributes of the open file `from`, its ACL
// included (which also sets the group bits to what they were), and no ACL where `from` has
// none. Returns false when one cannot be carried over.
bool carry(int from, int to);

// The permission bits a file made in the folder `dir` with mode 0666 would get: those the
// folder's default ACL gives, or 0666 less the process's umask. A file made 0600 and then
// given these ends exactly as one made 0666 would, without a moment of being readable.
mode_t newFileMode(int dir);

// One entry of an ACL, as libacl reads it.
struct AclEntry {
    enum Tag { Owner, User, OwningGroup, Group, Mask, Others } tag = Others;
    bool read = false;
    bool write = false;
    unsigned id = 0; // the user or group of a User or Group entry
};
enum class AclKind { Access, Default };
// The ACL of what `fd` is open on (a folder held by path only too); none where it has
// none beyond its mode bits, or the file system keeps none.
std::optional<std::vector<AclEntry>> acl(int fd, AclKind kind);

} // namespace FileAttributes

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>

#include <sys/stat.h>

// Small facts of the system that several steps of a save ask for, each answered once here.
namespace SaveCommon {

// What a file or folder is while the program runs: "device:inode".
QByteArray identityKey(const struct stat& st);
// The same for what `fd` is open on; empty when the system cannot say.
QByteArray identityKey(int fd);

// The name under which `fd` is reached through /proc, path-only descriptors included (the
// attribute and link calls have no descriptor form for those).
QByteArray procPath(int fd);

// Where what `fd` is open on is now, as bytes (Linux keeps it current through renames and
// moves); empty when it was removed or the system cannot give the path whole.
QByteArray currentPath(int fd);

// Sixteen random lower-case hexadecimal digits, for names no one else picks.
QByteArray randomHex16();

// Whether `error` is how a file system without permission bits (FAT through FUSE, some
// network shares) refuses a change of mode: the file keeps the mode it gives.
bool meansNoPermissionBits(int error);

} // namespace SaveCommon

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "saveio.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// Where a save writes: a name in a folder. The folder is the listed one, or the folder a
// link leads to, held open (by path only: a folder that may be searched but not read is
// followed too) while the save runs.
struct SavePlace {
    int dir = -1;      // the folder's descriptor: `folder` or the listed folder's
    SaveIo::Fd folder; // owned when the place was reached through a link
    QByteArray name;   // one path component
};

// Follows symbolic links as the system would, one component at a time relative to the
// folders on the way, refusing what a save must not follow: a link that someone else may
// have put there to steer the save onto a file of the user's.
namespace LinkFollower {

// What became of a follow that did not end at a place.
struct Stop {
    QByteArray dangling;  // ENOENT: what the last link points to, when that does not exist
    bool refused = false; // EACCES: a link that must not be followed (see follow())
    uid_t linkOwner = 0;  // then: who made it
};

// Follows the link `name` in `dirFd`, and every link on the way, to what it finally names.
// A link is followed only when it belongs to the user or to root, or lies in a folder
// that nobody else may change (mayOthersChange()). Returns 0 and fills `place`, or an
// errno with `stop` telling more: ENOENT for a link to nothing, EACCES for a link refused.
int follow(int dirFd, const QByteArray& name, SavePlace& place, Stop& stop);

// Whether anyone but the user (and root) may add or replace names in the folder `dirFd`:
// its owner when that is someone else, anyone by the others' write bit, the members of
// its group by the group's write bit (or the ACL's group entry and mask), and the users
// and groups its ACL lets write. A group counts when someone else belongs to it. The
// sticky bit does not help: it keeps others from replacing a name, not from taking a
// free one first.
bool mayOthersChange(int dirFd);

} // namespace LinkFollower

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "saveio.h"

#include <QByteArray>
#include <QString>

// Where a save writes: a name in a folder. The folder is the listed one, or the folder a
// link leads to, held open (by path only: a folder that may be searched but not read is
// followed too) while the save runs.
struct SavePlace {
    int dir = -1;          // the folder's descriptor: `folder` or the listed folder's
    SaveIo::Fd folder;     // owned when the place was reached through a link
    QByteArray name;       // one path component
};

// Follows symbolic links as the system would, one component at a time relative to the
// folders on the way, refusing what a save must not follow.
namespace LinkFollower {

// Follows the link `name` in `dirFd` to what it finally names. Returns 0 and fills `place`,
// ENOENT with `dangling` set to what the last link points to when that does not exist,
// EACCES with `refused` set for a link that must not be followed (one made by another
// user in a folder everyone may write to, like /tmp), or another errno.
int follow(int dirFd, const QByteArray& name, SavePlace& place, QByteArray& dangling,
           bool& refused);

} // namespace LinkFollower

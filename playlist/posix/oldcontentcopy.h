// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "saveio.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A whole copy of a file's old content, synced to the disk before the file is rewritten
// in place, so that a crash, a power cut or a full disk during the rewrite never loses it.
//
// The copy is made beside the file, under SaveTypes::backupName(), made from the
// name's bytes. Where that cannot be (the name would be too long, the folder takes no new
// file, there is no room, or a file of that name is there already), it is made in the
// user's state folder: $XDG_STATE_HOME/cantorel/backups/ (by default
// ~/.local/state/cantorel/backups/, made 0700), in a folder of a random name of its own
// under the file's own name, with a record beside it (the same random name plus
// ".origin") of the file's folder (its path's bytes, its device and inode, and the file
// system's own identity, which outlives a device number) and its name's bytes. By that
// record, not by any name, a copy left there is found again: the record is filed under
// keys made from each of those (../index/KEY/ID, beside the backups), so a save looks up its own few records
// directly, however many there are. The record is on the disk before the copy takes its
// name, so no copy can be left without one.
//
// Every copy is made with mode 0600, written and synced under a temporary name or none,
// and given its name only once complete: a name of a copy never holds a part of one.
class OldContentCopy
{
public:
    OldContentCopy() = default;
    OldContentCopy(const OldContentCopy&) = delete;
    OldContentCopy& operator=(const OldContentCopy&) = delete;

    // Copies `old`, the content of `name` in the folder `dir`; `fileFd` is the file open.
    // Returns whether a complete, synced copy exists now; failure() says why not.
    bool make(int dir, const QByteArray& name, const QByteArray& old, int fileFd);

    // Why no copy could be made anywhere: beside the file an older copy was in the way, or
    // the system's error there; and the system's error in the state folder (its path).
    bool olderCopyInTheWay() const { return m_olderCopyInTheWay; }
    int besideError() const { return m_besideError; }
    int stateError() const { return m_stateError; }
    QString stateFolderShown() const;
    // The copy's path, for the user.
    QString path() const { return m_path; }

    // Removes the copy and syncs its removal, so that it does not come back after a power
    // cut. Returns 0 or an errno.
    int remove();

    // Copies of `name` in the folder `dir` that saves cut off earlier left, beside it and
    // in the state folder; their paths, for the user. Only the user's own copies count: a
    // regular file with one link, not empty; whatever else has a copy's name is not named.
    struct Leftovers {
        QStringList copies;   // of this very file
        QStringList samePath; // recorded for a folder of the same path, which may be this
                              // one on a disk attached again, or another one since
    };
    static Leftovers leftovers(int dir, const QByteArray& name);

    // `name` in the folder `dir` as the user is shown it: its whole path; or where the
    // system cannot give the folder's path whole, the name alone, which then stands for
    // the name in the listed folder.
    static QString shownPath(int dir, const QByteArray& name);

    // The user's state folder for copies, as bytes; empty when the user has no home.
    static QByteArray stateFolder();

private:
    int makeBeside(const QByteArray& old);
    int makeInStateFolder(const QByteArray& old);

    enum class Where { Nowhere, Beside, StateFolder };
    Where m_where = Where::Nowhere;
    int m_dir = -1;
    SaveIo::Fd m_file; // the file, for syncing a folder held by path only
    QByteArray m_name;
    SaveIo::Fd m_backups;     // the state folder's backups, while a copy is there
    QByteArray m_id;          // the copy's folder there
    QList<QByteArray> m_keys; // its record's keys in the index
    QString m_path;
    bool m_olderCopyInTheWay = false;
    int m_besideError = 0;
    int m_stateError = 0;
};

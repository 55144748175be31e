// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "savetypes.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>

class FolderHandle;

// Writes one playlist file so that a save never lies and never destroys a file: "saved" only
// when every byte reached the disk, and on any failure the existing file is exactly as it
// was and no temporary file is left. Each failure names the step that failed and the
// system's own reason (a Reason code and its facts, see Result).
//
// A playlist is written into one folder, reached through its handle (FolderHandle), under
// a name that is one component of a path: never into another folder. What a write does
// with the name it is given:
// - a name that cannot name a file of its own here (see nameProblem()) is refused;
// - a symbolic link is followed to the file it points to; a link to nothing is refused,
//   and so is a link that belongs neither to the user saving nor to root in a folder that
//   someone else may write (by its owner, mode bits, group or ACL), on the way too: no one
//   else can steer a save onto a file of the user's;
// - an existing media file (a name the file list shows, in any letter case, or a file
//   whose first bytes are media or binary data, see MediaContent), a folder, a pipe, a
//   device or a socket is refused without writing anything; a read-only file too;
// - a new name gets the new content only if nothing took that name meanwhile: whatever
//   appeared during the save is left alone and the save says so;
// - otherwise the new content goes to a file beside the target, is synced to the disk and
//   swapped with the target in one step, which keeps the target's permission bits, ACL
//   and extended attributes; what comes out must be the file examined, else it is swapped
//   back and the save says so. Where the system cannot swap, the file is rewritten in
//   place (below), which replaces nothing but the file examined;
// - where a rename would change the file or lose what its owner set (other hard links, an
//   owner or group that a new file would not get, a folder where no new file can be made,
//   a mode or attribute the new file cannot take), the file is rewritten in place instead,
//   and only once a whole copy of its old content is synced to the disk: beside it
//   (backupName()), or where that cannot be, in the user's state folder
//   ($XDG_STATE_HOME/cantorel/backups/). Where no copy can be made, the save is refused
//   and the file not touched. A failure puts the old content back; the message then says
//   what the file holds, read back, and where the copy is kept when it is damaged;
// - a copy left by a cut-off save is never reused or overwritten: the save makes another,
//   and tells the user once where the older one is kept (Result::olderCopies), whatever
//   the save's outcome, refusals included;
// - one writer at a time: the existing file is locked for the whole save; another save of
//   it waits for lockWait and then reports that another program is writing it (or reading
//   or using it, for a reader's lock or a lease).
// Every file a save makes is made with mode 0600 and given its final mode afterwards, and
// "saved" means the new name is synced too. Content is written unnamed where the system
// allows, and named only just before it takes its place; leftovers of killed saves (this
// writer's temporary names exactly, over a minute old) are removed from the folder saved
// into, at the writer's first save there. Copies of old content are never removed as
// leftovers.
//
// What is refused, and in which order, is SavePolicy's, the same on every platform; the steps
// are one implementation per platform, chosen by the build: playlistwriter_posix.cpp and
// playlistwriter_win.cpp.
class PlaylistWriter
{
public:
    using Reason = SaveTypes::Reason;
    using Kind = SaveTypes::Kind;
    using Holds = SaveTypes::Holds;
    using Result = SaveTypes::Result;
    using WriteFault = SaveTypes::WriteFault;
    static constexpr int kNoProgress = SaveTypes::kNoProgress;

    Result write(const FolderHandle& folder, const QString& name, const QByteArray& bytes) const;

    // Why `name` cannot be the name of a playlist in the folder (Reason::None when it
    // can): SavePolicy::nameRefusal with this platform's path separators.
    static Result nameProblem(const QString& name);

    // The copy of `name`'s old content beside it: SaveTypes::backupName.
    static QByteArray backupName(const QByteArray& name) { return SaveTypes::backupName(name); }

    void setWriteFault(const WriteFault& fault)
    {
        const std::atomic<bool>* cancel = m_fault.cancel;
        m_fault = fault;
        m_fault.cancel = cancel;
    }
    // A flag another thread may set while write() runs: the save then stops at the next
    // safe point (between chunks of the new content, and once they are all written) and
    // fails with Reason::Cancelled, undone as any failed write is. Null: not cancellable.
    // A save in progress still holds the writer: one write() at a time, on one thread.
    void setCancelFlag(const std::atomic<bool>* cancel) { m_fault.cancel = cancel; }
    // How long a save waits for another writer of the same file (the platform's lock).
    void setLockWait(int milliseconds) { m_lockWaitMs = milliseconds; }

private:
    WriteFault m_fault;
    int m_lockWaitMs = 3000;
    // The folders (device and inode) whose leftovers of killed saves were already removed.
    mutable QSet<QByteArray> m_sweptFolders;
    // The files (folder's device and inode, and name) whose older copies the user was told of.
    mutable QSet<QByteArray> m_toldLeftovers;
};

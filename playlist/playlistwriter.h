// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QObject>
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
    Q_GADGET

public:
    // Why a save did not happen (or what went wrong on the way), as a code; the facts that
    // go with it are in Result. The words for the user are the program's, not the writer's.
    enum class Reason {
        None,
        // The user stopped the save (setCancelFlag); the file is left as after a failed
        // write (`holds`, `copyPath`), and a new file is removed again.
        Cancelled,
        // The name (nameRefusal()): `subject` is the name, or the character at fault.
        NameIsFolder,     // "." or ".."
        NameHasControl,   // a control character or a line break
        NameHasSeparator, // a path separator (`subject`)
        NameUnstorable,   // a lone UTF-16 surrogate
        // What the name holds.
        FolderInTheWay,
        NotAFile,         // `kind` says what it is
        LinkToNothing,    // `subject`: the link's text
        SharedFolderLink, // another user's link in a folder others may write: `subject`
                          // names the link's owner
        LinkToMedia,      // `subject`: the name the link leads to
        MediaName,
        ReadOnly,
        MediaContent,     // `subject`: the media format found
        BinaryContent,
        // Others at work on the same name.
        AnotherWriter,    // `waitMs`: how long the save waited for the lock
        AnotherReader,
        ReplacedMeanwhile,
        TakenMeanwhile,
        // An in-place rewrite without a copy of the old content.
        TooLargeToCopy,
        NoCopyKept,       // `besideError`/`olderCopyInTheWay`, `stateFolder`, `stateError`
        // A step that failed with the system's reason (`error`, or `errorText`).
        FolderUnusable,
        NameUnusable,
        LinkUnfollowable,
        CannotChange,
        OpenFailed,
        LockFailed,
        ExamineFailed,
        CheckReadFailed,
        NewFileFailed,
        NewExamineFailed,
        NewModeFailed,
        KeepModeFailed,
        WriteFailed,
        SyncFailed,
        CloseFailed,
        CloseNewFailed,
        PlaceFailed,
        NewFolderSyncFailed, // the new file was removed again
        FolderSyncFailed,    // the new file is in place but may be lost in a power cut
        OldReadFailed,
    };
    Q_ENUM(Reason)
    // What a name holds that is not a file.
    enum class Kind { Pipe, Socket, Device, Other };
    // After a failed in-place rewrite: what the file holds, read back.
    enum class Holds { Untouched, OldContent, Damaged };
    // The system's error that is no errno: a write that took no bytes at all.
    static constexpr int kNoProgress = -1;

    struct Result {
        bool saved = false;
        Reason reason = Reason::None; // when not saved: what stopped the save
        int error = 0;                // the system's error (an errno value, or kNoProgress)
        QString errorText;            // the system's own words, where it gives no number
        QString subject;              // the name, character, link text or format at fault
        Kind kind = Kind::Other;
        int waitMs = 0;
        // A failed in-place rewrite: what the file holds now, why the old content could not
        // be put back, and where its whole copy is kept when it is damaged. After a failed
        // sync of a new name, restoreError says why the new file could not be removed.
        Holds holds = Holds::Untouched;
        int restoreError = 0;
        QString copyPath;
        // No copy could be made: why not beside the file, and why not in the state folder.
        bool olderCopyInTheWay = false;
        int besideError = 0;
        QString stateFolder;
        int stateError = 0;
        // Saved or not, what the user should know besides: where older copies of the file's
        // content, left by saves that were cut off, are kept. Empty almost always. A path
        // that is a name alone is that name in the listed folder, whose path the system
        // could not give whole.
        QStringList olderCopies;
        // Copies recorded for a folder of the same path but another identity: this folder
        // on a disk attached again, or another folder since put in its place.
        QStringList olderCopiesSamePath;
    };

    // Test seam for failures a real file system cannot be made to produce on demand. It
    // applies to the writing of the new content only, never to putting old content back.
    struct WriteFault {
        qint64 atByte = -1;  // the write that would pass this offset of the file fails there
        int error = 0;       // the error it fails with (an errno value); 0: it writes nothing
        qint64 maxChunk = 0; // > 0: no write takes more than this many bytes (short writes)
        // Set through setCancelFlag, not a fault: writing the new content stops between
        // chunks once it is true.
        const std::atomic<bool>* cancel = nullptr;
    };

    Result write(const FolderHandle& folder, const QString& name, const QByteArray& bytes) const;

    // Why `name` cannot be the name of a playlist in the folder (Reason::None when it
    // can): SavePolicy::nameRefusal with this platform's path separators.
    static Result nameProblem(const QString& name);

    // The name of the copy of `name`'s old content that an in-place rewrite keeps beside
    // it while it runs, made from the name's bytes (so two names never share one), left
    // behind only when the program dies during the rewrite. A save never overwrites or
    // removes a copy it did not make.
    static QByteArray backupName(const QByteArray& name)
    {
        return '.' + name + ".cantorel-backup";
    }

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

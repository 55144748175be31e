// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "mediacontent.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>

// The vocabulary of a save, below the writer, its policy and its platform steps alike: why
// a save did not happen (Reason), what a name held (Kind), what a file holds after a failed
// rewrite (Holds), the whole answer (Result) and the test seam (WriteFault).
namespace SaveTypes {
Q_NAMESPACE

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
    MediaContent, // `mediaFormat`: the media format found
    BinaryContent,
    // Others at work on the same name.
    AnotherWriter, // `waitMs`: how long the save waited for the lock
    AnotherReader,
    ReplacedMeanwhile,
    TakenMeanwhile,
    // An in-place rewrite without a copy of the old content.
    TooLargeToCopy,
    NoCopyKept, // `besideError`/`olderCopyInTheWay`, `stateFolder`, `stateError`
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
Q_ENUM_NS(Reason)
// What a name holds that is not a file.
enum class Kind { Pipe, Socket, Device, Other };
// After a failed in-place rewrite: what the file holds, read back.
enum class Holds { Untouched, OldContent, Damaged };
// The system's error that is no errno: a write that took no bytes at all.
inline constexpr int kNoProgress = -1;

struct Result {
    bool saved = false;
    Reason reason = Reason::None; // when not saved: what stopped the save
    int error = 0;                // the system's error (an errno value, or kNoProgress)
    QString errorText;            // the system's own words, where it gives no number
    QString subject;              // the name, character, link text or format at fault
    Kind kind = Kind::Other;
    MediaContent::Format mediaFormat = MediaContent::Format::None;
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
    // Set through PlaylistWriter::setCancelFlag, not a fault: writing the new content stops
    // between chunks once it is true.
    const std::atomic<bool>* cancel = nullptr;
};

// The name of the copy of `name`'s old content that an in-place rewrite keeps beside it
// while it runs, made from the name's bytes (so two names never share one), left behind
// only when the program dies during the rewrite. A save never overwrites or removes a copy
// it did not make.
inline QByteArray backupName(const QByteArray& name) { return '.' + name + ".cantorel-backup"; }

} // namespace SaveTypes

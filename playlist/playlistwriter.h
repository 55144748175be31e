#pragma once

#include <QByteArray>
#include <QString>

class FolderHandle;

// Writes one playlist file so that a save never lies and never destroys a file: "saved" only
// when every byte reached the disk, and on any failure the existing file is exactly as it
// was and no temporary file is left. Each failure names the step that failed and the
// system's own reason.
//
// A playlist is written into one folder, reached through its handle (FolderHandle), under
// a name that is one component of a path: never into another folder. What a write does
// with the name it is given:
// - a name that cannot name a file of its own here (see nameProblem()) is refused;
// - a symbolic link is followed to the file it points to; a link to nothing is refused;
// - an existing media file (a name the file list shows, in any letter case), a folder, a
//   pipe, a device or a socket is refused without writing anything; a read-only file too;
// - otherwise the new content goes to a temporary file beside the target, is synced to the
//   disk and renamed over the target, which keeps the target's permission bits;
// - where a rename would change the file's identity (other hard links, an owner or group
//   that a new file would not get, a folder where no new file can be made), the file is
//   rewritten in place instead, after keeping its old content in memory; a failure puts
//   the old content back.
//
// One implementation per platform, chosen by the build: playlistwriter_posix.cpp and
// playlistwriter_win.cpp.
class PlaylistWriter
{
public:
    struct Result {
        bool saved = false;
        QString reason; // when not saved: what stopped the save, in a sentence for the user
    };

    // Test seam for failures a real file system cannot be made to produce on demand. It
    // applies to the writing of the new content only, never to putting old content back.
    struct WriteFault {
        qint64 atByte = -1;  // the write that would pass this offset of the file fails there
        int error = 0;       // the error it fails with (an errno value); 0: it writes nothing
        qint64 maxChunk = 0; // > 0: no write takes more than this many bytes (short writes)
    };

    Result write(const FolderHandle& folder, const QString& name, const QByteArray& bytes) const;

    // Why `name` cannot be the name of a playlist in the folder, in a sentence for the
    // user; empty when it can. Refused are names holding a control character, a line
    // break or a character the playlist box splits lines at (those the file list never
    // shows), a character that has no bytes in a file name (a lone UTF-16 surrogate), the
    // platform's path separators, and "." and "..". A name the file system itself refuses
    // (too long, say) is left for the system to report.
    static QString nameProblem(const QString& name);

    void setWriteFault(const WriteFault& fault) { m_fault = fault; }

private:
    WriteFault m_fault;
};

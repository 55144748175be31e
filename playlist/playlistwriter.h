#pragma once

#include <QByteArray>
#include <QString>

// Writes one playlist file so that a save never lies and never destroys a file: "saved" only
// when every byte reached the disk, and on any failure the existing file is exactly as it
// was and no temporary file is left. Each failure names the step that failed and the
// system's own reason.
//
// What a write does with the name it is given:
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

    Result write(const QString& path, const QByteArray& bytes) const;

    void setWriteFault(const WriteFault& fault) { m_fault = fault; }

private:
    WriteFault m_fault;
};

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// cantorel_savehelper: one save through PlaylistWriter, in a process of its own, so that a
// test can kill a save part way or run two at once.
//
//   cantorel_savehelper FOLDER NAME CONTENT_FILE [LOCK_WAIT_MS]
//
// Writes the bytes of CONTENT_FILE into FOLDER under NAME. Prints "saved" and exits 0, or
// prints the reason's code and the system's error ("WriteFailed error=5", with
// " subject=..." where the reason has one) and exits 1; the older copies the writer tells of
// follow on a line of their own ("older copies: PATHS", "older copies of the same path: ...").
#include "folderhandle.h"
#include "playlistwriter.h"

#include <QFile>
#include <QMetaEnum>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 4 || argc > 5) {
        std::fprintf(stderr, "usage: cantorel_savehelper FOLDER NAME CONTENT_FILE [LOCK_WAIT_MS]\n");
        return 2;
    }
    QFile content(QFile::decodeName(argv[3]));
    if (!content.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[3]);
        return 2;
    }
    PlaylistWriter writer;
    if (argc == 5)
        writer.setLockWait(std::atoi(argv[4]));
    const PlaylistWriter::Result result = writer.write(
        FolderHandle::open(QFile::decodeName(argv[1])), QFile::decodeName(argv[2]), content.readAll());
    if (result.saved)
        std::printf("saved\n");
    else
        std::printf("%s error=%d%s\n",
            QMetaEnum::fromType<PlaylistWriter::Reason>().valueToKey(int(result.reason)), result.error,
            result.subject.isEmpty() ? "" : (" subject=" + result.subject.toUtf8()).constData());
    if (!result.olderCopies.isEmpty())
        std::printf("older copies: %s\n", result.olderCopies.join(u", ").toUtf8().constData());
    if (!result.olderCopiesSamePath.isEmpty())
        std::printf("older copies of the same path: %s\n",
            result.olderCopiesSamePath.join(u", ").toUtf8().constData());
    return result.saved ? 0 : 1;
}

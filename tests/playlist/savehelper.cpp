// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// cantorel_savehelper: one save through PlaylistWriter, in a process of its own, so that a
// test can kill a save part way or run two at once.
//
//   cantorel_savehelper FOLDER NAME CONTENT_FILE [LOCK_WAIT_MS]
//
// Writes the bytes of CONTENT_FILE into FOLDER under NAME. Prints "saved" and exits 0, or
// prints the reason and exits 1; what the writer has to tell besides follows on a line of
// its own.
#include "folderhandle.h"
#include "playlistwriter.h"

#include <QFile>

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
    std::printf("%s\n", result.saved ? "saved" : result.reason.toUtf8().constData());
    if (!result.notice.isEmpty())
        std::printf("%s\n", result.notice.toUtf8().constData());
    return result.saved ? 0 : 1;
}

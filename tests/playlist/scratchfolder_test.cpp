// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "scratchfolder.h"

#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

// A test's folder goes with everything in it, names that are not UTF-8 and links included;
// what a link points at outside stays.
TEST(ScratchFolderTest, RemovesNamesOfAnyBytes)
{
    ScratchFolder outside;
    ASSERT_TRUE(outside.isValid());
    const QByteArray kept = QFile::encodeName(outside.path()) + "/kept.mp3";
    ASSERT_TRUE(QFile(outside.filePath(u"kept.mp3"_s)).open(QIODevice::WriteOnly));

    QByteArray root;
    {
        ScratchFolder scratch;
        ASSERT_TRUE(scratch.isValid());
        root = QFile::encodeName(scratch.path());
        ASSERT_EQ(::mkdir((root + "/caf\xe9").constData(), 0755), 0);
        ASSERT_EQ(::mkdir((root + "/caf\xe9/\x81\x8d").constData(), 0755), 0);
        const int fd = ::open(
            (root + "/caf\xe9/\x81\x8d/\x93hit\x94.mp3").constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_TRUE(fd >= 0 && ::close(fd) == 0);
        ASSERT_EQ(::symlink(kept.constData(), (root + "/caf\xe9/link\xe9").constData()), 0);
        ASSERT_EQ(
            ::symlink(QFile::encodeName(outside.path()).constData(), (root + "/folder link").constData()), 0);
    }
    EXPECT_NE(::access(root.constData(), F_OK), 0) << "the scratch folder is left behind";
    EXPECT_EQ(::access(kept.constData(), F_OK), 0) << "a link's target was removed";
}

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// The main window over a folder whose file system holds its listing or a save's write
// (cantorel_testfs) until the test lets it go: the window answers meanwhile, and a held
// save is cancelled, waited for or completed exactly. Mounting needs /dev/fuse; where the
// machine has none, the tests are skipped with the reason.
#include "clickarea.h"
#include "filelistmodel.h"
#include "filelistview.h"
#include "frmmain.h"
#include "mainwindowfixture.h"
#include "playlistbuilder.h"
#include "saveprogress.h"
#include "testfsmount.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kOld = "#EXTM3U\r\nold.mp3\r\n"_ba;

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "<missing>"_ba;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList temporaries(const TestFsMount& fs)
{
    return QDir(fs.backing()).entryList({u".cantorel-*"_s}, QDir::Files | QDir::Hidden);
}

struct HeldReadCase {
    const char* label;
    QByteArray hold; // the test file system's command
    QByteArray held; // what it says once a read waits
};

void PrintTo(const HeldReadCase& c, std::ostream* os) { *os << c.label; }

class HeldReadTest : public ::testing::TestWithParam<HeldReadCase>
{ };

// The folder's opening or its listing is held from before the folder is taken and the
// window made until the test lets it go: neither waits for it (the file system's own
// give-up comes 30 s later, and must not have come).
TEST_P(HeldReadTest, WindowAnswersWhileTheReadIsHeld)
{
    const HeldReadCase& c = GetParam();
    TestFsMount fs;
    if (!fs.mount())
        GTEST_SKIP() << fs.skipReason().toStdString();
    ASSERT_TRUE(writeFile(fs.backing(u"b.mp3"_s), {}) && writeFile(fs.backing(u"a.mp3"_s), {}));
    fs.command(c.hold);

    frmmain window(FolderHandle::open(fs.mounted()));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_FALSE(fs.waitFor(c.held).isEmpty());
    EXPECT_FALSE(fs.hasSaid("gave up read")) << "the window waited for the file system";
    EXPECT_EQ(window.File1()->model()->rowCount(), 0);
    EXPECT_TRUE(window.File1()->placeholderText().startsWith(u"Reading the folder"_s))
        << window.File1()->placeholderText().toStdString();
    EXPECT_TRUE(window.File1()->accessibleDescription().startsWith(window.File1()->placeholderText()))
        << window.File1()->accessibleDescription().toStdString();
    window.Text2()->setFocus();
    QTest::keyClicks(window.Text2(), u"party.m3u"_s);
    EXPECT_EQ(window.builder().PlaylistName(), u"party.m3u"_s);

    fs.command("releaseread");
    ASSERT_TRUE(waitForList(window));
    ASSERT_EQ(window.File1()->model()->rowCount(), 2);
    EXPECT_TRUE(window.File1()->placeholderText().isEmpty());
    window.File1()->pickRow(0);
    EXPECT_EQ(window.Text1()->toPlainText(), u"#EXTM3U\na.mp3"_s);
}

INSTANTIATE_TEST_SUITE_P(Reads, HeldReadTest,
    ::testing::Values(HeldReadCase {"listing", "holdreaddir /", "held readdir /"},
        HeldReadCase {"opening", "holdopendir /", "held opendir /"}),
    [](const auto& info) { return std::string(info.param.label); });

// Descriptors of this process open on `folder` or below (read as links, asking nothing of
// the file system they name).
int descriptorsInto(const QString& folder)
{
    const QByteArray prefix = QFile::encodeName(folder);
    int count = 0;
    for (const QString& fd : QDir(u"/proc/self/fd"_s).entryList(QDir::System | QDir::NoDotAndDotDot)) {
        char target[4096];
        const ssize_t size
            = ::readlink(QFile::encodeName(u"/proc/self/fd/"_s + fd).constData(), target, sizeof target);
        count += size > 0 && QByteArrayView(target, size).startsWith(prefix);
    }
    return count;
}

// Closing the window while a dead share holds the listing waits for nothing (the file
// system's own give-up comes 30 s later); the read, let go afterwards, ends on its own and
// leaves no descriptor behind.
TEST(SlowFolderTest, ClosingWhileTheListingIsHeldWaitsForNothing)
{
    TestFsMount fs;
    if (!fs.mount())
        GTEST_SKIP() << fs.skipReason().toStdString();
    ASSERT_TRUE(writeFile(fs.backing(u"a.mp3"_s), {}));
    fs.command("holdreaddir /");
    auto window = std::make_unique<frmmain>(FolderHandle::open(fs.mounted()));
    ASSERT_FALSE(fs.waitFor("held readdir ").isEmpty());

    window.reset();
    EXPECT_FALSE(fs.hasSaid("gave up read")) << "the window waited for the file system";
    fs.command("releaseread");
    EXPECT_TRUE(QTest::qWaitFor([&] { return descriptorsInto(fs.mounted()) == 0; }))
        << descriptorsInto(fs.mounted()) << " descriptors left open in the folder";
}

// A folder that cannot be read says so in the list's place.
TEST(SlowFolderTest, UnreadableFolderSaysSo)
{
    frmmain window {FolderHandle()};
    ASSERT_TRUE(waitForList(window));
    EXPECT_EQ(
        window.File1()->placeholderText(), u"This folder cannot be read: %1."_s.arg(qt_error_string(ENOENT)));
    EXPECT_TRUE(window.File1()->accessibleDescription().startsWith(window.File1()->placeholderText()));
}

struct HeldSaveCase {
    const char* label;
    bool hardLinked; // the file is rewritten in place, with a copy of its old content
    enum { Cancel, Release, CloseThenRelease } meanwhile;
};

void PrintTo(const HeldSaveCase& c, std::ostream* os) { *os << c.label; }

class HeldSaveTest : public ::testing::TestWithParam<HeldSaveCase>
{ };

// A save held at byte 12 shows its progress window while the window still takes picks;
// then Cancel leaves the old content, a release saves the bytes taken at the click, and a
// close meanwhile waits for the save.
TEST_P(HeldSaveTest, EndsAsAskedAndNeverHalfWay)
{
    const HeldSaveCase& c = GetParam();
    TestFsMount fs;
    if (!fs.mount())
        GTEST_SKIP() << fs.skipReason().toStdString();
    ASSERT_TRUE(writeFile(fs.backing(u"a.mp3"_s), {}) && writeFile(fs.backing(u"keep.m3u"_s), kOld));
    if (c.hardLinked) {
        ASSERT_EQ(::link(QFile::encodeName(fs.backing(u"keep.m3u"_s)).constData(),
                      QFile::encodeName(fs.backing(u"other.m3u"_s)).constData()),
            0);
    }

    frmmain window(FolderHandle::open(fs.mounted()));
    std::vector<QString> messages;
    window.builder().setMessenger(
        [&](PlaylistBuilder::SaveOutcome, const QString& text) { messages.push_back(text); });
    window.show();
    ASSERT_TRUE(waitForList(window));
    window.Text2()->setText(u"keep.m3u"_s);
    window.File1()->pickRow(0);
    const QByteArray saved = window.builder().playlist().bytes();
    SaveTypes::Result said;
    QObject::connect(
        &window.builder(), &PlaylistBuilder::saveEnded, [&](const SaveTypes::Result& r) { said = r; });

    bool progressShown = false;
    QObject::connect(&window.builder(), &PlaylistBuilder::saveProgressShown, [&](SaveProgress* progress) {
        progressShown = true;
        EXPECT_TRUE(progress->windowTitle() == u"Cantorel"_s && progress->isVisible());
        EXPECT_FALSE(fs.waitFor("stalled ").isEmpty());
        window.File1()->pickRow(0); // changes the box, not the bytes being saved
        EXPECT_EQ(window.Text1()->toPlainText(), u"#EXTM3U\na.mp3\na.mp3"_s);
        if (c.meanwhile == HeldSaveCase::Cancel)
            progress->cancel();
        if (c.meanwhile == HeldSaveCase::CloseThenRelease) {
            EXPECT_FALSE(window.close()) << "closing waits for the save";
        }
        fs.command("release");
    });
    fs.command("stall 12");
    window.cmdSave()->press();

    EXPECT_TRUE(progressShown);
    EXPECT_FALSE(window.builder().isSaving());
    ASSERT_EQ(messages.size(), 1u);
    if (c.meanwhile == HeldSaveCase::Cancel) {
        EXPECT_TRUE(messages[0].contains(u"The save was cancelled before it ended."_s))
            << messages[0].toStdString();
        EXPECT_EQ(said.reason, PlaylistWriter::Reason::Cancelled);
        EXPECT_EQ(readFile(fs.backing(u"keep.m3u"_s)), kOld);
    } else {
        EXPECT_EQ(messages[0], u"Saved"_s);
        EXPECT_EQ(readFile(fs.backing(u"keep.m3u"_s)), saved);
    }
    if (c.hardLinked) {
        EXPECT_EQ(readFile(fs.backing(u"other.m3u"_s)), readFile(fs.backing(u"keep.m3u"_s)));
    }
    EXPECT_EQ(window.isVisible(), c.meanwhile != HeldSaveCase::CloseThenRelease);
    EXPECT_EQ(temporaries(fs), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Cases, HeldSaveTest,
    ::testing::Values(HeldSaveCase {"cancel_by_rename", false, HeldSaveCase::Cancel},
        HeldSaveCase {"cancel_in_place", true, HeldSaveCase::Cancel},
        HeldSaveCase {"release", false, HeldSaveCase::Release},
        HeldSaveCase {"close_then_release", true, HeldSaveCase::CloseThenRelease}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace

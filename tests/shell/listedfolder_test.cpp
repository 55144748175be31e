// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// The folder the main window lists is the folder it saves into, whatever its path: bytes
// that are not UTF-8, a path longer than the system gives out, a folder renamed or removed
// after the window was made. Folders are reached by bytes and descriptors here, as a
// QString path cannot name all of them.
#include "filelistview.h"
#include "frmmain.h"
#include "mainwindowfixture.h"
#include "playlistbuilder.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

using Outcome = PlaylistBuilder::SaveOutcome;

const QByteArray kName = "cantorel-listed-folder-test.m3u";

// A file's bytes under `dir`, or "<missing>".
QByteArray readAt(int dir, const QByteArray& name)
{
    const int fd = ::openat(dir, name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return "<missing>";
    QByteArray bytes;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, n);
    ::close(fd);
    return bytes;
}

void writeAt(int dir, const QByteArray& name, const QByteArray& bytes)
{
    const int fd = ::openat(dir, name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << name.constData();
    ASSERT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
    ::close(fd);
}

int mkdirOpen(int dir, const QByteArray& name)
{
    if (::mkdirat(dir, name.constData(), 0755) != 0)
        return -1;
    return ::openat(dir, name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// The test's ground: a temporary root (removed with rm -rf, which copes with any depth), the
// listed folder's descriptor and what a case does to the folder after the window is made.
struct Ground {
    int root = -1;
    int listed = -1;  // the folder the program is started in
    int savedIn = -1; // where the playlist must land (its descriptor), -1: nowhere
    std::vector<std::pair<int, QByteArray>> untouched; // (folder, name) that must not appear
};

struct FolderCase {
    const char* label;
    // Makes the listed folder with its media file "01 Intro.mp3" and fills `untouched`.
    std::function<void(Ground&)> prepare;
    // Runs after the window listed the folder, before the save.
    std::function<void(Ground&)> meanwhile;
    int error; // the system's error when the save must fail; 0: it saves
    // The end of the folder's path as the file list's tooltip and description name it.
    QString shownFolder = {};
};

void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.label; }

class ListedFolderTest : public ::testing::TestWithParam<FolderCase>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        m_previous = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ASSERT_GE(m_previous, 0);
        ground.root
            = ::open(QFile::encodeName(m_root.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ASSERT_GE(ground.root, 0);
        m_root.setAutoRemove(false);
    }

    void TearDown() override
    {
        window.reset();
        ASSERT_EQ(::fchdir(m_previous), 0);
        ::close(m_previous);
        for (int fd : m_open)
            ::close(fd);
        ::close(ground.root);
        const QByteArray rm = "rm -rf '"_ba + QFile::encodeName(m_root.path()) + "'";
        EXPECT_EQ(std::system(rm.constData()), 0);
    }

    void keep(int fd) { m_open.push_back(fd); }

    Ground ground;
    std::unique_ptr<frmmain> window;
    std::vector<std::pair<Outcome, QString>> messages;

private:
    QTemporaryDir m_root;
    int m_previous = -1;
    std::vector<int> m_open;
};

// The window lists the folder's media file and a save puts the playlist there, or, where
// the folder is gone, says why; the playlist never lands anywhere else.
TEST_P(ListedFolderTest, ListsAndSavesThere)
{
    const FolderCase& c = GetParam();
    c.prepare(ground);
    if (::testing::Test::IsSkipped())
        return;
    ASSERT_GE(ground.listed, 0);
    keep(ground.listed);
    ASSERT_EQ(::fchdir(ground.listed), 0);

    window = std::make_unique<frmmain>();
    window->builder().setMessenger(
        [this](Outcome outcome, const QString& text) { messages.emplace_back(outcome, text); });
    ASSERT_EQ(::fchdir(ground.root), 0); // the program's working directory moves on; the list does not
    ASSERT_TRUE(waitForList(*window));
    ASSERT_EQ(window->File1()->model()->rowCount(), 1);
    EXPECT_EQ(window->File1()->model()->index(0, 0).data().toString(), u"01 Intro.mp3"_s);
    if (!c.shownFolder.isEmpty()) {
        EXPECT_TRUE(window->File1()->toolTip().contains(c.shownFolder))
            << window->File1()->toolTip().toStdString();
        EXPECT_TRUE(window->File1()->accessibleDescription().contains(c.shownFolder))
            << window->File1()->accessibleDescription().toStdString();
    }

    if (c.meanwhile)
        c.meanwhile(ground);
    window->builder().AddFile("01 Intro.mp3"_ba);
    window->Text2()->setText(QString::fromUtf8(kName));
    SaveTypes::Result said;
    QObject::connect(
        &window->builder(), &PlaylistBuilder::saveEnded, [&](const SaveTypes::Result& r) { said = r; });
    window->builder().SavePlaylist(window->folder()); // what cmdSave's click runs

    ASSERT_EQ(messages.size(), 1u);
    const std::string message = messages[0].second.toStdString();
    EXPECT_EQ(said.error, c.error) << message;
    if (c.error == 0) {
        EXPECT_EQ(messages[0].first, Outcome::Saved) << message;
        EXPECT_EQ(readAt(ground.savedIn, kName), "#EXTM3U\r\n01 Intro.mp3\r\n"_ba);
    } else {
        EXPECT_EQ(messages[0].first, Outcome::Failed) << message;
    }
    for (const auto& [dir, name] : ground.untouched)
        EXPECT_EQ(readAt(dir, name), "<missing>"_ba) << "a playlist appeared as " << name.constData();
    const int top = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    EXPECT_EQ(readAt(top, kName), "<missing>"_ba) << "a playlist appeared in /";
    ::close(top);
}

// A folder with its media file; its descriptor.
int musicFolder(int parent, const QByteArray& name)
{
    const int fd = mkdirOpen(parent, name);
    if (fd >= 0)
        writeAt(fd, "01 Intro.mp3", "ID3");
    return fd;
}

INSTANTIATE_TEST_SUITE_P(Folders, ListedFolderTest,
    ::testing::Values(
        // A Latin-1 name beside the folder its U+FFFD reading would name: the twin is untouched.
        FolderCase {"not_utf8_beside_its_replacement_twin",
            [](Ground& g) {
                g.listed = musicFolder(g.root, "caf\xe9");
                const int twin = mkdirOpen(g.root, "caf\xef\xbf\xbd");
                writeAt(twin, "02 Twin.mp3", "ID3");
                g.savedIn = g.listed;
                g.untouched = {{twin, kName}, {g.root, kName}};
            },
            nullptr, {}, u"/caf\u00e9"_s},
        // Deeper than PATH_MAX: no path of it can be opened, the folder is still saved into.
        FolderCase {"path_longer_than_path_max",
            [](Ground& g) {
                int dir = g.root;
                for (int depth = 0; depth * 201 <= PATH_MAX + 200; ++depth) {
                    const int next = mkdirOpen(dir, QByteArray(200, 'd'));
                    if (dir != g.root)
                        ::close(dir);
                    ASSERT_GE(next, 0) << std::strerror(errno);
                    dir = next;
                }
                writeAt(dir, "01 Intro.mp3", "ID3");
                g.listed = g.savedIn = dir;
                g.untouched = {{g.root, kName}};
            },
            nullptr, {}, u"\u2026dddd"_s}, // cut in the middle
        FolderCase {"renamed_after_start",
            [](Ground& g) {
                g.listed = musicFolder(g.root, "before");
                g.savedIn = g.listed;
                g.untouched = {{g.root, kName}};
            },
            [](Ground& g) { ASSERT_EQ(::renameat(g.root, "before", g.root, "after"), 0); }, {}},
        FolderCase {"moved_into_another_folder",
            [](Ground& g) {
                g.listed = musicFolder(g.root, "music");
                ::close(mkdirOpen(g.root, "elsewhere"));
                g.savedIn = g.listed;
                g.untouched = {{g.root, kName}};
            },
            [](Ground& g) { ASSERT_EQ(::renameat(g.root, "music", g.root, "elsewhere/music"), 0); }, {}},
        // Removed after start: the save fails with the system's reason and lands nowhere else,
        // not in the parent, not in "/" (where a path built from nothing would point).
        FolderCase {"removed_after_start",
            [](Ground& g) {
                g.listed = musicFolder(g.root, "gone");
                g.untouched = {{g.root, kName}};
            },
            [](Ground& g) {
                ASSERT_EQ(::unlinkat(g.listed, "01 Intro.mp3", 0), 0);
                ASSERT_EQ(::unlinkat(g.root, "gone", AT_REMOVEDIR), 0);
            },
            ENOENT}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace

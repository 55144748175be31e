// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "folderhandle.h"
#include "playlist.h"

#include <QDir>
#include <QDirIterator>
#include <QMap>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

class SaveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        playlist.start();
        ASSERT_TRUE(dir.isValid());
    }

    QString inDir(const QString& name) const { return dir.path() + u'/' + name; }

    // Everything in the folder, so a test can see that a failed save left no stray file.
    QStringList entries() const
    {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

    PlaylistWriter::Result save(const QString& name, const QString& folder = {})
    {
        playlist.setName(name);
        return playlist.save(FolderHandle::open(folder.isEmpty() ? dir.path() : folder));
    }

    Playlist playlist;
    QTemporaryDir dir;
};

TEST_F(SaveTest, WritesTheWholePlaylistWithCrLf)
{
    playlist.addFile(u"a.mp3"_s);
    playlist.addFile(u"b.wma"_s);
    const PlaylistWriter::Result result = save(u"party.m3u"_s);

    EXPECT_EQ(readAll(inDir(u"party.m3u"_s)), QByteArray("#EXTM3U\r\na.mp3\r\nb.wma\r\n"));
    EXPECT_TRUE(result.saved);
    EXPECT_EQ(result.reason, PlaylistWriter::Reason::None);
    EXPECT_EQ(playlist.text(), u"#EXTM3U\r\na.mp3\r\nb.wma"_s) << "saving keeps the text";
    EXPECT_EQ(entries(), QStringList {u"party.m3u"_s});
}

// Names are used exactly as typed: no extension added, nothing escaped.
TEST_F(SaveTest, UsesTheNameUnchanged)
{
    const QStringList names = {
        u"mix"_s, u"my list.m3u"_s, u"Rock & Roll.m3u"_s, u"Grüße ♫.m3u"_s, u"#1 hits.m3u"_s, u" lead.m3u"_s};
    for (const QString& name : names) {
        EXPECT_TRUE(save(name).saved) << name.toStdString();
        EXPECT_EQ(readAll(inDir(name)), QByteArray("#EXTM3U\r\n")) << name.toStdString();
    }
    QStringList expected = names;
    expected.sort();
    EXPECT_EQ(entries(), expected);
}

TEST_F(SaveTest, OverwritesAnExistingFileWithoutAsking)
{
    writeFile(inDir(u"party.m3u"_s), QByteArray(100000, 'x'));
    playlist.addFile(u"a.mp3"_s);
    EXPECT_TRUE(save(u"party.m3u"_s).saved);
    playlist.reset(true);
    playlist.addFile(u"b.wma"_s);
    EXPECT_TRUE(save(u"party.m3u"_s).saved);

    EXPECT_EQ(readAll(inDir(u"party.m3u"_s)), QByteArray("#EXTM3U\r\nb.wma\r\n"));
}

TEST_F(SaveTest, NewFilesAreReadableByPlayers)
{
    const mode_t old = ::umask(022);
    save(u"party.m3u"_s);
    ::umask(old);
    const auto perms = QFileInfo(inDir(u"party.m3u"_s)).permissions();
    EXPECT_TRUE(perms & QFileDevice::ReadOther);
    EXPECT_TRUE(perms & QFileDevice::WriteOwner);
}

TEST_F(SaveTest, ARootFolderStillSaves)
{
    // A folder given with its separator yields two in a row; the file system accepts it.
    playlist.addFile(u"a.mp3"_s);
    EXPECT_TRUE(save(u"root.m3u"_s, dir.path() + u'/').saved);
    EXPECT_EQ(readAll(inDir(u"root.m3u"_s)), QByteArray("#EXTM3U\r\na.mp3\r\n"));
}

struct FailCase {
    const char* label;
    QString name; // typed into the file-name box
    bool inProc;  // save into /proc, a read-only mount even for root
    void (*prepare)(const QString& dir);
    QString keptFile; // a file whose bytes must survive, relative to the folder
};

class SaveFailureTest : public SaveTest, public ::testing::WithParamInterface<FailCase>
{ };

// A save that cannot write the whole file says so, names the path and the reason, and
// leaves what was on disk exactly as it was.
TEST_P(SaveFailureTest, ReportsAndKeepsTheDisk)
{
    const FailCase& c = GetParam();
    writeFile(inDir(u"keep.txt"_s), "keep me");
    if (c.prepare)
        c.prepare(dir.path());
    const QStringList before = entries();
    const QByteArray keptBefore = c.keptFile.isEmpty() ? QByteArray() : readAll(inDir(c.keptFile));

    playlist.addFile(u"a.mp3"_s);
    const QString folder = c.inProc ? u"/proc"_s : dir.path();
    const PlaylistWriter::Result result = save(c.name, folder);

    EXPECT_FALSE(result.saved);
    EXPECT_NE(result.reason, PlaylistWriter::Reason::None);
    EXPECT_EQ(entries(), before) << "no file made, no temporary file left";
    if (!c.keptFile.isEmpty()) {
        EXPECT_EQ(readAll(inDir(c.keptFile)), keptBefore);
    }
    EXPECT_EQ(playlist.text(), u"#EXTM3U\r\na.mp3"_s);
    EXPECT_EQ(playlist.name(), c.name);
    if (c.inProc) {
        EXPECT_FALSE(QFileInfo::exists(u"/proc/"_s + c.name));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SaveFailureTest,
    ::testing::Values(
        FailCase {"name_is_a_folder", u"sub"_s, false, [](const QString& d) { QDir(d).mkdir(u"sub"_s); }, {}},
        FailCase {"through_a_missing_folder", u"missing/a.m3u"_s, false, nullptr, {}},
        FailCase {"through_a_regular_file", u"keep.txt/a.m3u"_s, false, nullptr, u"keep.txt"_s},
        FailCase {"read_only_file", u"ro.m3u"_s, false,
            [](const QString& d) {
                writeFile(d + u"/ro.m3u"_s, "old playlist\r\n");
                QFile::setPermissions(d + u"/ro.m3u"_s, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
            },
            u"ro.m3u"_s},
        FailCase {"read_only_mount", u"cantorel-test.m3u"_s, true, nullptr, {}}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace

namespace {

// Every file under `root` with its bytes (folders as "name/"), to see that a save changed
// nothing but the one file it made.
QMap<QString, QByteArray> tree(const QString& root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString rel = QDir(root).relativeFilePath(info.filePath());
        files.insert(info.isDir() ? rel + u'/' : rel, info.isDir() ? QByteArray() : readAll(info.filePath()));
    }
    return files;
}

struct NameCase {
    const char* label;
    QString name;                                                 // typed or pasted into the file-name box
    PlaylistWriter::Reason reason = PlaylistWriter::Reason::None; // None: saved into the listed folder
    int error = 0; // the system's error, for a name the file system refuses
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.label; }

class SaveNameTest : public ::testing::TestWithParam<NameCase>
{ };

// A name either names a file of its own in the listed folder, which is then the only file
// that changes, or is refused with its reason and nothing changes anywhere: not the media
// file a name ends in after a NUL, not the parent folder, not a subfolder.
TEST_P(SaveNameTest, SavesIntoTheListedFolderOrRefuses)
{
    const NameCase& c = GetParam();
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString listed = root.filePath(u"listed"_s);
    ASSERT_TRUE(QDir(listed).mkpath(u"sub"_s));
    writeFile(listed + u"/song.wav"_s, "RIFF....WAVEfmt ");
    const QMap<QString, QByteArray> before = tree(root.path());

    Playlist playlist;
    playlist.start();
    playlist.addFile(u"song.wav"_s);
    playlist.setName(c.name);
    const PlaylistWriter::Result result = playlist.save(FolderHandle::open(listed));

    QMap<QString, QByteArray> expected = before;
    EXPECT_EQ(result.reason, c.reason);
    EXPECT_EQ(result.error, c.error);
    EXPECT_EQ(result.saved, c.reason == PlaylistWriter::Reason::None);
    if (result.saved)
        expected.insert(u"listed/"_s + c.name, "#EXTM3U\r\nsong.wav\r\n"_ba);
    EXPECT_EQ(tree(root.path()), expected);
    EXPECT_EQ(playlist.name(), c.name) << "the name stays";
}

constexpr auto kControl = PlaylistWriter::Reason::NameHasControl;
constexpr auto kFolders = PlaylistWriter::Reason::NameHasSeparator;

INSTANTIATE_TEST_SUITE_P(Names, SaveNameTest,
    ::testing::Values(
        NameCase {"nul_before_a_playlist_ending", u"song.wav"_s + QChar(0) + u".m3u"_s, kControl},
        NameCase {"carriage_return", u"mix\r.m3u"_s, kControl},
        NameCase {"line_feed", u"mix\n.m3u"_s, kControl}, NameCase {"tab", u"mix\t.m3u"_s, kControl},
        NameCase {"delete_and_c1", u"mix\u007f\u0085.m3u"_s, kControl},
        NameCase {"line_separator", u"mix\u2028.m3u"_s, kControl},
        NameCase {"frame_mark", u"mix\ufdd0.m3u"_s, kControl},
        NameCase {
            "lone_surrogate", u"mix"_s + QChar(0xD800) + u".m3u"_s, PlaylistWriter::Reason::NameUnstorable},
        NameCase {"parent_folder", u"../escaped.m3u"_s, kFolders},
        NameCase {"subfolder", u"sub/x.m3u"_s, kFolders}, NameCase {"absolute", u"/tmp/x.m3u"_s, kFolders},
        NameCase {"dot", u"."_s, PlaylistWriter::Reason::NameIsFolder},
        NameCase {"dot_dot", u".."_s, PlaylistWriter::Reason::NameIsFolder},
        NameCase {"longest_name", QString(251, u'n') + u".m3u"_s},
        NameCase {"one_byte_too_long", QString(252, u'n') + u".m3u"_s, PlaylistWriter::Reason::NameUnusable,
            ENAMETOOLONG},
        NameCase {"longest_in_two_byte_letters", QString(125, u'é') + u"n.m3u"_s},
        NameCase {"dots_inside_are_fine", u"..mix...m3u"_s}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace

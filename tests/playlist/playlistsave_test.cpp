// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "builderfixture.h"

#include <QDir>
#include <QDirIterator>
#include <QMap>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

using Outcome = PlaylistBuilder::SaveOutcome;

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

class SaveTest : public BuilderFixture
{
protected:
    void SetUp() override
    {
        BuilderFixture::SetUp();
        ASSERT_TRUE(dir.isValid());
    }

    QString inDir(const QString& name) const { return dir.path() + u'/' + name; }

    // Everything in the folder, so a test can see that a failed save left no stray file.
    QStringList entries() const
    {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

    void save(const QString& name, const QString& folder = {})
    {
        text2.setText(name);
        builder.SavePlaylist(FolderHandle::open(folder.isEmpty() ? dir.path() : folder));
    }

    QTemporaryDir dir;
};

TEST_F(SaveTest, WritesTheWholePlaylistWithCrLf)
{
    builder.AddFile(u"a.mp3"_s);
    builder.AddFile(u"b.wma"_s);
    save(u"party.m3u"_s);

    EXPECT_EQ(readAll(inDir(u"party.m3u"_s)), QByteArray("#EXTM3U\r\na.mp3\r\nb.wma\r\n"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].outcome, Outcome::Saved);
    EXPECT_EQ(messages[0].text, u"Saved"_s);
    EXPECT_EQ(builder.PlaylistText(), u"#EXTM3U\r\na.mp3\r\nb.wma"_s) << "saving keeps the text";
    EXPECT_EQ(entries(), QStringList {u"party.m3u"_s});
}

// Names are used exactly as typed: no extension added, nothing escaped.
TEST_F(SaveTest, UsesTheNameUnchanged)
{
    const QStringList names = {
        u"mix"_s, u"my list.m3u"_s, u"Rock & Roll.m3u"_s, u"Grüße ♫.m3u"_s, u"#1 hits.m3u"_s, u" lead.m3u"_s};
    for (const QString& name : names) {
        save(name);
        EXPECT_EQ(readAll(inDir(name)), QByteArray("#EXTM3U\r\n")) << name.toStdString();
    }
    QStringList expected = names;
    expected.sort();
    EXPECT_EQ(entries(), expected);
    for (const auto& m : messages)
        EXPECT_EQ(m.outcome, Outcome::Saved);
}

TEST_F(SaveTest, OverwritesAnExistingFileWithoutAsking)
{
    writeFile(inDir(u"party.m3u"_s), QByteArray(100000, 'x'));
    builder.AddFile(u"a.mp3"_s);
    save(u"party.m3u"_s);
    builder.ResetPlaylist();
    builder.AddFile(u"b.wma"_s);
    save(u"party.m3u"_s);

    EXPECT_EQ(readAll(inDir(u"party.m3u"_s)), QByteArray("#EXTM3U\r\nb.wma\r\n"));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].outcome, Outcome::Saved);
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

TEST_F(SaveTest, WritesTheTailOfTheCurrentFormat)
{
    builder.setPlaylistExt(u".htm"_s);
    builder.StartHTML();
    save(u"page.htm"_s);
    EXPECT_EQ(
        readAll(inDir(u"page.htm"_s)), QByteArray("<html>\r\n<head></head>\r\n<body>\r\n</body></html>\r\n"));
}

TEST_F(SaveTest, PathAddsTheSeparatorEvenAfterOne)
{
    text2.setText(u"a.m3u"_s);
    EXPECT_EQ(builder.savePath(u"/music"_s), QDir::toNativeSeparators(u"/music/a.m3u"_s));
    EXPECT_EQ(builder.savePath(u"/"_s), QDir::toNativeSeparators(u"//a.m3u"_s));
}

TEST_F(SaveTest, ARootFolderStillSaves)
{
    // A folder given with its separator yields two in a row; the file system accepts it.
    builder.AddFile(u"a.mp3"_s);
    save(u"root.m3u"_s, dir.path() + u'/');
    EXPECT_EQ(readAll(inDir(u"root.m3u"_s)), QByteArray("#EXTM3U\r\na.mp3\r\n"));
}

TEST_F(SaveTest, AnEmptyNameAsksForOne)
{
    save(QString());
    EXPECT_TRUE(entries().isEmpty());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].outcome, Outcome::NeedsName);
    EXPECT_TRUE(messages[0].text.contains(u"file name"_s));
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

    builder.AddFile(u"a.mp3"_s);
    const QString folder = c.inProc ? u"/proc"_s : dir.path();
    save(c.name, folder);

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].outcome, Outcome::Failed);
    EXPECT_FALSE(builder.lastSave().saved);
    EXPECT_NE(builder.lastSave().reason, PlaylistWriter::Reason::None);
    EXPECT_TRUE(messages[0].text.contains(builder.savePath(folder)));
    EXPECT_EQ(entries(), before) << "no file made, no temporary file left";
    if (!c.keptFile.isEmpty()) {
        EXPECT_EQ(readAll(inDir(c.keptFile)), keptBefore);
    }
    EXPECT_EQ(builder.PlaylistText(), u"#EXTM3U\r\na.mp3"_s);
    EXPECT_EQ(builder.PlaylistName(), c.name);
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

class SaveNameTest : public BuilderFixture, public ::testing::WithParamInterface<NameCase>
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

    builder.AddFile(u"song.wav"_s);
    text2.setText(c.name);
    builder.SavePlaylist(FolderHandle::open(listed));

    ASSERT_EQ(messages.size(), 1u);
    const std::string message = messages[0].text.toStdString();
    QMap<QString, QByteArray> expected = before;
    EXPECT_EQ(builder.lastSave().reason, c.reason) << message;
    EXPECT_EQ(builder.lastSave().error, c.error) << message;
    if (c.reason == PlaylistWriter::Reason::None) {
        EXPECT_EQ(messages[0].outcome, Outcome::Saved) << message;
        expected.insert(u"listed/"_s + c.name, builder.playlistBytes());
    } else {
        EXPECT_EQ(messages[0].outcome, Outcome::Failed) << message;
        EXPECT_FALSE(messages[0].text.contains(QChar(0))) << "the message shows no raw control";
    }
    EXPECT_EQ(tree(root.path()), expected);
    EXPECT_EQ(builder.PlaylistName(), c.name) << "the name stays in the box";
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

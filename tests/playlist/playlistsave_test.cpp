#include "builderfixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

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

class SaveTest : public BuilderFixture {
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
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                          | QDir::NoDotAndDotDot, QDir::Name);
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
    EXPECT_EQ(entries(), QStringList{u"party.m3u"_s});
}

// Names are used exactly as typed: no extension added, nothing escaped.
TEST_F(SaveTest, UsesTheNameUnchanged)
{
    const QStringList names = {u"mix"_s, u"my list.m3u"_s, u"Rock & Roll.m3u"_s,
                               u"Grüße ♫.m3u"_s, u"#1 hits.m3u"_s, u" lead.m3u"_s};
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
    EXPECT_EQ(readAll(inDir(u"page.htm"_s)),
              QByteArray("<html>\r\n<head></head>\r\n<body>\r\n</body></html>\r\n"));
}

TEST_F(SaveTest, PathAddsTheSeparatorEvenAfterOne)
{
    text2.setText(u"a.m3u"_s);
    EXPECT_EQ(builder.SavePath(u"/music"_s), QDir::toNativeSeparators(u"/music/a.m3u"_s));
    EXPECT_EQ(builder.SavePath(u"/"_s), QDir::toNativeSeparators(u"//a.m3u"_s));
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
    QString name;               // typed into the file-name box
    bool inProc;                // save into /proc, a read-only mount even for root
    void (*prepare)(const QString& dir);
    QString keptFile;           // a file whose bytes must survive, relative to the folder
};

class SaveFailureTest : public SaveTest, public ::testing::WithParamInterface<FailCase> {};

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
    EXPECT_TRUE(messages[0].text.contains(u"not saved"_s)) << messages[0].text.toStdString();
    EXPECT_TRUE(messages[0].text.contains(builder.SavePath(folder)));
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

INSTANTIATE_TEST_SUITE_P(Cases, SaveFailureTest, ::testing::Values(
    FailCase{"name_is_a_folder", u"sub"_s, false,
             [](const QString& d) { QDir(d).mkdir(u"sub"_s); }, {}},
    FailCase{"through_a_missing_folder", u"missing/a.m3u"_s, false, nullptr, {}},
    FailCase{"through_a_regular_file", u"keep.txt/a.m3u"_s, false, nullptr, u"keep.txt"_s},
    FailCase{"read_only_file", u"ro.m3u"_s, false,
             [](const QString& d) {
                 writeFile(d + u"/ro.m3u"_s, "old playlist\r\n");
                 QFile::setPermissions(d + u"/ro.m3u"_s,
                                       QFileDevice::ReadOwner | QFileDevice::ReadGroup);
             },
             u"ro.m3u"_s},
    FailCase{"read_only_mount", u"cantorel-test.m3u"_s, true, nullptr, {}}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace

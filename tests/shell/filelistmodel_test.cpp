#include "filelistmodel.h"
#include "playlistformat.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

using namespace Qt::StringLiterals;

namespace {

enum class Kind { File, Folder, Pipe, LinkToFile, BrokenLink };

struct Entry {
    const char* name; // test name
    QString fileName;
    Kind kind;
    bool listed;
};

bool make(const QDir& dir, const Entry& e)
{
    const QString path = dir.filePath(e.fileName);
    switch (e.kind) {
    case Kind::File: {
        QFile file(path);
        return file.open(QIODevice::WriteOnly);
    }
    case Kind::Folder:
        return dir.mkdir(e.fileName);
    case Kind::Pipe:
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    case Kind::LinkToFile: {
        QFile target(dir.filePath(u"target.bin"_s));
        return target.open(QIODevice::WriteOnly) && QFile::link(target.fileName(), path);
    }
    case Kind::BrokenLink:
        return QFile::link(dir.filePath(u"nowhere.bin"_s), path);
    }
    return false;
}

} // namespace

class FileMatchTest : public ::testing::TestWithParam<Entry> {};

// Which folder entries File1 lists: matching plain files, whatever the letter case.
TEST_P(FileMatchTest, ListsOnlyMatchingPlainFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(make(QDir(dir.path()), GetParam()));
    const QStringList names = FileListModel::matchingFiles(
        dir.path(), FileListModel::splitPatterns(PlaylistFormat::kMediaFilePattern));
    EXPECT_EQ(names.contains(GetParam().fileName), GetParam().listed);
    EXPECT_LE(names.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Entries, FileMatchTest, ::testing::Values(
    Entry{"Mp3", u"a.mp3"_s, Kind::File, true},
    Entry{"UpperCaseExtension", u"B.MP3"_s, Kind::File, true},
    Entry{"MixedCaseExtension", u"c.Wav"_s, Kind::File, true},
    Entry{"EveryPatternMpeg", u"film.mpeg"_s, Kind::File, true},
    Entry{"EveryPatternSwf", u"intro.swf"_s, Kind::File, true},
    Entry{"EveryPatternWmv", u"clip.wmv"_s, Kind::File, true},
    Entry{"CommentLikeName", u"#1 hit.mp3"_s, Kind::File, true},
    Entry{"OtherExtension", u"notes.txt"_s, Kind::File, false},
    Entry{"PatternInTheMiddle", u"a.mp3.txt"_s, Kind::File, false},
    Entry{"TrailingSpace", u"a.mp3 "_s, Kind::File, false},
    Entry{"NoExtension", u"mp3"_s, Kind::File, false},
    Entry{"Hidden", u".hidden.mp3"_s, Kind::File, false},
    Entry{"LineFeedInName", u"two\nlines.mp3"_s, Kind::File, false},
    Entry{"CarriageReturnInName", u"two\rlines.mp3"_s, Kind::File, false},
    Entry{"LineSeparatorInName", u"two\u2028lines.mp3"_s, Kind::File, false},
    Entry{"FolderNamedLikeMedia", u"album.mp3"_s, Kind::Folder, false},
    Entry{"Pipe", u"stream.mp3"_s, Kind::Pipe, false},
    Entry{"LinkToFile", u"link.mp3"_s, Kind::LinkToFile, true},
    Entry{"BrokenLink", u"gone.mp3"_s, Kind::BrokenLink, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct Ordering {
    const char* name;
    QStringList onDisk;
    QStringList listed;
};

class FileOrderTest : public ::testing::TestWithParam<Ordering> {};

// Natural order without regard to case: numbers by value, letters by letter.
TEST_P(FileOrderTest, SortsNaturally)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const QString& name : GetParam().onDisk) {
        QFile file(QDir(dir.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    FileListModel model(dir.path(), FileListModel::splitPatterns(PlaylistFormat::kMediaFilePattern));
    QStringList shown;
    for (int row = 0; row < model.rowCount(); ++row)
        shown.push_back(model.data(model.index(row)).toString());
    EXPECT_EQ(shown, GetParam().listed);
}

INSTANTIATE_TEST_SUITE_P(Folders, FileOrderTest, ::testing::Values(
    Ordering{"TracksByNumber",
             {u"track 10.mp3"_s, u"track 2.mp3"_s, u"track 1.mp3"_s},
             {u"track 1.mp3"_s, u"track 2.mp3"_s, u"track 10.mp3"_s}},
    Ordering{"CaseIgnored",
             {u"b.mp3"_s, u"C.mp3"_s, u"A.mp3"_s},
             {u"A.mp3"_s, u"b.mp3"_s, u"C.mp3"_s}},
    Ordering{"NumbersBeforeLetters",
             {u"Zed.wav"_s, u"10 x.wav"_s, u"alpha.wav"_s, u"9 y.wav"_s},
             {u"9 y.wav"_s, u"10 x.wav"_s, u"alpha.wav"_s, u"Zed.wav"_s}},
    Ordering{"CaseOnlyDifferenceKeepsAFixedOrder",
             {u"song.mp3"_s, u"Song.mp3"_s, u"SONG.mp3"_s},
             {u"SONG.mp3"_s, u"Song.mp3"_s, u"song.mp3"_s}}),
    [](const auto& info) { return std::string(info.param.name); });

// The pattern list splits at ';' and an empty list matches nothing.
TEST(FileListModelTest, SplitsPatternList)
{
    EXPECT_EQ(FileListModel::splitPatterns(u"*.a;*.b"_s), (QStringList{u"*.a"_s, u"*.b"_s}));
    EXPECT_TRUE(FileListModel::matchingFiles(QDir::tempPath(), {}).isEmpty());
}

// A folder that cannot be read lists nothing, and the model answers out-of-range rows.
TEST(FileListModelTest, MissingFolderListsNothing)
{
    QTemporaryDir dir;
    FileListModel model(dir.filePath(u"missing"_s), {u"*.mp3"_s});
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.fileName(0), QString());
    EXPECT_EQ(model.fileName(-1), QString());
}

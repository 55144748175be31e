// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "filelistmodel.h"
#include "filelistview.h"
#include "filenamepatterns.h"
#include "folderhandle.h"
#include "scratchfolder.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
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
    case Kind::Folder: return dir.mkdir(e.fileName);
    case Kind::Pipe: return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    case Kind::LinkToFile: {
        QFile target(dir.filePath(u"target.bin"_s));
        return target.open(QIODevice::WriteOnly) && QFile::link(target.fileName(), path);
    }
    case Kind::BrokenLink: return QFile::link(dir.filePath(u"nowhere.bin"_s), path);
    }
    return false;
}

} // namespace

// The names File1 lists for the folder `path`, in its order.
static QStringList listedNames(const QString& path, const FileNamePatterns& patterns)
{
    const FileListModel model(FolderHandle::open(path), patterns);
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names.push_back(model.fileName(row));
    return names;
}

class FileMatchTest : public ::testing::TestWithParam<Entry>
{ };

// Which folder entries File1 lists: matching plain files, whatever the letter case.
TEST_P(FileMatchTest, ListsOnlyMatchingPlainFiles)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(make(QDir(dir.path()), GetParam()));
    const QStringList names = listedNames(dir.path(), FileNamePatterns::media());
    EXPECT_EQ(names.contains(GetParam().fileName), GetParam().listed);
    EXPECT_LE(names.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Entries, FileMatchTest,
    ::testing::Values(Entry {"Mp3", u"a.mp3"_s, Kind::File, true},
        Entry {"UpperCaseExtension", u"B.MP3"_s, Kind::File, true},
        Entry {"MixedCaseExtension", u"c.Wav"_s, Kind::File, true},
        Entry {"EveryPatternMpeg", u"film.mpeg"_s, Kind::File, true},
        Entry {"EveryPatternSwf", u"intro.swf"_s, Kind::File, true},
        Entry {"EveryPatternWmv", u"clip.wmv"_s, Kind::File, true},
        Entry {"CommentLikeName", u"#1 hit.mp3"_s, Kind::File, true},
        Entry {"OtherExtension", u"notes.txt"_s, Kind::File, false},
        Entry {"PatternInTheMiddle", u"a.mp3.txt"_s, Kind::File, false},
        Entry {"TrailingSpace", u"a.mp3 "_s, Kind::File, false},
        Entry {"NoExtension", u"mp3"_s, Kind::File, false},
        Entry {"Hidden", u".hidden.mp3"_s, Kind::File, false},
        Entry {"LineFeedInName", u"two\nlines.mp3"_s, Kind::File, false},
        Entry {"CarriageReturnInName", u"two\rlines.mp3"_s, Kind::File, false},
        Entry {"TabStaysOneLine", u"a\tb.mp3"_s, Kind::File, true},
        Entry {"LineSeparatorInName", u"two\u2028lines.mp3"_s, Kind::File, false},
        Entry {"ParagraphSeparatorInName", u"two\u2029lines.mp3"_s, Kind::File, false},
        Entry {"FrameStartInName", u"evil\uFDD0#EXTINF:1,Injected\uFDD0ghost.mp3"_s, Kind::File, false},
        Entry {"FrameEndInName", u"two\uFDD1lines.mp3"_s, Kind::File, false},
        Entry {"NextLineStaysOneLine", u"one\u0085line.mp3"_s, Kind::File, true},
        Entry {"FolderNamedLikeMedia", u"album.mp3"_s, Kind::Folder, false},
        Entry {"Pipe", u"stream.mp3"_s, Kind::Pipe, false},
        Entry {"LinkToFile", u"link.mp3"_s, Kind::LinkToFile, true},
        Entry {"BrokenLink", u"gone.mp3"_s, Kind::BrokenLink, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct Ordering {
    const char* name;
    QStringList onDisk;
    QStringList listed;
};

class FileOrderTest : public ::testing::TestWithParam<Ordering>
{ };

// Natural order without regard to case: numbers by value, letters by letter.
TEST_P(FileOrderTest, SortsNaturally)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.isValid());
    for (const QString& name : GetParam().onDisk) {
        QFile file(QDir(dir.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    FileListModel model(FolderHandle::open(dir.path()), FileNamePatterns::media());
    QStringList shown;
    for (int row = 0; row < model.rowCount(); ++row)
        shown.push_back(model.data(model.index(row)).toString());
    EXPECT_EQ(shown, GetParam().listed);
}

INSTANTIATE_TEST_SUITE_P(Folders, FileOrderTest,
    ::testing::Values(Ordering {"TracksByNumber", {u"track 10.mp3"_s, u"track 2.mp3"_s, u"track 1.mp3"_s},
                          {u"track 1.mp3"_s, u"track 2.mp3"_s, u"track 10.mp3"_s}},
        Ordering {"CaseIgnored", {u"b.mp3"_s, u"C.mp3"_s, u"A.mp3"_s}, {u"A.mp3"_s, u"b.mp3"_s, u"C.mp3"_s}},
        Ordering {"NumbersBeforeLetters", {u"Zed.wav"_s, u"10 x.wav"_s, u"alpha.wav"_s, u"9 y.wav"_s},
            {u"9 y.wav"_s, u"10 x.wav"_s, u"alpha.wav"_s, u"Zed.wav"_s}},
        Ordering {"CaseOnlyDifferenceKeepsAFixedOrder", {u"song.mp3"_s, u"Song.mp3"_s, u"SONG.mp3"_s},
            {u"SONG.mp3"_s, u"Song.mp3"_s, u"song.mp3"_s}},
        Ordering {"AccentsFollowTheirLetter",
            {u"fable.mp3"_s, u"\u00C9lan.mp3"_s, u"eagle.mp3"_s, u"e\u0301cho.mp3"_s},
            {u"eagle.mp3"_s, u"e\u0301cho.mp3"_s, u"\u00C9lan.mp3"_s, u"fable.mp3"_s}},
        Ordering {"LeadingZerosDoNotCount",
            {u"track 002.mp3"_s, u"track 1.mp3"_s, u"track 01.mp3"_s, u"track 10.mp3"_s},
            {u"track 01.mp3"_s, u"track 1.mp3"_s, u"track 002.mp3"_s, u"track 10.mp3"_s}},
        Ordering {"PunctuationBeforeNumbers", {u"a.mp3"_s, u"01.mp3"_s, u"_intro.mp3"_s, u"(live).mp3"_s},
            {u"(live).mp3"_s, u"_intro.mp3"_s, u"01.mp3"_s, u"a.mp3"_s}},
        Ordering {"LongNumbersByLength",
            {u"n "_s + QString(61, u'1') + u".mp3"_s, u"n "_s + QString(60, u'9') + u".mp3"_s, u"n 5.mp3"_s},
            {u"n 5.mp3"_s, u"n "_s + QString(60, u'9') + u".mp3"_s, u"n "_s + QString(61, u'1') + u".mp3"_s}},
        Ordering {"OtherScriptsAfterLatinByCodePoint",
            {u"\U00010400.mp3"_s, u"\u4E2D.mp3"_s, u"\u03C9mega.mp3"_s, u"zeta.mp3"_s, u"\u03A9mega.mp3"_s,
                u"7.mp3"_s, u"\u00ABlive\u00BB.mp3"_s, u"_x.mp3"_s},
            {u"_x.mp3"_s, u"\u00ABlive\u00BB.mp3"_s, u"7.mp3"_s, u"zeta.mp3"_s, u"\u03A9mega.mp3"_s,
                u"\u03C9mega.mp3"_s, u"\u4E2D.mp3"_s, u"\U00010400.mp3"_s}},
        Ordering {"LongNamesPastTheHeldWeights",
            {u"Artist - Album - 10 - b.mp3"_s, u"Artist - Album - 10 - a.mp3"_s,
                u"Artist - Album - 9 - z.mp3"_s},
            {u"Artist - Album - 9 - z.mp3"_s, u"Artist - Album - 10 - a.mp3"_s,
                u"Artist - Album - 10 - b.mp3"_s}}),
    [](const auto& info) { return std::string(info.param.name); });

// Creates a file whose name is `name`'s bytes exactly, whatever their encoding.
bool makeRaw(const QString& folder, const QByteArray& name)
{
    const QByteArray path = QFile::encodeName(folder) + '/' + name;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    return fd >= 0 && ::close(fd) == 0;
}

struct Encoded {
    const char* name; // test name
    QByteArray onDisk;
    QString shown;
    bool legacy;
};

class FileEncodingTest : public ::testing::TestWithParam<Encoded>
{ };

// Every matching name is listed whatever its bytes: UTF-8 as such, anything else read as
// Windows-1252, with no replacement character, and with its bytes kept for the playlist.
TEST_P(FileEncodingTest, ListsTheNameReadablyWithItsBytes)
{
    const Encoded& e = GetParam();
    ScratchFolder dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(makeRaw(dir.path(), e.onDisk));
    FileListModel model(FolderHandle::open(dir.path()), FileNamePatterns::media());
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.fileName(0), e.shown);
    EXPECT_FALSE(model.fileName(0).contains(QChar::ReplacementCharacter));
    EXPECT_EQ(model.fileNameBytes(0), e.onDisk);
    EXPECT_EQ(model.data(model.index(0), Qt::FontRole).value<QFont>().italic(), e.legacy);
    EXPECT_EQ(model.data(model.index(0), Qt::ToolTipRole).toString().contains(u"not in UTF-8"_s), e.legacy);
}

INSTANTIATE_TEST_SUITE_P(Names, FileEncodingTest,
    ::testing::Values(Encoded {"Utf8", "caf\xc3\xa9 au lait.mp3", u"caf\u00e9 au lait.mp3"_s, false},
        Encoded {"Windows1252", "caf\xe9 au lait.mp3", u"caf\u00e9 au lait.mp3"_s, true},
        Encoded {"Windows1252Punctuation", "\x80 \x93hit\x94 \x85.WAV",
            u"\u20ac \u201chit\u201d \u2026.WAV"_s, true},
        Encoded {"UndefinedWindows1252Bytes", "\x81\x8d\x8f\x90\x9d.mp3",
            u"\u0081\u008d\u008f\u0090\u009d.mp3"_s, true},
        Encoded {"TruncatedUtf8", "caf\xc3.mp3", u"caf\u00c3.mp3"_s, true},
        Encoded {"OverlongUtf8Slash",
            "a\xc0\xaf"
            "b.mp3",
            u"a\u00c0\u00afb.mp3"_s, true},
        Encoded {"EncodedSurrogate", "\xed\xa0\x80.mp3", u"\u00ed\u00a0\u20ac.mp3"_s, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Names in several encodings side by side, two of them shown alike: all are listed in one
// natural order, and the twins keep a fixed order by their bytes.
TEST(FileListModelTest, MixedEncodingsAreListedTogether)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.isValid());
    const QList<QByteArray> onDisk = {"\xe9t\xe9 10.mp3", "fable.mp3", "caf\xe9.mp3",
        "\xc3\xa9t\xc3\xa9 9.mp3", "caf\xc3\xa9.mp3", "eagle.mp3"};
    for (const QByteArray& name : onDisk)
        ASSERT_TRUE(makeRaw(dir.path(), name));
    FileListModel model(FolderHandle::open(dir.path()), FileNamePatterns::media());
    QList<QByteArray> listed;
    for (int row = 0; row < model.rowCount(); ++row)
        listed.push_back(model.fileNameBytes(row));
    EXPECT_EQ(listed,
        (QList<QByteArray> {"caf\xc3\xa9.mp3", "caf\xe9.mp3", "eagle.mp3", "\xc3\xa9t\xc3\xa9 9.mp3",
            "\xe9t\xe9 10.mp3", "fable.mp3"}));
    EXPECT_EQ(model.fileName(0), model.fileName(1));
}

struct Search {
    const char* name; // test name
    int from;         // the current row before the search, -1 for none
    QString typed;
    QByteArray found; // the name of the file made current, empty for none
};

class KeyboardSearchTest : public ::testing::TestWithParam<Search>
{ };

// Typed letters make current the first file after the current one, wrapping at the end,
// whose name as shown starts with them, whatever the case and accents (as the order folds
// them); legacy names by their text.
TEST_P(KeyboardSearchTest, FindsTheFileTheLettersStart)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.isValid());
    for (const QByteArray& name : {QByteArray("alpha.mp3"), QByteArray("Beta.mp3"), QByteArray("bravo.wav"),
             QByteArray("caf\xc3\xa9 2.mp3"), QByteArray("caf\xe9 1.mp3"),
             QByteArray("\xe2\x84\xaa"
                        "elvin.mp3"),
             QByteArray("\xce\xa9mega.mp3"),
             QByteArray("\xc3\x89"
                        "dith Piaf.mp3"),
             QByteArray("u\xcc\x88"
                        "ber.mp3")})
        ASSERT_TRUE(makeRaw(dir.path(), name));
    FileListModel model(FolderHandle::open(dir.path()), FileNamePatterns::media());
    FileListView view;
    view.setModel(&model);
    if (GetParam().from >= 0)
        view.setCurrentIndex(model.index(GetParam().from));
    view.keyboardSearch(GetParam().typed);
    EXPECT_EQ(model.fileNameBytes(view.currentIndex().row()), GetParam().found);
}

INSTANTIATE_TEST_SUITE_P(Typed, KeyboardSearchTest,
    ::testing::Values(Search {"FirstLetter", -1, u"b"_s, "Beta.mp3"},
        Search {"LettersIgnoringCase", -1, u"BR"_s, "bravo.wav"},
        Search {"AfterTheCurrentFile", 1, u"b"_s, "bravo.wav"},
        Search {"WrapsAtTheEnd", 5, u"a"_s, "alpha.mp3"},
        Search {"LegacyNameByItsText", -1, u"CAF\u00C9 1"_s, "caf\xe9 1.mp3"},
        Search {"AsciiStartOfAnAccentedName", 3, u"caf"_s, "caf\xc3\xa9 2.mp3"},
        Search {"PlainLetterFindsAccented", -1, u"cafe"_s, "caf\xe9 1.mp3"},
        Search {"CaseAndAccentFoldedAsOrdered", -1, u"edith"_s,
            "\xc3\x89"
            "dith Piaf.mp3"},
        Search {"CombiningAccentSkipped", -1, u"uber"_s,
            "u\xcc\x88"
            "ber.mp3"},
        Search {"TypedAccentFolded", -1, u"\u00DCB"_s,
            "u\xcc\x88"
            "ber.mp3"},
        Search {"SignThatFoldsToALetter", -1, u"k"_s,
            "\xe2\x84\xaa"
            "elvin.mp3"},
        Search {"OtherScriptIgnoringCase", -1, u"\u03C9"_s, "\xce\xa9mega.mp3"},
        Search {"NoFileStartsSo", -1, u"x"_s, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// The pattern list splits at ';' and an empty list matches nothing.
TEST(FileListModelTest, SplitsPatternList)
{
    EXPECT_EQ(FileNamePatterns::split(u"*.a;*.b"_s), (QStringList {u"*.a"_s, u"*.b"_s}));
    EXPECT_TRUE(listedNames(QDir::tempPath(), FileNamePatterns(QStringList())).isEmpty());
}

// A folder that cannot be read lists nothing, and the model answers out-of-range rows.
TEST(FileListModelTest, MissingFolderListsNothing)
{
    ScratchFolder dir;
    FileListModel model(FolderHandle::open(dir.filePath(u"missing"_s)), FileNamePatterns({u"*.mp3"_s}));
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.fileName(0), QString());
    EXPECT_EQ(model.fileName(-1), QString());
}

class ManyChunksTest : public ::testing::TestWithParam<bool>
{ };

// A folder whose names the reading thread hands on in many chunks, made in an order of
// its own: every matching name is listed once, none split, in the natural order, read
// now or in the background.
TEST_P(ManyChunksTest, ListsEveryNameOnceInOrder)
{
    constexpr int kTracks = 10000; // some 150 kB of names: chunks of 64 kB and a part
    ScratchFolder dir;
    ASSERT_TRUE(dir.isValid());
    for (int i = 0; i < kTracks; ++i) {
        const int n = (i * 7919) % kTracks + 1; // 7919 is prime to kTracks: each number once
        ASSERT_TRUE(makeRaw(dir.path(), "track " + QByteArray::number(n) + ".mp3"));
        if (n % 10 == 0) {
            ASSERT_TRUE(makeRaw(dir.path(), "notes " + QByteArray::number(n) + ".txt"));
        }
    }
    FolderHandle folder = FolderHandle::open(dir.path());
    std::unique_ptr<FileListModel> model;
    if (GetParam()) {
        model = std::make_unique<FileListModel>();
        model->readInBackground(folder, FileNamePatterns::media());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !model->isReading(); }, 60000));
    } else {
        model = std::make_unique<FileListModel>(folder, FileNamePatterns::media());
    }
    ASSERT_EQ(model->rowCount(), kTracks);
    int misplaced = 0;
    for (int row = 0; row < kTracks; ++row)
        misplaced += model->fileName(row) != u"track %1.mp3"_s.arg(row + 1);
    EXPECT_EQ(misplaced, 0);
}

INSTANTIATE_TEST_SUITE_P(Read, ManyChunksTest, ::testing::Bool(),
    [](const auto& info) { return std::string(info.param ? "in_the_background" : "now"); });

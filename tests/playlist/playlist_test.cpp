// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "folderhandle.h"
#include "playlist.h"
#include "scratchfolder.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class PlaylistTest : public ::testing::Test
{
protected:
    void SetUp() override { playlist.start(); }

    Playlist playlist;
};

TEST_F(PlaylistTest, StartsAsAnEmptyM3UPlaylist)
{
    playlist.setName(u"old.m3u"_s);
    playlist.start();
    EXPECT_EQ(playlist.text(), u"#EXTM3U"_s);
    EXPECT_EQ(playlist.bytes(), "#EXTM3U\r\n"_ba);
    EXPECT_TRUE(playlist.name().isEmpty());
    EXPECT_EQ(playlist.ext(), u".m3u"_s);
}

// Picks append one entry each, in order, duplicates included.
TEST_F(PlaylistTest, PicksAppendEntriesInOrder)
{
    EXPECT_TRUE(playlist.addFile(u"a.mp3"_s));
    EXPECT_TRUE(playlist.addFile(u"b.wma"_s));
    EXPECT_TRUE(playlist.addFile(u"a.mp3"_s));
    EXPECT_EQ(playlist.text(), u"#EXTM3U\r\na.mp3\r\nb.wma\r\na.mp3"_s);
}

// A listed name that is not UTF-8 is saved as its own bytes, next to names that are and
// whatever prefix its line takes.
TEST_F(PlaylistTest, ListedNamesKeepTheirBytes)
{
    playlist.addFile("caf\xe9 au lait.mp3"_ba);
    playlist.addFile("\xc3\xa9t\xc3\xa9.mp3"_ba);
    playlist.addFile("#1 \x93hit\x94.mp3"_ba);
    playlist.addFile("na\xefve\x81.mp3"_ba);
    EXPECT_EQ(playlist.bytes(),
        "#EXTM3U\r\n"
        "caf\xe9 au lait.mp3\r\n"
        "\xc3\xa9t\xc3\xa9.mp3\r\n"
        "./#1 \x93hit\x94.mp3\r\n"
        "na\xefve\x81.mp3\r\n"_ba);
    EXPECT_EQ(playlist.text(),
        u"#EXTM3U\r\n"
        "caf\u00e9 au lait.mp3\r\n"
        "\u00e9t\u00e9.mp3\r\n"
        "./#1 \u201chit\u201d.mp3\r\n"
        "na\u00efve\u0081.mp3"_s);
}

struct SplitName {
    const char* label;
    QString name;
};

class OneLinePerPickTest : public PlaylistTest, public ::testing::WithParamInterface<SplitName>
{ };

// A name holding a line break adds nothing, given as text or as stored bytes.
TEST_P(OneLinePerPickTest, AddsNoLineOfItsOwn)
{
    EXPECT_FALSE(playlist.addFile(GetParam().name));
    EXPECT_FALSE(playlist.addFile(GetParam().name.toUtf8()));
    playlist.addFile(u"a.mp3"_s);
    EXPECT_EQ(playlist.text(), u"#EXTM3U\r\na.mp3"_s);
}

INSTANTIATE_TEST_SUITE_P(Names, OneLinePerPickTest,
    ::testing::Values(SplitName {"LineFeed", u"evil\n#EXTINF:1,Injected\nghost.mp3"_s},
        SplitName {"CarriageReturn", u"evil\rghost.mp3"_s},
        SplitName {"LineSeparator", u"evil\u2028ghost.mp3"_s},
        SplitName {"ParagraphSeparator", u"evil\u2029ghost.mp3"_s},
        SplitName {"FrameStart", u"evil\uFDD0#EXTINF:1,Injected\uFDD0ghost.mp3"_s},
        SplitName {"FrameEnd", u"evil\uFDD1ghost.mp3"_s}),
    [](const auto& info) { return std::string(info.param.label); });

struct ResetCase {
    const char* label;
    bool restart;
    QString afterReset;
    QString afterPick;
};

class ResetTest : public PlaylistTest, public ::testing::WithParamInterface<ResetCase>
{ };

// Reset empties the playlist and restarts it only when asked; the name stays.
TEST_P(ResetTest, EmptiesAndRestarts)
{
    playlist.addFile(u"x.mp3"_s);
    playlist.setName(u"keep.m3u"_s);
    playlist.reset(GetParam().restart);
    EXPECT_EQ(playlist.text(), GetParam().afterReset);
    playlist.addFile(u"a.mp3"_s);
    EXPECT_EQ(playlist.text(), GetParam().afterPick);
    EXPECT_EQ(playlist.name(), u"keep.m3u"_s);
    EXPECT_EQ(playlist.ext(), u".m3u"_s);
}

INSTANTIATE_TEST_SUITE_P(Restart, ResetTest,
    ::testing::Values(ResetCase {"restarted", true, u"#EXTM3U"_s, u"#EXTM3U\r\na.mp3"_s},
        ResetCase {"emptied", false, QString(), u"\r\na.mp3"_s}),
    [](const auto& info) { return std::string(info.param.label); });

struct RenameCase {
    const char* label;
    QString before;
    QString after;
};

class UseM3UTest : public PlaylistTest, public ::testing::WithParamInterface<RenameCase>
{ };

// Choosing M3U replaces every occurrence of the name's last four characters by ".m3u",
// then restarts the playlist.
TEST_P(UseM3UTest, RenamesThenRestarts)
{
    playlist.setName(GetParam().before);
    playlist.addFile(u"a.mp3"_s);
    playlist.useM3U();
    EXPECT_EQ(playlist.name(), GetParam().after);
    EXPECT_EQ(playlist.text(), u"#EXTM3U"_s);
    EXPECT_EQ(playlist.ext(), u".m3u"_s);
}

INSTANTIATE_TEST_SUITE_P(Names, UseM3UTest,
    ::testing::Values(RenameCase {"extension", u"mix.wma"_s, u"mix.m3u"_s},
        RenameCase {"no_extension", u"mylist"_s, u"my.m3u"_s}, RenameCase {"short", u"ab"_s, u".m3u"_s},
        RenameCase {"every_occurrence", u"a.wma b.wma"_s, u"a.m3u b.m3u"_s},
        RenameCase {"already_m3u", u"party.m3u"_s, u"party.m3u"_s},
        RenameCase {"case_sensitive", u"A.WMA a.wma"_s, u"A.WMA a.m3u"_s},
        RenameCase {"empty", QString(), QString()}),
    [](const auto& info) { return std::string(info.param.label); });

struct AsxCase {
    const char* label;
    QString folder;
    QByteArray artist;
    QByteArray album;
};

class AsxTest : public PlaylistTest, public ::testing::WithParamInterface<AsxCase>
{ };

// An ASX playlist, byte for byte (capital V, indentation, "/>" against " />", album before
// artist), with artist and album from the source folder's "Artist-Album" name.
TEST_P(AsxTest, IsExact)
{
    const AsxCase& c = GetParam();
    playlist.setSourceFolder(c.folder);
    playlist.startAsx();
    EXPECT_TRUE(playlist.addFile(u"a & b.mp3"_s));
    EXPECT_EQ(playlist.artist(), QString::fromUtf8(c.artist));
    EXPECT_EQ(playlist.album(), QString::fromUtf8(c.album));
    EXPECT_EQ(playlist.ext(), u".asx"_s);
    EXPECT_EQ(playlist.bytes(),
        "<ASX Version=\"3.0\">\r\n"
        "<AUTHOR></AUTHOR>\r\n"
        "<TITLE>"
            + c.artist + ":" + c.album
            + "</TITLE>\r\n"
              "<PARAM name=\"Album\" value=\""
            + c.album
            + "\"/>\r\n"
              "<PARAM name=\"Artist\" value=\""
            + c.artist
            + "\"/>\r\n"
              "    <BANNER href =\"\">\r\n"
              "        <MOREINFO HREF=\"https://cantorel.example.org/\" />\r\n"
              "        <ABSTRACT>Quellin's Web Site</ABSTRACT>\r\n"
              "    </BANNER>\r\n"
              "    <ENTRY>\r\n"
              "        <REF HREF=\"a & b.mp3\"/>\r\n"
              "        <TITLE>a & b.mp3</TITLE>\r\n"
              "        <PARAM name=\"Album\" value=\""
            + c.album
            + "\"/>\r\n"
              "        <PARAM name=\"Artist\" value=\""
            + c.artist
            + "\"/>\r\n"
              "    </ENTRY>\r\n"
              "</ASX>\r\n");
}

INSTANTIATE_TEST_SUITE_P(Folders, AsxTest,
    ::testing::Values(AsxCase {"simple", u"Ann-Best Of"_s, "Ann", "Best Of"},
        AsxCase {"second_dash_kept", u"Ann-Best-Of"_s, "Ann", "Best-Of"},
        AsxCase {"artist_repeated", u"Ann-Ann-Live"_s, "Ann", "Live"},
        AsxCase {"leading_dash", u"-Live"_s, "", "Live"}, AsxCase {"no_dash", u"Live"_s, "", "Live"}),
    [](const auto& info) { return std::string(info.param.label); });

// An HTML playlist takes no entries, and its save ends in its tail.
TEST_F(PlaylistTest, HtmlPlaylistIsItsHeadAndTail)
{
    ScratchFolder dir;
    playlist.startHtml();
    EXPECT_FALSE(playlist.addFile(u"a.mp3"_s));
    EXPECT_EQ(playlist.ext(), u".htm"_s);
    playlist.setName(u"page.htm"_s);
    EXPECT_TRUE(playlist.save(FolderHandle::open(dir.path())).saved);
    QFile file(dir.path() + u"/page.htm"_s);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "<html>\r\n<head></head>\r\n<body>\r\n</body></html>\r\n"_ba);
}

} // namespace

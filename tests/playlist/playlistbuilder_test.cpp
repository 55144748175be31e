// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "builderfixture.h"
#include "playlistformat.h"

#include <QTextCursor>

using namespace Qt::Literals::StringLiterals;

namespace {

using PlaylistBuilderTest = BuilderFixture;

TEST_F(PlaylistBuilderTest, StartsWithTheM3UHead)
{
    EXPECT_EQ(builder.PlaylistText(), u"#EXTM3U"_s);
    EXPECT_EQ(text1.toPlainText(), u"#EXTM3U"_s);
    EXPECT_TRUE(builder.PlaylistName().isEmpty());
    EXPECT_EQ(builder.PlaylistExt(), u".m3u"_s);
    EXPECT_EQ(check4.toolTip(), u"Save as m3u file"_s);
}

// Picks append one entry each, in order, duplicates included.
TEST_F(PlaylistBuilderTest, PicksAppendEntriesInOrder)
{
    builder.AddFile(u"a.mp3"_s);
    builder.AddFile(u"b.wma"_s);
    builder.AddFile(u"a.mp3"_s);
    EXPECT_EQ(builder.PlaylistText(), u"#EXTM3U\r\na.mp3\r\nb.wma\r\na.mp3"_s);
    EXPECT_EQ(text1.document()->blockCount(), 4);
}

// What the user typed into the box stays, and later picks follow it.
TEST_F(PlaylistBuilderTest, KeepsTheUsersEdits)
{
    builder.AddFile(u"a.mp3"_s);
    text1.setPlainText(u"#EXTM3U\n#EXTINF:-1,My mix\na.mp3 "_s);
    builder.AddFile(u"b.wma"_s);
    EXPECT_EQ(builder.PlaylistText(), u"#EXTM3U\r\n#EXTINF:-1,My mix\r\na.mp3 \r\nb.wma"_s);
}

TEST_F(PlaylistBuilderTest, AppendingLeavesTheUsersCaretAlone)
{
    QTextCursor caret = text1.textCursor();
    caret.setPosition(3);
    text1.setTextCursor(caret);
    builder.AddFile(u"a.mp3"_s);
    EXPECT_EQ(text1.textCursor().position(), 3);
}

TEST_F(PlaylistBuilderTest, KeepsCharactersThatPlainTextWouldAlter)
{
    builder.AddFile(u"no\u00A0break.mp3"_s);
    EXPECT_EQ(builder.PlaylistText(), u"#EXTM3U\r\nno\u00A0break.mp3"_s);
}

// The saved bytes come straight from the box: characters kept as typed, every line break
// the box can hold (a new block, a line separator from Shift+Enter) ending in CR LF.
TEST_F(PlaylistBuilderTest, SavedBytesFollowTheBox)
{
    builder.AddFile(u"no\u00A0break.mp3"_s);
    QTextCursor end(text1.document());
    end.movePosition(QTextCursor::End);
    end.insertText(u"\u2028x.mp3"_s);
    builder.AddFile(u"b.wma"_s);
    EXPECT_EQ(builder.playlistBytes(),
        "#EXTM3U\r\nno\xC2\xA0"
        "break.mp3\r\nx.mp3\r\nb.wma\r\n"_ba);
}

struct ResetCase {
    const char* label;
    bool checked;
    QString afterReset;
    QString afterPick;
};

class ResetTest : public BuilderFixture, public ::testing::WithParamInterface<ResetCase>
{ };

// Reset empties the playlist and restarts it only while the box is checked.
TEST_P(ResetTest, EmptiesAndRestarts)
{
    builder.AddFile(u"x.mp3"_s);
    text2.setText(u"keep.m3u"_s);
    check4.setChecked(GetParam().checked);
    builder.ResetPlaylist();
    EXPECT_EQ(builder.PlaylistText(), GetParam().afterReset);
    builder.AddFile(u"a.mp3"_s);
    EXPECT_EQ(builder.PlaylistText(), GetParam().afterPick);
    EXPECT_EQ(builder.PlaylistName(), u"keep.m3u"_s);
    EXPECT_EQ(builder.PlaylistExt(), u".m3u"_s);
}

INSTANTIATE_TEST_SUITE_P(CheckState, ResetTest,
    ::testing::Values(ResetCase {"checked", true, u"#EXTM3U"_s, u"#EXTM3U\r\na.mp3"_s},
        ResetCase {"unchecked", false, QString(), u"\r\na.mp3"_s}),
    [](const auto& info) { return std::string(info.param.label); });

struct RenameCase {
    const char* label;
    QString before;
    QString after;
};

class CheckRenameTest : public BuilderFixture, public ::testing::WithParamInterface<RenameCase>
{ };

// Checking the box replaces every occurrence of the name's last four characters by
// ".m3u", updates the name through Text2's change, then restarts the playlist.
TEST_P(CheckRenameTest, RenamesThenRestarts)
{
    text2.setText(GetParam().before);
    builder.AddFile(u"a.mp3"_s);

    QStringList playlistWhenRenamed;
    QObject::connect(&text2, &QLineEdit::textChanged, [&] { playlistWhenRenamed << builder.PlaylistText(); });
    check4.setChecked(true);
    builder.FormatCheckClicked();

    EXPECT_EQ(text2.text(), GetParam().after);
    EXPECT_EQ(builder.PlaylistName(), GetParam().after);
    EXPECT_EQ(text2.toolTip(), GetParam().after);
    EXPECT_EQ(builder.PlaylistText(), u"#EXTM3U"_s);
    EXPECT_EQ(check4.toolTip(), u"Save as m3u file"_s);
    for (const QString& text : playlistWhenRenamed)
        EXPECT_EQ(text, u"#EXTM3U\r\na.mp3"_s) << "the name must follow before the restart";
}

INSTANTIATE_TEST_SUITE_P(Names, CheckRenameTest,
    ::testing::Values(RenameCase {"extension", u"mix.wma"_s, u"mix.m3u"_s},
        RenameCase {"no_extension", u"mylist"_s, u"my.m3u"_s}, RenameCase {"short", u"ab"_s, u".m3u"_s},
        RenameCase {"every_occurrence", u"a.wma b.wma"_s, u"a.m3u b.m3u"_s},
        RenameCase {"already_m3u", u"party.m3u"_s, u"party.m3u"_s},
        RenameCase {"case_sensitive", u"A.WMA a.wma"_s, u"A.WMA a.m3u"_s},
        RenameCase {"empty", QString(), QString()}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(PlaylistBuilderTest, UncheckingOnlyClearsTheTooltip)
{
    text2.setText(u"mix.wma"_s);
    builder.AddFile(u"a.mp3"_s);
    check4.setChecked(false);
    builder.FormatCheckClicked();

    EXPECT_TRUE(check4.toolTip().isEmpty());
    EXPECT_EQ(text2.text(), u"mix.wma"_s);
    EXPECT_EQ(builder.PlaylistText(), u"#EXTM3U\r\na.mp3"_s);
    EXPECT_EQ(builder.PlaylistExt(), u".m3u"_s);
    EXPECT_EQ(builder.formatCaption(), u".m3u filename:"_s);

    builder.AddFile(u"b.wma"_s);
    EXPECT_EQ(builder.PlaylistText(), u"#EXTM3U\r\na.mp3\r\nb.wma"_s);
}

TEST_F(PlaylistBuilderTest, TypingFollowsTheName)
{
    text2.setText(u"p"_s);
    text2.setText(u"party.m3u"_s);
    EXPECT_EQ(builder.PlaylistName(), u"party.m3u"_s);
    EXPECT_EQ(text2.toolTip(), u"party.m3u"_s);
}

struct SplitCase {
    const char* label;
    QString folder;
    QString artist;
    QString album;
};

class AsxSplitTest : public BuilderFixture, public ::testing::WithParamInterface<SplitCase>
{ };

// The ASX head takes artist and album from the source folder's "Artist-Album" name.
TEST_P(AsxSplitTest, DerivesArtistAndAlbum)
{
    builder.setSourceFolder(GetParam().folder);
    builder.StartASX();
    EXPECT_EQ(builder.ArtistName(), GetParam().artist);
    EXPECT_EQ(builder.AlbumName(), GetParam().album);
    EXPECT_TRUE(builder.PlaylistText().startsWith(u"<ASX Version=\"3.0\">\r\n"_s));
    EXPECT_TRUE(builder.PlaylistText().contains(
        u"<TITLE>"_s + GetParam().artist + u':' + GetParam().album + u"</TITLE>"_s));
}

INSTANTIATE_TEST_SUITE_P(Folders, AsxSplitTest,
    ::testing::Values(SplitCase {"simple", u"Ann-Best"_s, u"Ann"_s, u"Best"_s},
        SplitCase {"second_dash_kept", u"Ann-Best-Of"_s, u"Ann"_s, u"Best-Of"_s},
        SplitCase {"artist_repeated", u"Ann-Ann-Live"_s, u"Ann"_s, u"Live"_s},
        SplitCase {"leading_dash", u"-Live"_s, QString(), u"Live"_s},
        SplitCase {"no_dash", u"Live"_s, QString(), u"Live"_s}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(PlaylistBuilderTest, HeldFormatsAppendTheirEntries)
{
    builder.setPlaylistExt(u".asx"_s);
    builder.setSourceFolder(u"Ann-Best"_s);
    builder.StartASX();
    const QString head = builder.PlaylistText();
    builder.AddFile(u"a.mp3"_s);
    EXPECT_EQ(builder.PlaylistText(), head + PlaylistFormat::asxEntry(u"a.mp3"_s, u"Ann"_s, u"Best"_s));

    builder.setPlaylistExt(u".htm"_s);
    builder.StartHTML();
    builder.AddFile(u"a.mp3"_s);
    EXPECT_EQ(builder.PlaylistText(), u"<html>\r\n<head></head>\r\n<body>"_s);
}

} // namespace

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "builderfixture.h"
#include "saveresulttext.h"
#include "scratchfolder.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
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
    EXPECT_EQ(builder.playlist().bytes(),
        "#EXTM3U\r\nno\xC2\xA0"
        "break.mp3\r\nx.mp3\r\nb.wma\r\n"_ba);
}

// Reset empties the playlist and restarts it only while the box is checked.
TEST_F(PlaylistBuilderTest, ResetRestartsOnlyWhileChecked)
{
    builder.AddFile(u"x.mp3"_s);
    text2.setText(u"keep.m3u"_s);
    check4.setChecked(false);
    builder.ResetPlaylist();
    EXPECT_EQ(builder.PlaylistText(), QString());
    check4.setChecked(true);
    builder.ResetPlaylist();
    EXPECT_EQ(builder.PlaylistText(), u"#EXTM3U"_s);
    EXPECT_EQ(builder.PlaylistName(), u"keep.m3u"_s);
}

// Checking the box renames the playlist and restarts it; the name box shows the new name,
// which does not come back through the box's change.
TEST_F(PlaylistBuilderTest, CheckingShowsTheRenamedName)
{
    text2.setText(u"a.wma b.wma"_s);
    builder.AddFile(u"a.mp3"_s);
    QSignalSpy typed(&text2, &QLineEdit::textChanged);
    check4.setChecked(true);
    builder.FormatCheckClicked();

    EXPECT_EQ(text2.text(), u"a.m3u b.m3u"_s);
    EXPECT_EQ(text2.toolTip(), u"a.m3u b.m3u"_s);
    EXPECT_EQ(builder.PlaylistName(), u"a.m3u b.m3u"_s);
    EXPECT_EQ(builder.PlaylistText(), u"#EXTM3U"_s);
    EXPECT_EQ(check4.toolTip(), u"Save as m3u file"_s);
    EXPECT_EQ(typed.count(), 0);
}

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

TEST_F(PlaylistBuilderTest, PathAddsTheSeparatorEvenAfterOne)
{
    text2.setText(u"a.m3u"_s);
    EXPECT_EQ(builder.savePath(u"/music"_s), QDir::toNativeSeparators(u"/music/a.m3u"_s));
    EXPECT_EQ(builder.savePath(u"/"_s), QDir::toNativeSeparators(u"//a.m3u"_s));
}

struct MessageCase {
    const char* label;
    QString name;
    bool olderCopy; // an older copy of the file, left by a save that was cut off, lies beside it
    PlaylistBuilder::SaveOutcome outcome;
    // What the message holds besides (the path and the reason of a failure are checked always).
    QString holds = {};
};

class SaveMessageTest : public BuilderFixture, public ::testing::WithParamInterface<MessageCase>
{ };

// A save ends in one message: exactly "Saved", or with what the user must know on a line of
// its own under it; a request for a name; or the failure with the path, shown without raw
// controls, and the reason.
TEST_P(SaveMessageTest, TellsHowTheSaveEnded)
{
    const MessageCase& c = GetParam();
    ScratchFolder dir;
    if (c.olderCopy) {
        for (const char* name : {"/keep.m3u", "/.keep.m3u.cantorel-backup"}) {
            QFile file(dir.path() + QString::fromLatin1(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("#EXTM3U\r\n") > 0);
        }
    }
    QDir(dir.path()).mkdir(u"sub"_s);
    std::optional<SaveTypes::Result> ended;
    QObject::connect(&builder, &PlaylistBuilder::saveEnded, [&](const SaveTypes::Result& r) { ended = r; });
    builder.AddFile(u"a.mp3"_s);
    text2.setText(c.name);
    builder.SavePlaylist(FolderHandle::open(dir.path()));

    ASSERT_EQ(messages.size(), 1u);
    const QString& text = messages[0].text;
    EXPECT_EQ(messages[0].outcome, c.outcome) << text.toStdString();
    EXPECT_TRUE(text.contains(c.holds)) << text.toStdString();
    EXPECT_FALSE(text.contains(QChar(0))) << "the message shows no raw control";
    switch (c.outcome) {
    case PlaylistBuilder::SaveOutcome::Saved:
        ASSERT_TRUE(ended);
        EXPECT_EQ(text, c.olderCopy ? u"Saved\n"_s + SaveResultText::notice(*ended) : u"Saved"_s);
        break;
    case PlaylistBuilder::SaveOutcome::NeedsName: EXPECT_FALSE(ended) << "nothing was written"; break;
    case PlaylistBuilder::SaveOutcome::Failed:
        ASSERT_TRUE(ended);
        EXPECT_TRUE(text.contains(builder.savePath(dir.path()))) << text.toStdString();
        EXPECT_TRUE(text.contains(SaveResultText::reason(*ended))) << text.toStdString();
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Ends, SaveMessageTest,
    ::testing::Values(MessageCase {"saved", u"party.m3u"_s, false, PlaylistBuilder::SaveOutcome::Saved},
        MessageCase {"saved_beside_an_older_copy", u"keep.m3u"_s, true, PlaylistBuilder::SaveOutcome::Saved,
            u".keep.m3u.cantorel-backup"_s},
        MessageCase {"no_name", QString(), false, PlaylistBuilder::SaveOutcome::NeedsName, u"file name"_s},
        MessageCase {"name_is_a_folder", u"sub"_s, false, PlaylistBuilder::SaveOutcome::Failed},
        MessageCase {"nul_in_the_name", u"song.wav"_s + QChar(0) + u".m3u"_s, false,
            PlaylistBuilder::SaveOutcome::Failed, u"\u2400"_s}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace

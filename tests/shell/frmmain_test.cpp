// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "mainwindowfixture.h"

#include "clickarea.h"
#include "filelistview.h"
#include "frmmain.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QToolTip>
#include <QTimer>

#include <cstdio>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Row of each fixture file in File1: natural order.
constexpr int kA = 0, kB = 1, kC = 2, kD = 3;

} // namespace

using MainWindowTest = MainWindowFixture;

// The window as designed: caption, fixed client size, title-bar elements, icon, picture.
TEST_F(MainWindowTest, HasItsFixedFrame)
{
    EXPECT_EQ(window->windowTitle(), u"Playlist maker"_s);
    EXPECT_EQ(window->size(), QSize(396, 299));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(window->windowIcon().isNull());

    // The background shows through everywhere no control covers it: its top-left pixel is
    // the gradient's first grey, and the click areas paint nothing over SAVE and RESET.
    const QImage shot = window->grab().toImage();
    const QImage picture(u":/assets/background.png"_s);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(shot.pixelColor(0, 0), QColor(52, 52, 52));
    for (const QPoint p : {QPoint(300, 281), QPoint(360, 281), QPoint(389, 7), QPoint(328, 280)})
        EXPECT_EQ(shot.pixel(p), picture.pixel(p)) << p.x() << "," << p.y();
}

struct Placement {
    const char* control;
    QRect pixels;
};

class LayoutTest : public MainWindowFixture, public ::testing::WithParamInterface<Placement>
{ };

// Every control sits where its twips put it, each edge rounded to the nearest pixel.
TEST_P(LayoutTest, PlacesControl)
{
    const QWidget* control = window->findChild<QWidget*>(QString::fromLatin1(GetParam().control));
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->geometry(), GetParam().pixels);
}

INSTANTIATE_TEST_SUITE_P(Controls, LayoutTest,
    ::testing::Values(Placement {"File1", QRect(8, 24, 185, 214)},
        Placement {"Text1", QRect(201, 24, 192, 217)}, // 3009 twips is 200.6 px: on the panel's edge
        Placement {"Text2", QRect(8, 270, 249, 25)},
        Placement {"Check4", QRect(328, 304, 49, 17)}, // wholly below the 299 px client area
        Placement {"cmdReset", QRect(328, 272, 65, 17)}, Placement {"cmdSave", QRect(272, 272, 57, 17)},
        Placement {"cmdExit", QRect(376, 0, 25, 17)}), // 5 px past the right edge
    [](const auto& info) { return std::string(info.param.control); });

// A folder with a file for each of the media patterns, some in capitals, beside names that
// only look like them and a hidden media file.
class DesignedControlsTest : public MainWindowFixture
{
protected:
    QStringList files() const override
    {
        return {u"a.avi"_s, u"b.MP3"_s, u"c.mpeg"_s, u"d.Mpg"_s, u"e.swf"_s, u"f.wav"_s, u"g.wma"_s,
            u"h.WMV"_s, u"mp3"_s, u"i.mp3.txt"_s, u"j.mp4"_s, u"k.m3u"_s, u".l.mp3"_s};
    }
};

// The controls as the window's design gives them, seen as a user sees them: File1 lists the
// files of "*.avi;*.mp3;*.mpeg;*.mpg;*.swf;*.wav;*.wma;*.wmv" in any letter case, hidden
// ones not; Text1 wraps long lines at its width and shows no scroll bar however long the
// playlist; Text2 starts empty; Check4 is captioned "m3u", checked and enabled, yet lies
// out of sight; a click on the painted words takes no focus.
TEST_F(DesignedControlsTest, ControlsAreSetUpAsDesigned)
{
    QStringList listed;
    for (int row = 0; row < window->File1()->model()->rowCount(); ++row)
        listed << window->File1()->model()->index(row, 0).data().toString();
    listed.sort();
    EXPECT_EQ(listed,
        QStringList({u"a.avi"_s, u"b.MP3"_s, u"c.mpeg"_s, u"d.Mpg"_s, u"e.swf"_s, u"f.wav"_s, u"g.wma"_s,
            u"h.WMV"_s}));

    QPlainTextEdit* text1 = window->Text1();
    const QString longLine(300, u'x');
    text1->setPlainText(longLine + QString(u"\nline"_s).repeated(40));
    QTextCursor lineEnd(text1->document());
    lineEnd.setPosition(int(longLine.size()));
    EXPECT_GT(text1->cursorRect(lineEnd).top(), text1->cursorRect(QTextCursor(text1->document())).top())
        << "a long line wraps";
    QCoreApplication::processEvents();
    EXPECT_FALSE(text1->verticalScrollBar()->isVisible());
    EXPECT_FALSE(text1->horizontalScrollBar()->isVisible());
    EXPECT_EQ(text1->viewport()->geometry(), text1->rect()) << "the text fills the box: no frame";
    EXPECT_FALSE(window->Text2()->hasFrame());
    EXPECT_EQ(window->Text2()->text(), QString());

    EXPECT_EQ(window->Check4()->text(), u"m3u"_s);
    EXPECT_TRUE(window->Check4()->isChecked());
    EXPECT_TRUE(window->Check4()->isEnabled());
    EXPECT_TRUE(window->Check4()->visibleRegion().isEmpty());

    window->Text2()->setFocus();
    for (const QPoint paintedWord : {QPoint(300, 280), QPoint(360, 280)}) {
        clickAt(paintedWord);
        EXPECT_EQ(QApplication::focusWidget(), window->Text2()) << paintedWord.x();
    }
}

// The window opens as InitPlaylist leaves it, with the focus in File1 and nothing picked.
TEST_F(MainWindowTest, OpensReady)
{
    EXPECT_EQ(QApplication::focusWidget(), window->File1());
    EXPECT_EQ(text1(), u"#EXTM3U"_s);
    EXPECT_EQ(window->Check4()->toolTip(), u"Save as m3u file"_s);
    EXPECT_EQ(window->folder().displayPath(), QDir::toNativeSeparators(folder.path()));
    EXPECT_EQ(window->File1()->model()->rowCount(), 4);
}

// Tab walks File1, Text1, Text2 and the hidden Check4, then comes back to File1; a Tab in
// Text1 moves the focus instead of typing a tab.
TEST_F(MainWindowTest, TabReachesEveryControlInOrder)
{
    const std::vector<QWidget*> order = {window->Text1(), window->Text2(), window->Check4(), window->File1()};
    for (QWidget* expected : order) {
        key(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected) << expected->objectName().toStdString();
    }
    EXPECT_EQ(text1(), u"#EXTM3U"_s);
    EXPECT_EQ(messages.size(), 0u);
}

// Typing a name runs SetPlaylistName on every change.
TEST_F(MainWindowTest, TypedNameReachesBuilder)
{
    window->Text2()->setFocus();
    QTest::keyClicks(window->Text2(), u"party.m3u"_s);
    EXPECT_EQ(window->builder().PlaylistName(), u"party.m3u"_s);
    EXPECT_EQ(window->Text2()->toolTip(), u"party.m3u"_s);
}

// Build, save, reset as a user would: the saved file holds the picks in CR LF lines.
TEST_F(MainWindowTest, BuildSaveAndReset)
{
    window->Text2()->setText(u"party.m3u"_s);
    clickAt(rowCentre(kA));
    clickAt(rowCentre(kD));
    EXPECT_EQ(text1(), u"#EXTM3U\na.mp3\nd.WMA"_s);

    clickAt(QPoint(300, 280)); // the painted SAVE
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].outcome, PlaylistBuilder::SaveOutcome::Saved);
    EXPECT_EQ(messages[0].text, u"Saved"_s);
    QFile saved(folder.filePath(u"party.m3u"_s));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("#EXTM3U\r\na.mp3\r\nd.WMA\r\n"));

    clickAt(QPoint(360, 280)); // the painted RESET
    EXPECT_EQ(text1(), u"#EXTM3U"_s);
    EXPECT_EQ(messages.size(), 1u);
}

// Space on the hidden Check4 runs FormatCheckClicked both ways.
TEST_F(MainWindowTest, SpaceOnCheck4TogglesFormat)
{
    window->Text2()->setText(u"mix.wma"_s);
    clickAt(rowCentre(kB));
    window->Check4()->setFocus(Qt::TabFocusReason);

    key(Qt::Key_Space);
    EXPECT_FALSE(window->Check4()->isChecked());
    EXPECT_EQ(window->Check4()->toolTip(), QString());
    EXPECT_EQ(text1(), u"#EXTM3U\nb.mp3"_s); // unchecking changes nothing else

    key(Qt::Key_Space);
    EXPECT_TRUE(window->Check4()->isChecked());
    EXPECT_EQ(window->Text2()->text(), u"mix.m3u"_s);
    EXPECT_EQ(window->builder().PlaylistName(), u"mix.m3u"_s);
    EXPECT_EQ(text1(), u"#EXTM3U"_s);
}

// Reset with Check4 unchecked empties the box; the next pick starts with an empty line.
TEST_F(MainWindowTest, ResetWhileUncheckedEmpties)
{
    window->Check4()->setFocus(Qt::TabFocusReason);
    key(Qt::Key_Space);
    clickAt(QPoint(360, 280));
    EXPECT_EQ(text1(), QString());
    clickAt(rowCentre(kC));
    EXPECT_EQ(window->builder().PlaylistText(), u"\r\nc.wav"_s);
}

struct UndoneRestart {
    const char* name;
    bool viaCheck4; // the m3u box unchecked and checked again, else RESET
};

class UndoRestartTest : public MainWindowFixture, public ::testing::WithParamInterface<UndoneRestart>
{ };

// RESET and the m3u box's restart replace the playlist as one step: Ctrl+Z in the box
// brings the whole text back, picks and typing included, and Ctrl+Y redoes the restart.
TEST_P(UndoRestartTest, CtrlZBringsThePlaylistBack)
{
    clickAt(rowCentre(kA));
    clickAt(rowCentre(kC));
    window->Text1()->setFocus(Qt::OtherFocusReason);
    window->Text1()->moveCursor(QTextCursor::End);
    QTest::keyClick(window->Text1(), Qt::Key_Return);
    QTest::keyClicks(window->Text1(), u"# mine"_s);
    const QString before = text1();
    ASSERT_EQ(before, u"#EXTM3U\na.mp3\nc.wav\n# mine"_s);

    if (GetParam().viaCheck4) {
        window->Check4()->setFocus(Qt::TabFocusReason);
        key(Qt::Key_Space);
        key(Qt::Key_Space);
        ASSERT_TRUE(window->Check4()->isChecked());
    } else {
        clickAt(QPoint(360, 280)); // the painted RESET
    }
    EXPECT_EQ(text1(), u"#EXTM3U"_s);

    window->Text1()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(window->Text1(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text1(), before);
    QTest::keyClick(window->Text1(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(text1(), u"#EXTM3U"_s);
    clickAt(rowCentre(kB));
    EXPECT_EQ(window->builder().PlaylistText(), u"#EXTM3U\r\nb.mp3"_s);
}

INSTANTIATE_TEST_SUITE_P(Restarts, UndoRestartTest,
    ::testing::Values(UndoneRestart {"Reset", false}, UndoneRestart {"M3uBox", true}),
    [](const auto& info) { return std::string(info.param.name); });

// A new window's playlist has nothing before it: Ctrl+Z leaves "#EXTM3U".
TEST_F(MainWindowTest, NothingToUndoInANewWindow)
{
    window->Text1()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(window->Text1(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text1(), u"#EXTM3U"_s);
}

struct KeyPicks {
    const char* name;
    std::vector<Qt::Key> keys;
    QString entries; // what the keys append to "#EXTM3U", lines joined by LF
};

class KeyboardPickTest : public MainWindowFixture, public ::testing::WithParamInterface<KeyPicks>
{ };

// Each key that makes another file current adds that file once; a key that moves nowhere
// adds nothing.
TEST_P(KeyboardPickTest, AddsOneEntryPerMove)
{
    ASSERT_EQ(QApplication::focusWidget(), window->File1());
    for (Qt::Key k : GetParam().keys)
        key(k);
    EXPECT_EQ(text1(), u"#EXTM3U"_s + GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyboardPickTest,
    ::testing::Values(KeyPicks {"FirstDownPicksFirstFile", {Qt::Key_Down}, u"\na.mp3"_s},
        KeyPicks {"FirstEndPicksLastFile", {Qt::Key_End, Qt::Key_End}, u"\nd.WMA"_s},
        KeyPicks {"FirstPageDownPicksAPageDown", {Qt::Key_PageDown}, u"\nd.WMA"_s},
        KeyPicks {"FirstUpPicksFirstFile", {Qt::Key_Up}, u"\na.mp3"_s},
        KeyPicks {"DownTwice", {Qt::Key_Down, Qt::Key_Down}, u"\na.mp3\nb.mp3"_s},
        KeyPicks {"UpAtTopMovesNowhere", {Qt::Key_Down, Qt::Key_Up}, u"\na.mp3"_s},
        KeyPicks {"EndThenHome", {Qt::Key_Down, Qt::Key_End, Qt::Key_Home}, u"\na.mp3\nd.WMA\na.mp3"_s},
        KeyPicks {"EndTwice", {Qt::Key_Down, Qt::Key_End, Qt::Key_End}, u"\na.mp3\nd.WMA"_s},
        KeyPicks {"PageDown", {Qt::Key_Down, Qt::Key_PageDown}, u"\na.mp3\nd.WMA"_s},
        KeyPicks {"TypedLetter", {Qt::Key_C}, u"\nc.wav"_s},
        KeyPicks {"SpaceIsNoMove", {Qt::Key_Down, Qt::Key_Space}, u"\na.mp3"_s}),
    [](const auto& info) { return std::string(info.param.name); });

// A click picks even the file that is already current; a double click is one pick.
TEST_F(MainWindowTest, EveryClickOnAFilePicks)
{
    clickAt(rowCentre(kB));
    QTest::qWait(QApplication::doubleClickInterval() + 50); // two clicks, not a double click
    clickAt(rowCentre(kB));
    EXPECT_EQ(text1(), u"#EXTM3U\nb.mp3\nb.mp3"_s);

    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, rowCentre(kC));
    EXPECT_EQ(text1(), u"#EXTM3U\nb.mp3\nb.mp3\nc.wav"_s);
}

// Ctrl held changes nothing: the picked file stays highlighted, and Ctrl+Down picks too.
TEST_F(MainWindowTest, CtrlKeepsPickedFileSelected)
{
    clickAt(rowCentre(kB));
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::ControlModifier, rowCentre(kB));
    QTest::keyClick(window->File1(), Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(text1(), u"#EXTM3U\nb.mp3\nb.mp3\nc.wav"_s);
    const QModelIndexList selected = window->File1()->selectionModel()->selectedIndexes();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first().row(), kC);
}

// Nothing picks but a left click on a file: not the right button, not the empty space
// below the files, not the list taking the focus again.
TEST_F(MainWindowTest, OnlyLeftClicksOnFilesPick)
{
    clickAt(rowCentre(kA), Qt::RightButton);
    const QPoint belowFiles = rowCentre(kD) + QPoint(0, 60);
    ASSERT_FALSE(
        window->File1()->indexAt(window->File1()->viewport()->mapFrom(window.get(), belowFiles)).isValid());
    clickAt(belowFiles);
    window->Text2()->setFocus();
    window->File1()->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(text1(), u"#EXTM3U"_s);
}

struct StripClick {
    const char* name;
    int x;
    bool save; // else reset
};

class ClickAreaOverlapTest : public MainWindowFixture, public ::testing::WithParamInterface<StripClick>
{ };

// cmdSave (272..328) and cmdReset (328..392) share the column x = 328; a click anywhere
// runs exactly one of them.
TEST_P(ClickAreaOverlapTest, RunsExactlyOne)
{
    window->Text2()->setText(u"strip.m3u"_s);
    clickAt(rowCentre(kA));
    clickAt(QPoint(GetParam().x, 280));
    const bool saved = !messages.empty();
    const bool reset = text1() == u"#EXTM3U"_s;
    EXPECT_EQ(saved, GetParam().save);
    EXPECT_NE(saved, reset);
}

INSTANTIATE_TEST_SUITE_P(Columns, ClickAreaOverlapTest,
    ::testing::Values(StripClick {"SaveLeftEdge", 272, true}, StripClick {"SaveBeforeStrip", 327, true},
        StripClick {"SharedStrip", 328, true}, StripClick {"ResetAfterStrip", 329, false},
        StripClick {"ResetRightEdge", 392, false}),
    [](const auto& info) { return std::string(info.param.name); });

// No key saves, resets or leaves: Enter in Text2 is no default button, Escape no cancel.
TEST_F(MainWindowTest, KeysNeverClickTheAreas)
{
    window->Text2()->setFocus();
    QTest::keyClicks(window->Text2(), u"keys.m3u"_s);
    for (Qt::Key k : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_Space})
        key(k);
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(QFile::exists(folder.filePath(u"keys.m3u"_s)));
    EXPECT_TRUE(window->isVisible());
}

// The painted cross ends the program at once: the event loop returns, nothing is saved.
TEST_F(MainWindowTest, CrossEndsProgramWithoutSaving)
{
    window->Text2()->setText(u"unsaved.m3u"_s);
    clickAt(rowCentre(kA));
    QTimer::singleShot(0, window.get(), [this] { clickAt(QPoint(389, 7)); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); }); // guard: the cross did nothing
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(QFile::exists(folder.filePath(u"unsaved.m3u"_s)));
}

// The list's tooltip names the listed folder wherever the pointer rests: over a file, under
// the file's name.
TEST_F(MainWindowTest, FolderTipOverAFile)
{
    QWidget* viewport = window->File1()->viewport();
    const QPoint at = viewport->mapFrom(window.get(), rowCentre(kB));
    QHelpEvent help(QEvent::ToolTip, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &help);
    ASSERT_TRUE(QToolTip::isVisible());
    const QString tip = QToolTip::text();
    EXPECT_TRUE(
        tip.indexOf(u"b.mp3"_s) >= 0 && tip.indexOf(u"b.mp3"_s) < tip.indexOf(u"saved into this folder"_s))
        << tip.toStdString();
    QToolTip::hideText();
}

// Files that turn up after the window was made are not listed: File1 is filled once.
TEST_F(MainWindowTest, ListIsFilledOnce)
{
    QFile late(folder.filePath(u"late.mp3"_s));
    ASSERT_TRUE(late.open(QIODevice::WriteOnly));
    late.close();
    QTest::qWait(50);
    EXPECT_EQ(window->File1()->model()->rowCount(), 4);
}

class EmptyFolderTest : public MainWindowFixture
{
    QStringList files() const override { return {u"readme.txt"_s}; }
};

// With no media file the list is empty and no key or click adds anything.
TEST_F(EmptyFolderTest, NothingToPick)
{
    EXPECT_EQ(window->File1()->model()->rowCount(), 0);
    key(Qt::Key_Down);
    key(Qt::Key_End);
    clickAt(QPoint(50, 40));
    EXPECT_EQ(text1(), u"#EXTM3U"_s);
}

// A file whose name is not UTF-8, beside its UTF-8 twin: each click saves the bytes of the
// very file clicked.
class LegacyNameWindowTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        for (const QByteArray& name : {QByteArray("caf\xe9.mp3"), QByteArray("caf\xc3\xa9.mp3")}) {
            // QFile cannot name a file whose name is not UTF-8: make it through its bytes.
            const QByteArray path = QFile::encodeName(folder.path()) + '/' + name;
            FILE* raw = std::fopen(path.constData(), "w");
            ASSERT_NE(raw, nullptr);
            std::fclose(raw);
        }
        MainWindowFixture::SetUp();
    }
};

TEST_F(LegacyNameWindowTest, PicksSaveTheClickedFilesBytes)
{
    window->Text2()->setText(u"party.m3u"_s);
    ASSERT_EQ(window->File1()->model()->rowCount(), 6);
    clickAt(rowCentre(3)); // after a.mp3, b.mp3, c.wav: the UTF-8 twin first
    clickAt(rowCentre(4));
    EXPECT_EQ(text1(), u"#EXTM3U\ncaf\u00e9.mp3\ncaf\u00e9.mp3"_s);
    clickAt(QPoint(300, 280)); // the painted SAVE
    QFile saved(folder.filePath(u"party.m3u"_s));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("#EXTM3U\r\ncaf\xc3\xa9.mp3\r\ncaf\xe9.mp3\r\n"));
}

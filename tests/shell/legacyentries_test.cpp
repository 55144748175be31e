// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "builderfixture.h"
#include "scratchfolder.h"

#include <QFile>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Picks of files whose names are not UTF-8, among others, then edits by hand around the
// entries, then a save: every entry of the file names an existing file, byte for byte,
// and what was typed is written as typed.
class LegacySaveTest : public BuilderFixture
{
protected:
    void SetUp() override
    {
        BuilderFixture::SetUp();
        ASSERT_TRUE(dir.isValid());
        for (const QByteArray& name : onDisk) {
            const QByteArray path = QFile::encodeName(dir.path()) + '/' + name;
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            ASSERT_TRUE(fd >= 0 && ::close(fd) == 0) << name.toStdString();
        }
        text1.show();
        text2.setText(u"mix.m3u"_s);
    }

    // Moves the box's caret to the end of line `line` (0 is the head) and types there.
    void typeAtEndOf(int line, const QString& keys)
    {
        QTextCursor caret(text1.document()->findBlockByNumber(line));
        caret.movePosition(QTextCursor::EndOfBlock);
        text1.setTextCursor(caret);
        type(keys);
    }

    void typeAtStartOf(int line, const QString& keys)
    {
        text1.setTextCursor(QTextCursor(text1.document()->findBlockByNumber(line)));
        type(keys);
    }

    // Each character as the keyboard sends it, '\n' as the Return key.
    void type(const QString& keys)
    {
        for (QChar c : keys) {
            if (c == u'\n') {
                QTest::keyClick(&text1, Qt::Key_Return);
            } else {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
                QApplication::sendEvent(&text1, &press);
            }
        }
    }

    QByteArray saved()
    {
        builder.SavePlaylist(FolderHandle::open(dir.path()));
        QFile file(dir.filePath(u"mix.m3u"_s));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    bool names(const QByteArray& entry) const
    {
        return ::access((QFile::encodeName(dir.path()) + '/' + entry).constData(), F_OK) == 0;
    }

    ScratchFolder dir;
    const QList<QByteArray> onDisk = {"caf\xe9 au lait.mp3", "caf\xc3\xa9 au lait.mp3",
        "\x81\x8d\x8f\x90\x9d \x80.wav", "#1 \x93hit\x94.mp3", "plain.mp3"};
};

TEST_F(LegacySaveTest, EntriesKeepTheirBytesThroughEdits)
{
    for (const QByteArray& name : onDisk)
        builder.AddFile(name);
    // Lines: 0 head, 1 café (1252), 2 café (UTF-8), 3 C1 bytes, 4 ./#1 "hit", 5 plain.
    EXPECT_EQ(text1.document()->findBlockByNumber(1).text(), u"caf\u00e9 au lait.mp3"_s);
    EXPECT_EQ(text1.document()->findBlockByNumber(4).text(), u"./#1 \u201chit\u201d.mp3"_s);

    typeAtEndOf(5, u"\n# fin \u00bd"_s);                    // after an unmarked entry
    typeAtEndOf(3, u"\n#EXTINF:-1,Caf\u00e9 cr\u00e8me"_s); // right after a marked name
    typeAtStartOf(1, u"#EXTINF:-1,\u00dcber\n"_s);          // right before a marked name
    typeAtEndOf(2, u"x"_s);                                 // typed and taken back
    QTest::keyClick(&text1, Qt::Key_Backspace);

    const QByteArray bytes = saved();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].outcome, PlaylistBuilder::SaveOutcome::Saved);
    EXPECT_EQ(bytes,
        QByteArray("#EXTM3U\r\n"
                   "#EXTINF:-1,\xc3\x9c"
                   "ber\r\n"
                   "caf\xe9 au lait.mp3\r\n"
                   "caf\xc3\xa9 au lait.mp3\r\n"
                   "\x81\x8d\x8f\x90\x9d \x80.wav\r\n"
                   "#EXTINF:-1,Caf\xc3\xa9 cr\xc3\xa8me\r\n"
                   "./#1 \x93hit\x94.mp3\r\n"
                   "plain.mp3\r\n"
                   "# fin \xc2\xbd\r\n"));
    int entries = 0;
    for (const QByteArray& line : bytes.split('\n')) {
        const QByteArray entry = line.chopped(line.endsWith('\r') ? 1 : 0);
        if (entry.isEmpty() || entry.startsWith('#'))
            continue;
        ++entries;
        EXPECT_TRUE(names(entry)) << "no such file: " << entry.toStdString();
    }
    EXPECT_EQ(entries, onDisk.size());
}

// Lines copied, or cut, within the box and pasted keep naming their files.
TEST_F(LegacySaveTest, CopyAndPasteInTheBoxKeepTheBytes)
{
    builder.AddFile(onDisk[0]); // line 1, marked
    builder.AddFile(onDisk[4]); // line 2, plain
    builder.AddFile(onDisk[2]); // line 3, marked
    QTextCursor lines(text1.document()->findBlockByNumber(1));
    lines.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor);
    lines.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    text1.setTextCursor(lines);
    text1.copy();
    text1.moveCursor(QTextCursor::End);
    type(u"\n"_s);
    text1.paste();

    QTextCursor third(text1.document()->findBlockByNumber(3));
    third.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    text1.setTextCursor(third);
    text1.cut();
    text1.moveCursor(QTextCursor::End);
    type(u"\n"_s);
    text1.paste();

    EXPECT_EQ(saved(),
        QByteArray("#EXTM3U\r\ncaf\xe9 au lait.mp3\r\nplain.mp3\r\n\r\n"
                   "caf\xe9 au lait.mp3\r\nplain.mp3\r\n\x81\x8d\x8f\x90\x9d \x80.wav\r\n"));
}

} // namespace

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "playlisttextedit.h"

#include "legacyentries.h"

#include <QDataStream>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>
#include <utility>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// The plain text it was copied beside, then the selection as runs of text, each marked or
// not; block breaks are unmarked "\n".
const QString kRunsType = u"application/x-cantorel-playlist-runs"_s;

} // namespace

PlaylistTextEdit::PlaylistTextEdit(QWidget* parent) : QPlainTextEdit(parent) { }

void PlaylistTextEdit::keyPressEvent(QKeyEvent* event)
{
    // Qt binds Ctrl+Y to redo only in the Windows key scheme.
    if (event->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Y) && !isReadOnly()) {
        redo();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

QMimeData* PlaylistTextEdit::createMimeDataFromSelection() const
{
    QMimeData* data = QPlainTextEdit::createMimeDataFromSelection();
    const QTextCursor selection = textCursor();
    const int start = selection.selectionStart();
    const int end = selection.selectionEnd();
    QByteArray runs;
    QDataStream out(&runs, QIODevice::WriteOnly);
    out << data->text();
    bool anyMarked = false;
    for (QTextBlock block = document()->findBlock(start); block.isValid() && block.position() <= end;
         block = block.next()) {
        if (block.position() > start)
            out << false << u"\n"_s;
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int from = std::max(start, fragment.position());
            const int to = std::min(end, fragment.position() + fragment.length());
            if (from >= to)
                continue;
            const bool marked = LegacyEntries::isMarked(fragment.charFormat());
            anyMarked = anyMarked || marked;
            out << marked << fragment.text().mid(from - fragment.position(), to - from);
        }
    }
    if (anyMarked)
        data->setData(kRunsType, runs);
    return data;
}

void PlaylistTextEdit::insertFromMimeData(const QMimeData* source)
{
    // The runs are taken only while the plain text beside them is still the one they were
    // copied with: a program that replaced the text alone gets its text pasted.
    std::vector<std::pair<bool, QString>> runs;
    bool intact = false;
    if (source->hasFormat(kRunsType)) {
        QDataStream in(source->data(kRunsType));
        QString copiedBeside;
        in >> copiedBeside;
        while (!in.atEnd() && in.status() == QDataStream::Ok) {
            bool marked = false;
            QString text;
            in >> marked >> text;
            runs.emplace_back(marked, std::move(text));
        }
        intact = in.status() == QDataStream::Ok && copiedBeside == source->text();
    }
    if (!intact) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    for (const auto& [marked, text] : runs)
        cursor.insertText(text, marked ? LegacyEntries::markedFormat() : QTextCharFormat());
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

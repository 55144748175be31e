// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "playlistboxdocument.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

PlaylistBoxDocument::PlaylistBoxDocument(QPlainTextEdit* box) : m_box(box), m_legacyEntries(box) { }

void PlaylistBoxDocument::insert(QTextCursor& cursor, const Fragments& fragments)
{
    // Each piece gets a format of its own rather than that of the text before it, which may
    // be a marked name.
    const QTextCharFormat plain;
    for (const Fragment& fragment : fragments) {
        if (fragment.startsLine)
            cursor.insertBlock(QTextBlockFormat(), plain);
        cursor.insertText(fragment.text, fragment.listedName ? LegacyEntries::markedFormat() : plain);
    }
}

void PlaylistBoxDocument::replace(const Fragments& fragments)
{
    // One edit rather than setPlainText, which would forget the undo history: a reset or a
    // restart is undone with Ctrl+Z like a pick.
    QTextCursor cursor(m_box->document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    Fragments text = fragments;
    if (!text.isEmpty())
        text.front().startsLine = false;
    insert(cursor, text);
    cursor.endEditBlock();
    m_box->moveCursor(QTextCursor::Start);
}

void PlaylistBoxDocument::append(const Fragments& fragments)
{
    // A cursor of our own at the end: the cost follows the entry, not the length of the
    // playlist.
    QTextCursor cursor(m_box->document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    insert(cursor, fragments);
    cursor.endEditBlock();
}

void PlaylistBoxDocument::walk(const std::function<void(QStringView text, bool listedName)>& fragment,
    const std::function<void()>& lineEnd) const
{
    const QTextDocument* document = m_box->document();
    if (!m_legacyEntries.any()) {
        // All typed text: the raw text at once (its block separators end lines), which costs
        // far less than a piece per line. It keeps every character as typed, no-break spaces
        // included.
        fragment(document->toRawText(), false);
        return;
    }
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block != document->begin())
            lineEnd();
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment piece = it.fragment();
            fragment(piece.text(), LegacyEntries::isMarked(piece.charFormat()));
        }
    }
}

qsizetype PlaylistBoxDocument::characterCount() const { return m_box->document()->characterCount(); }

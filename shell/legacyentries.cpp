// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "legacyentries.h"

#include "filenametext.h"
#include "playlistformat.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

// The mark: each character of the fragment stands for one byte in Windows-1252.
constexpr int kLegacyBytes = QTextFormat::UserProperty + 1;

} // namespace

QTextCharFormat LegacyEntries::markedFormat()
{
    QTextCharFormat format;
    format.setProperty(kLegacyBytes, true);
    format.setFontItalic(true);
    return format;
}

bool LegacyEntries::isMarked(const QTextCharFormat& format) { return format.boolProperty(kLegacyBytes); }

LegacyEntries::LegacyEntries(QPlainTextEdit* box, QObject* parent) : QObject(parent), m_box(box)
{
    m_box->installEventFilter(this);
}

void LegacyEntries::insert(QTextCursor& cursor, const QString& text, const QString& name)
{
    const QTextCharFormat plain;
    qsizetype from = 0;
    qsizetype at = name.isEmpty() ? -1 : text.indexOf(name);
    while (at >= 0) {
        cursor.insertText(text.sliced(from, at - from), plain);
        cursor.insertText(name, markedFormat());
        from = at + name.size();
        at = text.indexOf(name, from);
    }
    cursor.insertText(text.sliced(from), plain);
}

bool LegacyEntries::any() const
{
    const QList<QTextFormat> formats = m_box->document()->allFormats();
    return std::any_of(formats.begin(), formats.end(),
        [](const QTextFormat& format) { return format.isCharFormat() && isMarked(format.toCharFormat()); });
}

QByteArray LegacyEntries::textBytes() const
{
    // Unmarked text is gathered and converted in runs, as the plain playlist text is.
    QByteArray bytes;
    QString run;
    const auto flush = [&] {
        bytes += PlaylistFormat::withCrLf(run).toLocal8Bit();
        run.clear();
    };
    const QTextDocument* document = m_box->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block != document->begin())
            run += u'\n';
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (isMarked(fragment.charFormat())) {
                flush();
                bytes += FileNameText::legacyBytes(PlaylistFormat::withCrLf(fragment.text()));
            } else {
                run += fragment.text();
            }
        }
    }
    flush();
    return bytes;
}

bool LegacyEntries::eventFilter(QObject* watched, QEvent* event)
{
    // Typing next to a marked name would take its format, as typed text takes the format
    // of the character before it; give what is typed the plain format instead.
    if (watched == m_box && (event->type() == QEvent::KeyPress || event->type() == QEvent::InputMethod)) {
        const QTextCursor cursor = m_box->textCursor();
        if (!cursor.hasSelection() && isMarked(cursor.charFormat()))
            m_box->setCurrentCharFormat(QTextCharFormat());
    }
    return QObject::eventFilter(watched, event);
}

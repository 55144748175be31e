// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "legacyentries.h"

#include <QEvent>
#include <QPlainTextEdit>
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

bool LegacyEntries::any() const
{
    const QList<QTextFormat> formats = m_box->document()->allFormats();
    return std::any_of(formats.begin(), formats.end(),
        [](const QTextFormat& format) { return format.isCharFormat() && isMarked(format.toCharFormat()); });
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

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "nodedelegate.h"

#include <algorithm>

namespace Cantorel {

namespace {

bool breaksLine(QChar c)
{
    switch (c.unicode()) {
    case u'\n':
    case u'\r':
    case u'\v':
    case u'\f':
    case 0x85: // next line
    case QChar::LineSeparator:
    case QChar::ParagraphSeparator: return true;
    default: return false;
    }
}

} // namespace

QString NodeDelegate::shownText(const QString& text)
{
    if (std::none_of(text.begin(), text.end(), breaksLine))
        return text;
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!breaksLine(c)) {
            shown += c;
            continue;
        }
        shown += QChar(kBreakMark);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
    }
    return shown;
}

QString NodeDelegate::displayText(const QVariant& value, const QLocale& locale) const
{
    // Before the base class, which turns line feeds into line separators of its own.
    if (value.userType() == QMetaType::QString)
        return QStyledItemDelegate::displayText(shownText(value.toString()), locale);
    return QStyledItemDelegate::displayText(value, locale);
}

} // namespace Cantorel

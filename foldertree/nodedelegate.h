// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QStyledItemDelegate>

namespace Cantorel {

// Draws the nodes of the folder tree. A name may hold line breaks (Linux allows them);
// the rows are one line high, so a break would cut the name after its first line. Each
// break is drawn as a visible mark instead, and the name is shown whole.
class NodeDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The mark drawn for a line break.
    static constexpr char16_t kBreakMark = u'\u21B5';

    // `text` with every line break (CR LF, CR, LF, VT, FF, NEL, U+2028, U+2029) as one mark.
    static QString shownText(const QString& text);

    QString displayText(const QVariant& value, const QLocale& locale) const override;
};

} // namespace Cantorel

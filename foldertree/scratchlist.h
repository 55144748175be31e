// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QCollator>
#include <QString>

#include <vector>

namespace Cantorel {

// The sorted scratch list a folder listing passes through: the proper-cased names of
// one listing, each beside the entry's name as it is on disk. Items are kept in the
// ascending order of a sorted list box, in which case is not significant; they are
// sorted once, when first read after additions, not on every addition, so a folder of
// many thousand subfolders lists quickly. Texts equal but for case keep the byte order
// of their names on disk, so the order never depends on the order of reading.
class ScratchList
{
public:
    struct Item {
        QString text;
        QByteArray realName;
    };

    ScratchList();

    void addItem(QString text, QByteArray realName);
    const std::vector<Item>& items();
    // The items, sorted, handed over; the list is empty afterwards.
    std::vector<Item> takeItems();
    qsizetype count() const { return static_cast<qsizetype>(m_items.size()); }
    void clear();

private:
    std::vector<Item> m_items;
    QCollator m_collator;
    bool m_sorted = true;
};

} // namespace Cantorel

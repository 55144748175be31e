// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "scratchlist.h"

#include <QCollatorSortKey>

#include <algorithm>
#include <numeric>

namespace Cantorel {

ScratchList::ScratchList()
{
    // The user's locale orders the letters, as the sorted list box of the desktop does.
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

void ScratchList::addItem(QString text, QByteArray realName)
{
    m_items.push_back({std::move(text), std::move(realName)});
    m_sorted = m_items.size() < 2;
}

const std::vector<ScratchList::Item>& ScratchList::items()
{
    if (m_sorted)
        return m_items;
    // One sort key per item, then one sort: the collator's work grows with the number of
    // names, not with the number of comparisons. The keys are made from case-folded
    // texts because the collator of the C locale compares keys byte by byte, case and all.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(m_items.size());
    for (const Item& item : m_items)
        keys.push_back(m_collator.sortKey(item.text.toCaseFolded()));
    std::vector<std::size_t> order(m_items.size());
    std::iota(order.begin(), order.end(), std::size_t {0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int c = keys[a].compare(keys[b]);
        if (c != 0)
            return c < 0;
        const int exact = m_items[a].text.compare(m_items[b].text);
        if (exact != 0)
            return exact < 0;
        return m_items[a].realName < m_items[b].realName;
    });
    std::vector<Item> sorted;
    sorted.reserve(m_items.size());
    for (std::size_t i : order)
        sorted.push_back(std::move(m_items[i]));
    m_items = std::move(sorted);
    m_sorted = true;
    return m_items;
}

std::vector<ScratchList::Item> ScratchList::takeItems()
{
    (void)items();
    std::vector<Item> taken = std::move(m_items);
    clear();
    return taken;
}

void ScratchList::clear()
{
    m_items.clear();
    m_sorted = true;
}

} // namespace Cantorel

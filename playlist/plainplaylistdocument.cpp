// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "plainplaylistdocument.h"

void PlainPlaylistDocument::replace(const Fragments& fragments)
{
    m_fragments = fragments;
    if (!m_fragments.isEmpty())
        m_fragments.front().startsLine = false;
}

void PlainPlaylistDocument::append(const Fragments& fragments) { m_fragments += fragments; }

void PlainPlaylistDocument::walk(const std::function<void(QStringView text, bool listedName)>& fragment,
    const std::function<void()>& lineEnd) const
{
    for (const Fragment& each : m_fragments) {
        if (each.startsLine)
            lineEnd();
        fragment(each.text, each.listedName);
    }
}

qsizetype PlainPlaylistDocument::characterCount() const
{
    qsizetype count = 0;
    for (const Fragment& each : m_fragments)
        count += each.text.size() + 1;
    return count;
}

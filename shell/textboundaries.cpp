// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "textboundaries.h"

#include "playlistformat.h"

#include <QFont>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// The finder's boundaries of `type`, walking forward only.
std::vector<int> finderStops(const QString& text, QTextBoundaryFinder::BoundaryType type)
{
    const int length = int(text.size());
    std::vector<int> stops {0};
    QTextBoundaryFinder finder(type, text);
    finder.toStart();
    int previous = 0;
    // Each step goes strictly further and stays within the text, or the walk ends: the
    // finder answers -1 past the end.
    for (int next = int(finder.toNextBoundary()); next > previous && next < length;
         next = int(finder.toNextBoundary())) {
        stops.push_back(next);
        previous = next;
    }
    if (length > 0)
        stops.push_back(length);
    return stops;
}

} // namespace

TextBoundaries::TextBoundaries(QString text, std::vector<int> lineStarts)
    : m_text(std::move(text)), m_lineStarts(std::move(lineStarts))
{ }

std::vector<int> TextBoundaries::stops(QAccessible::TextBoundaryType type) const
{
    const int length = int(m_text.size());
    switch (type) {
    case QAccessible::CharBoundary: return finderStops(m_text, QTextBoundaryFinder::Grapheme);
    case QAccessible::WordBoundary: return finderStops(m_text, QTextBoundaryFinder::Word);
    case QAccessible::SentenceBoundary: return finderStops(m_text, QTextBoundaryFinder::Sentence);
    case QAccessible::LineBoundary: {
        std::vector<int> stops {0};
        for (const int lineStart : m_lineStarts) {
            if (lineStart > stops.back() && lineStart < length)
                stops.push_back(lineStart);
        }
        if (length > 0)
            stops.push_back(length);
        return stops;
    }
    case QAccessible::ParagraphBoundary: {
        std::vector<int> stops {0};
        for (int i = 0; i < length;) {
            // CR LF is one break, after its LF.
            const auto breakLength = int(PlaylistFormat::lineBreakLength(m_text, i));
            i += breakLength > 0 ? breakLength : 1;
            if (breakLength > 0 && i < length)
                stops.push_back(i);
        }
        if (length > 0)
            stops.push_back(length);
        return stops;
    }
    case QAccessible::NoBoundary:
    default: return length > 0 ? std::vector<int> {0, length} : std::vector<int> {0};
    }
}

void TextBoundaries::pieceAt(
    const std::vector<int>& stops, int offset, QAccessible::TextBoundaryType type, int* start, int* end) const
{
    const int length = int(m_text.size());
    if (offset >= length) {
        // No character past the last; any other piece there is the last one.
        if (type == QAccessible::CharBoundary || stops.size() < 2) {
            *start = *end = length;
            return;
        }
        *start = stops[stops.size() - 2];
        *end = length;
        return;
    }
    const auto next = std::upper_bound(stops.begin(), stops.end(), offset);
    *start = *(next - 1);
    *end = *next;
}

QString TextBoundaries::piece(int start, int end) const { return m_text.mid(start, end - start); }

QString TextBoundaries::at(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const
{
    *start = *end = -1;
    if (offset < 0 || offset > m_text.size())
        return {};
    pieceAt(stops(type), offset, type, start, end);
    return piece(*start, *end);
}

QString TextBoundaries::before(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const
{
    *start = *end = -1;
    if (offset < 0 || offset > m_text.size())
        return {};
    const std::vector<int> all = stops(type);
    int atStart = 0, atEnd = 0;
    pieceAt(all, offset, type, &atStart, &atEnd);
    const auto found = std::lower_bound(all.begin(), all.end(), atStart);
    if (found == all.begin()) {
        *start = *end = atStart;
        return {};
    }
    *start = *(found - 1);
    *end = atStart;
    return piece(*start, *end);
}

QString TextBoundaries::after(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const
{
    *start = *end = -1;
    if (offset < 0 || offset > m_text.size())
        return {};
    const std::vector<int> all = stops(type);
    int atStart = 0, atEnd = 0;
    pieceAt(all, offset, type, &atStart, &atEnd);
    const auto found = std::upper_bound(all.begin(), all.end(), atEnd);
    if (found == all.end()) {
        *start = *end = atEnd;
        return {};
    }
    *start = atEnd;
    *end = *found;
    return piece(*start, *end);
}

QString TextBoundaries::fontAttributes(const QFont& font)
{
    // The separators of the list may not appear in a value.
    QString family = font.family();
    family.remove(u':').remove(u';').remove(u'"');
    QString attributes = u"font-family:\"%1\";"_s.arg(family);
    if (font.pointSize() > 0)
        attributes += u"font-size:%1pt;"_s.arg(font.pointSize());
    return attributes;
}

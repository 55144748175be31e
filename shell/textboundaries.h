// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QAccessible>
#include <QString>

#include <vector>

class QFont;

// The pieces of a text a screen reader asks for around an offset: the character, word,
// sentence, line or paragraph at, before or after it, as assistive technology's text
// interface answers them. The program's text boxes answer with this, never with
// QAccessibleTextInterface's own textAtOffset, textBeforeOffset and textAfterOffset.
//
// Qt 6.4's answers loop for good, with the program at 100 % of a processor, whenever no
// start or end of a word lies where they search: the word at offset 0 of a text that
// starts with anything but a letter or digit ("(live) mix.m3u", " party.m3u", "-mix.m3u",
// "#1 hits.m3u", "'80s.m3u", "_x.m3u", an emoji), and the word or sentence at the end of
// the text. Their loops step a QTextBoundaryFinder until it passes the end of the text;
// once the finder has stepped off either end it answers -1 for ever. A screen reader asks exactly that when the caret moves
// to the start (Home) or by word; the program froze and the playlist was lost.
//
// Here each kind of boundary is listed once, walking the finder forward only, each step
// strictly further, so every question is answered in one pass over the text:
// - character: a grapheme (a letter with its combining accents, an emoji with its joiners);
// - word: as the finder breaks words, so a run of blanks or a punctuation mark between
//   words is a piece of its own;
// - sentence: as the finder breaks sentences;
// - line: the lines as shown, each with its line break;
// - paragraph: up to and with each line break (CR LF is one break).
// At the end of the text there is no character; any other piece there is the text's last.
// Before the first piece and after the last the answer is empty, at the start or the end.
// An offset outside the text gets no piece (-1 to -1).
class TextBoundaries
{
public:
    // `lineStarts` are the offsets where the shown lines start, the first at 0; a box of
    // one line has {0}.
    TextBoundaries(QString text, std::vector<int> lineStarts);

    QString at(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const;
    QString before(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const;
    QString after(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const;

    // The text attributes of a text shown in one font, as the text interface gives them
    // ("name:value;..."); they hold for the whole text, as one run.
    static QString fontAttributes(const QFont& font);

private:
    // The boundaries of this kind, ascending, 0 first and the text's length last.
    std::vector<int> stops(QAccessible::TextBoundaryType type) const;
    // The piece [start, end) at `offset` among `stops`, with the rules above.
    void pieceAt(const std::vector<int>& stops, int offset, QAccessible::TextBoundaryType type, int* start,
        int* end) const;
    QString piece(int start, int end) const;

    QString m_text;
    std::vector<int> m_lineStarts;
};

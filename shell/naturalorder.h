// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <string>

// The order of the file list: natural (numbers by value, "Track 2" before "Track 10") and
// without regard to letter case or accents ("élan" between "eagle" and "fable").
//
// Each name becomes a key once; keys compare as plain byte strings (memcmp, strcmp), so
// sorting a folder of a million names costs a fraction of what the locale's collation keys
// cost to build and compare. Punctuation and blanks come first, then numbers, then letters
// by their base letter; letters of other scripts follow in the order of their code points.
// Names with equal keys ("Song", "song", "Song" with a leading zero) are left for the
// caller to order.
//
// A key takes one byte for each ASCII letter, digit and punctuation mark and for a number's
// length, three for other characters; no byte of a key is zero, so keys can be kept ended
// by a zero byte, and a key that is the start of another orders first.
class NaturalOrder
{
public:
    // Appends the key of `name` to `keys`, without an end mark.
    static void appendKey(QStringView name, std::string& keys);
    // The same for a name all of whose bytes are ASCII, given as its bytes: the key is the
    // one its text has, made without decoding it first.
    static void appendAsciiKey(QByteArrayView name, std::string& keys);

    // `text` with letter case and accents folded away as the order does: each letter
    // becomes its folded base letter ("É" and "é" become "e"), combining accents are
    // dropped, every other character stays. A search that compares folded texts finds
    // "Édith" for "edith", as the order places it among the e's. ASCII text only changes
    // its letters A to Z to a to z.
    static QString fold(QStringView text);
};

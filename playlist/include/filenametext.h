// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// File names as text. On Linux a file name is a string of bytes that need not be UTF-8:
// collections copied from older systems carry names in a single-byte encoding
// ('caf\xe9.mp3'). Such a name is shown in Windows-1252, the most common of those
// encodings, and every byte maps to one character and back, so the name can be shown,
// edited around and still be written out as the very bytes that name the file.
namespace FileNameText {

struct Decoded {
    QString text;
    bool legacy = false; // the bytes are not UTF-8; `text` is their Windows-1252 reading
};

// Whether every byte is below 0x80: such a name is its own text in every encoding a name is
// read in.
bool isAscii(QByteArrayView bytes);

// UTF-8 where the bytes are valid UTF-8 (exactly: decoding and encoding again gives the
// same bytes), otherwise Windows-1252, whose five undefined bytes (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) become the C1 control characters of the same value. Never a replacement character.
Decoded decode(QByteArrayView bytes);

// The inverse of a legacy decode: one byte per character. A character that Windows-1252
// cannot hold (typed into such a name by hand) is written in the local 8-bit encoding.
QByteArray legacyBytes(QStringView text);

// Whether `text` holds a line break (PlaylistFormat::isLineBreak): a file name holding one
// cannot be one line of a playlist.
bool breaksLine(QStringView text);

// `text` with every control character replaced by its visible picture (U+2400..U+2421),
// so that a message can show a name holding one.
QString visibleControls(QStringView text);

} // namespace FileNameText

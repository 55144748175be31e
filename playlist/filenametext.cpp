// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "filenametext.h"

#include "playlistformat.h"

#include <algorithm>
#include <array>

using namespace Qt::Literals::StringLiterals;

namespace FileNameText {

namespace {

// Windows-1252 for the bytes 0x80 to 0x9F; the rest of the code page is Latin-1. The five
// bytes it leaves undefined keep their own value, as C1 controls, so that every byte has a
// character of its own.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
};

QString windows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = QChar(byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : char16_t(byte));
    }
    return text;
}

} // namespace

bool isAscii(QByteArrayView bytes)
{
    // Every byte looked at, without an early end: the loop then runs many bytes a step.
    unsigned char any = 0;
    for (const char c : bytes)
        any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

Decoded decode(QByteArrayView bytes)
{
    if (isAscii(bytes))
        return {QString::fromLatin1(bytes), false};
    QString text = QString::fromUtf8(bytes);
    const QByteArray again = text.toUtf8();
    if (std::equal(again.begin(), again.end(), bytes.begin(), bytes.end()))
        return {std::move(text), false};
    return {windows1252(bytes), true};
}

QByteArray legacyBytes(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype foreign = -1; // start of a run of characters the code page cannot hold
    for (qsizetype i = 0; i <= text.size(); ++i) {
        int byte = -1;
        if (i < text.size()) {
            const char16_t u = text[i].unicode();
            const auto* high = std::find(kHighControls.begin(), kHighControls.end(), u);
            if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
                byte = u;
            else if (high != kHighControls.end())
                byte = 0x80 + static_cast<int>(high - kHighControls.begin());
        }
        if (byte < 0 && i < text.size()) {
            if (foreign < 0)
                foreign = i;
            continue;
        }
        if (foreign >= 0) { // whole runs, so that surrogate pairs stay together
            bytes += text.sliced(foreign, i - foreign).toLocal8Bit();
            foreign = -1;
        }
        if (byte >= 0)
            bytes += static_cast<char>(byte);
    }
    return bytes;
}

bool breaksLine(QStringView text)
{
    return std::any_of(
        text.begin(), text.end(), [](QChar c) { return PlaylistFormat::isLineBreak(c.unicode()); });
}

QString visibleControls(QStringView text)
{
    QString shown = text.toString();
    for (QChar& c : shown) {
        if (c.unicode() < 0x20)
            c = QChar(char16_t(0x2400 + c.unicode()));
        else if (c.unicode() == 0x7F)
            c = QChar(char16_t(0x2421));
    }
    return shown;
}

} // namespace FileNameText

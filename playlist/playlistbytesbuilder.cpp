// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "playlistbytesbuilder.h"

#include "filenametext.h"
#include "playlistformat.h"

#include <algorithm>
#include <cstring>

namespace {

// Printable ASCII is its own byte in every encoding a playlist is saved in (UTF-8, and the
// Windows code pages, whose multi-byte sequences start at 0x80); nearly every character of
// a playlist is one.
//
// Whether the four characters at `p` are all printable ASCII; if so, `bytes` holds them as
// four bytes in memory order. One 64-bit word at a time: the test of each character is a
// test of its 16 bits within the word, and the same on either byte order.
bool plainAsciiFour(const char16_t* p, quint32& bytes)
{
    quint64 word;
    std::memcpy(&word, p, 8);
    constexpr quint64 kAboveAscii = 0xFF80FF80FF80FF80;
    constexpr quint64 kBit7 = 0x0080008000800080;
    constexpr quint64 kFrom0x20ToBit7 = 0x0060006000600060; // 0x20 + 0x60 = 0x80
    if ((word & kAboveAscii) != 0 || ((word + kFrom0x20ToBit7) & kBit7) != kBit7)
        return false;
    const quint64 pairs = (word | (word >> 8)) & 0x0000FFFF0000FFFF;
    bytes = quint32(pairs | (pairs >> 16));
    return true;
}

using PlaylistFormat::isLineBreak;

// Writes the character at `p` (at or above U+0080) as UTF-8 and returns past what it read:
// a surrogate pair is one character, an unpaired surrogate U+FFFD, as Qt's encoder has it.
const char16_t* putUtf8(const char16_t* p, const char16_t* end, char*& out)
{
    char32_t c = *p++;
    if (c < 0x800) {
        *out++ = char(0xC0 | (c >> 6));
        *out++ = char(0x80 | (c & 0x3F));
        return p;
    }
    if (QChar::isSurrogate(c)) {
        if (QChar::isHighSurrogate(c) && p < end && QChar::isLowSurrogate(*p)) {
            c = QChar::surrogateToUcs4(char16_t(c), *p++);
            *out++ = char(0xF0 | (c >> 18));
            *out++ = char(0x80 | ((c >> 12) & 0x3F));
            *out++ = char(0x80 | ((c >> 6) & 0x3F));
            *out++ = char(0x80 | (c & 0x3F));
            return p;
        }
        c = QChar::ReplacementCharacter;
    }
    *out++ = char(0xE0 | (c >> 12));
    *out++ = char(0x80 | ((c >> 6) & 0x3F));
    *out++ = char(0x80 | (c & 0x3F));
    return p;
}

} // namespace

PlaylistBytesBuilder::PlaylistBytesBuilder(qsizetype expectedChars, QStringConverter::Encoding encoding)
    // Stateless: a run given to the encoder ends where it ends, so an unpaired surrogate at its
    // end becomes a replacement there instead of waiting for the next run.
    : m_encoder(encoding, QStringConverter::Flag::Stateless)
{
    // UTF-8 (the local encoding on every Unix) is written here, a character at a time, which
    // costs far less than a call of the encoder for each run of other characters.
    m_utf8 = QByteArray(QStringEncoder(encoding).encode(u"\u00e9\u4e2d\U0001F3B5"))
        == "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x8E\xB5";
    // Room for a playlist of plain ASCII names and CR LF breaks; more only when a run of
    // text needs it. Reserving the worst case (three bytes a character) up front would
    // take four times the memory the bytes need.
    m_bytes.resize(expectedChars + expectedChars / 16 + 64);
}

char* PlaylistBytesBuilder::makeRoom(qsizetype bytes)
{
    const qsizetype need = m_used + bytes;
    if (need > m_bytes.size())
        m_bytes.resize(std::max(need, 2 * m_bytes.size()));
    return m_bytes.data() + m_used;
}

void PlaylistBytesBuilder::addText(QStringView text)
{
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    // Pieces of at most kPiece characters, each given room for its worst case in UTF-8 (three
    // bytes a character, and one more for a surrogate pair across its end); a run given to
    // the encoder makes its own room.
    constexpr qsizetype kPiece = 4096;
    while (p < end) {
        const char16_t* const pieceEnd = p + std::min<qsizetype>(end - p, kPiece);
        char* out = makeRoom(3 * (pieceEnd - p) + 1);
        while (p < pieceEnd) {
            // Four characters at a time while all are printable ASCII.
            quint32 four = 0;
            while (pieceEnd - p >= 4 && plainAsciiFour(p, four)) {
                std::memcpy(out, &four, 4);
                p += 4;
                out += 4;
            }
            if (p == pieceEnd)
                break;
            const char16_t c = *p;
            if (c < 0x80 && c != u'\r' && c != u'\n') {
                *out++ = char(c);
                ++p;
            } else if (isLineBreak(c)) {
                *out++ = '\r';
                *out++ = '\n';
                p += PlaylistFormat::lineBreakLength(QStringView(p, end), 0);
            } else if (m_utf8) {
                p = putUtf8(p, end, out);
            } else {
                // The encoder takes the rest of the line at once: runs of other characters
                // are short and many, and its cost is mostly per call.
                const char16_t* runEnd = p + 1;
                while (runEnd < end && !isLineBreak(*runEnd))
                    ++runEnd;
                const QStringView run(p, runEnd - p);
                m_used = out - m_bytes.constData();
                out = makeRoom(
                    m_encoder.requiredSpace(run.size()) + 3 * std::max<qsizetype>(pieceEnd - runEnd, 0));
                out = m_encoder.appendToBuffer(out, run);
                p = runEnd;
                if (p > pieceEnd)
                    break; // the run went past the piece: start a new one where it ended
            }
        }
        m_used = out - m_bytes.constData();
    }
}

void PlaylistBytesBuilder::addListedName(QStringView name)
{
    // A line break in it (never in a name as listed; typed into it by hand) ends the line,
    // as in typed text.
    qsizetype from = 0;
    for (qsizetype i = 0;; ++i) {
        const qsizetype breakLength = PlaylistFormat::lineBreakLength(name, i);
        if (i < name.size() && breakLength == 0)
            continue;
        const QByteArray bytes = FileNameText::legacyBytes(name.sliced(from, i - from));
        std::memcpy(makeRoom(bytes.size()), bytes.constData(), bytes.size());
        m_used += bytes.size();
        if (i >= name.size())
            return;
        endLine();
        i += breakLength - 1;
        from = i + 1;
    }
}

void PlaylistBytesBuilder::endLine()
{
    char* out = makeRoom(2);
    *out++ = '\r';
    *out++ = '\n';
    m_used += 2;
}

QByteArray PlaylistBytesBuilder::finish(const QString& tail)
{
    endLine();
    if (!tail.isEmpty()) {
        addText(tail);
        endLine();
    }
    m_bytes.truncate(m_used);
    return std::move(m_bytes);
}

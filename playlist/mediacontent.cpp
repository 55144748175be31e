// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "mediacontent.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace MediaContent {

namespace {

bool startsWith(QByteArrayView head, qsizetype at, QByteArrayView magic)
{
    return at >= 0 && head.size() >= at + magic.size() && head.sliced(at, magic.size()) == magic;
}

uchar byteAt(QByteArrayView head, qsizetype at) { return at < head.size() ? uchar(head[at]) : 0; }

// A control byte that text never holds (text holds tabs and line breaks).
bool isBinaryByte(uchar c) { return c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f'; }

// Whether one of the bytes [from, to) is one no text holds: for letter signatures, whose
// binary fields (sizes, versions) always hold such a byte in a real file.
bool hasBinaryByte(QByteArrayView head, qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i < to && i < head.size(); ++i) {
        if (isBinaryByte(uchar(head[i])))
            return true;
    }
    return false;
}

// An ID3v2 tag header: "ID3", a major version 2 to 4 with a revision other than FF, flags
// with only the bits that version defines, and a size of four 7-bit bytes.
bool isId3Tag(QByteArrayView head)
{
    if (head.size() < 10 || !startsWith(head, 0, "ID3"))
        return false;
    const uchar version = byteAt(head, 3);
    if (version < 2 || version > 4 || byteAt(head, 4) == 0xFF)
        return false;
    static constexpr uchar kDefinedFlags[] = {0xC0, 0xE0, 0xF0}; // versions 2, 3, 4
    if ((byteAt(head, 5) & ~kDefinedFlags[version - 2]) != 0)
        return false;
    for (qsizetype i = 6; i < 10; ++i) {
        if (byteAt(head, i) >= 0x80)
            return false;
    }
    return true;
}

// "fLaC" and the header of the STREAMINFO block that always comes first: type 0 (the
// last-block bit either way) and a length of 34.
bool isFlac(QByteArrayView head)
{
    return startsWith(head, 0, "fLaC") && (byteAt(head, 4) & 0x7F) == 0
        && startsWith(head, 5, QByteArrayView("\0\0\x22", 3));
}

struct MpegFrame {
    qsizetype length = 0; // 0 for free format, whose length no header gives
    qsizetype infoAt = 0; // where a Xing or Info header would start; 0 when not layer III
};

// The MPEG audio frame (MP1/MP2/MP3) whose header starts at `at`: eleven set sync bits,
// then no reserved version, layer, bitrate or sampling rate.
std::optional<MpegFrame> mpegFrameAt(QByteArrayView head, qsizetype at)
{
    const uchar b1 = byteAt(head, at + 1);
    if (head.size() < at + 4 || byteAt(head, at) != 0xFF || (b1 & 0xE0) != 0xE0)
        return std::nullopt;
    const uchar b2 = byteAt(head, at + 2);
    const int version = (b1 >> 3) & 0x03;     // 0: MPEG-2.5, 1: reserved, 2: MPEG-2, 3: MPEG-1
    const int layer = 4 - ((b1 >> 1) & 0x03); // 4: reserved
    const int bitrateIndex = b2 >> 4;
    const int rateIndex = (b2 >> 2) & 0x03;
    if (version == 1 || layer == 4 || bitrateIndex == 15 || rateIndex == 3)
        return std::nullopt;

    // kbit/s: MPEG-1 layers I, II, III; MPEG-2 and 2.5 layer I; their layers II and III.
    static constexpr int kBitrates[5][15] = {
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
    };
    // Hz, MPEG-1's; MPEG-2 halves them, MPEG-2.5 quarters them.
    static constexpr int kRates[3] = {44100, 48000, 32000};
    const bool mpeg1 = version == 3;
    const int table = mpeg1 ? layer - 1 : (layer == 1 ? 3 : 4);
    const qsizetype bitrate = 1000 * kBitrates[table][bitrateIndex];
    const qsizetype rate = kRates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    const qsizetype padding = (b2 >> 1) & 0x01;

    MpegFrame frame;
    if (bitrate > 0) {
        if (layer == 1)
            frame.length = (12 * bitrate / rate + padding) * 4;
        else if (layer == 3 && !mpeg1)
            frame.length = 72 * bitrate / rate + padding;
        else
            frame.length = 144 * bitrate / rate + padding;
    }
    if (layer == 3) {
        const bool mono = (byteAt(head, at + 3) >> 6) == 0x03;
        frame.infoAt = at + 4 + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    }
    return frame;
}

// MPEG audio: a frame header confirmed by the header of the next frame, of the same
// version, layer and sampling rate, exactly where the first one ends; or by the Xing, Info
// or VBRI header an encoder puts in the first frame (with the binary fields after it).
bool isMpegAudio(QByteArrayView head)
{
    const std::optional<MpegFrame> first = mpegFrameAt(head, 0);
    if (!first)
        return false;
    if (first->infoAt > 0) {
        const qsizetype at = first->infoAt;
        const bool xing = startsWith(head, at, "Xing") || startsWith(head, at, "Info");
        const bool flags
            = startsWith(head, at + 4, QByteArrayView("\0\0\0", 3)) && byteAt(head, at + 7) < 0x10;
        if (xing && flags)
            return true;
        if (startsWith(head, 36, QByteArrayView("VBRI\0\x01", 6)))
            return true;
    }
    if (first->length == 0 || !mpegFrameAt(head, first->length))
        return false;
    return byteAt(head, first->length + 1) == byteAt(head, 1)
        && (byteAt(head, first->length + 2) & 0x0C) == (byteAt(head, 2) & 0x0C);
}

// The length of the AAC frame whose ADTS header starts at `at` (sync bits, layer 00, a
// sampling frequency index in use, a length that covers the header), or 0.
qsizetype adtsFrameLengthAt(QByteArrayView head, qsizetype at)
{
    if (head.size() < at + 7 || byteAt(head, at) != 0xFF || (byteAt(head, at + 1) & 0xF6) != 0xF0
        || ((byteAt(head, at + 2) >> 2) & 0x0F) >= 13)
        return 0;
    const qsizetype length = (qsizetype(byteAt(head, at + 3) & 0x03) << 11)
        | (qsizetype(byteAt(head, at + 4)) << 3) | (byteAt(head, at + 5) >> 5);
    const qsizetype headerLength = (byteAt(head, at + 1) & 0x01) ? 7 : 9; // 9 with a CRC
    return length >= headerLength ? length : 0;
}

// AAC in ADTS: a frame header confirmed by the next one, with the same version, profile and
// sampling frequency, exactly where the first frame's length says.
bool isAdts(QByteArrayView head)
{
    const qsizetype length = adtsFrameLengthAt(head, 0);
    return length > 0 && adtsFrameLengthAt(head, length) > 0 && byteAt(head, length + 1) == byteAt(head, 1)
        && (byteAt(head, length + 2) & 0xFC) == (byteAt(head, 2) & 0xFC);
}

// What text in UTF-32 or UTF-16 that begins with its byte-order mark is: Text, or Binary
// when one of its characters is NUL or its units are no text of that encoding (a surrogate
// out of its pair, a value past U+10FFFF). Nothing without such a mark. UTF-32 comes first:
// its little-endian mark begins with UTF-16's. The mark is looked at before any media
// signature, and one media format begins as UTF-16LE's mark does (MPEG-1 layer I with a
// CRC): its samples, read as 16-bit units, hold NUL units or surrogates out of their pairs
// (one unit in 32 is a surrogate), so they do not pass for text.
std::optional<Kind> unicodeTextKind(QByteArrayView head)
{
    struct Mark {
        QByteArrayView bytes;
        qsizetype width;
        bool bigEndian;
    };
    static const Mark kMarks[] = {
        {QByteArrayView("\xFF\xFE\0\0", 4), 4, false},
        {QByteArrayView("\0\0\xFE\xFF", 4), 4, true},
        {QByteArrayView("\xFF\xFE", 2), 2, false},
        {QByteArrayView("\xFE\xFF", 2), 2, true},
    };
    const auto mark = std::find_if(
        std::begin(kMarks), std::end(kMarks), [&](const Mark& m) { return startsWith(head, 0, m.bytes); });
    if (mark == std::end(kMarks))
        return std::nullopt;
    const qsizetype width = mark->width;
    const bool bigEndian = mark->bigEndian;
    const auto unitAt = [&](qsizetype at) {
        quint32 unit = 0;
        for (qsizetype i = 0; i < width; ++i)
            unit |= quint32(byteAt(head, at + i)) << (8 * (bigEndian ? width - 1 - i : i));
        return unit;
    };
    const auto isHigh = [](quint32 unit) { return unit >= 0xD800 && unit <= 0xDBFF; };
    const auto isLow = [](quint32 unit) { return unit >= 0xDC00 && unit <= 0xDFFF; };
    bool highBefore = false;
    for (qsizetype at = width; at + width <= head.size(); at += width) {
        const quint32 unit = unitAt(at);
        if (unit == 0 || unit > 0x10FFFF)
            return Kind::Binary;
        const bool fits = width == 4 ? !isHigh(unit) && !isLow(unit) : isLow(unit) == highBefore;
        if (!fits)
            return Kind::Binary;
        highBefore = isHigh(unit);
    }
    // A high surrogate last may be paired just past the head.
    return Kind::Text;
}

// The media format whose signature, with its structure, `head` begins with.
Format mediaFormat(QByteArrayView head)
{
    if ((startsWith(head, 0, "RIFF") || startsWith(head, 0, "RF64"))
        && (startsWith(head, 8, "WAVE") || startsWith(head, 8, "AVI ")) && hasBinaryByte(head, 4, 8))
        return Format::WavOrAvi;
    if (isId3Tag(head))
        return Format::Mp3;
    if (isMpegAudio(head))
        return Format::MpegAudio;
    if (isAdts(head))
        return Format::Aac;
    static const char kAsf[] = "\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C";
    if (startsWith(head, 0, QByteArrayView(kAsf, 16)))
        return Format::WmaOrWmv;
    if (startsWith(head, 0, QByteArrayView("\0\0\1\xBA", 4))
        || startsWith(head, 0, QByteArrayView("\0\0\1\xB3", 4)))
        return Format::MpegVideo;
    if ((startsWith(head, 0, "FWS") || startsWith(head, 0, "CWS") || startsWith(head, 0, "ZWS"))
        && hasBinaryByte(head, 3, 8))
        return Format::Swf;
    if (startsWith(head, 0, QByteArrayView("OggS\0", 5)))
        return Format::Ogg;
    if (isFlac(head))
        return Format::Flac;
    if (startsWith(head, 4, "ftyp") && isBinaryByte(byteAt(head, 0)))
        return Format::Mp4;
    if (startsWith(head, 0, "\x1A\x45\xDF\xA3"))
        return Format::MatroskaOrWebm;
    if (startsWith(head, 0, "FORM") && (startsWith(head, 8, "AIFF") || startsWith(head, 8, "AIFC"))
        && hasBinaryByte(head, 4, 8))
        return Format::Aiff;
    if (startsWith(head, 0, "FLV\x01"))
        return Format::Flv;
    if (startsWith(head, 0, QByteArrayView("MThd\0\0\0\x06", 8)))
        return Format::Midi;
    return Format::None;
}

} // namespace

Verdict classify(QByteArrayView head)
{
    head = head.first(std::min(head.size(), kHeadSize));
    // Text behind a byte-order mark is text, whatever signature its bytes happen to form;
    // bytes behind a mark that are no such text are still named when they are media.
    const std::optional<Kind> unicode = unicodeTextKind(head);
    if (unicode == Kind::Text)
        return {};
    if (const Format format = mediaFormat(head); format != Format::None)
        return {Kind::Media, format};
    if (unicode || head.contains('\0'))
        return {Kind::Binary};
    return {};
}

} // namespace MediaContent

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "mediacontent.h"

#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace MediaContent {

namespace {

bool startsWith(QByteArrayView head, qsizetype at, QByteArrayView magic)
{
    return head.size() >= at + magic.size() && head.sliced(at, magic.size()) == magic;
}

uchar byteAt(QByteArrayView head, qsizetype at)
{
    return at < head.size() ? uchar(head[at]) : 0;
}

// A control byte that text never holds (text holds tabs and line breaks).
bool isBinaryByte(uchar c)
{
    return c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f';
}

// An MPEG audio frame header (MP1/MP2/MP3, or AAC in ADTS): eleven set sync bits, then
// fields that are not the reserved values. FF FE is a UTF-16 byte-order mark, text.
bool isMpegAudioFrame(QByteArrayView head)
{
    if (head.size() < 3 || byteAt(head, 0) != 0xFF || (byteAt(head, 1) & 0xE0) != 0xE0)
        return false;
    if (byteAt(head, 1) == 0xFE)
        return false;
    const uchar b1 = byteAt(head, 1);
    const uchar b2 = byteAt(head, 2);
    const bool adts = (b1 & 0xF6) == 0xF0; // MPEG-4/2 AAC: layer bits 00
    if (adts)
        return ((b2 >> 2) & 0x0F) < 13; // a sampling frequency index in use
    const bool versionReserved = ((b1 >> 3) & 0x03) == 0x01;
    const bool layerReserved = ((b1 >> 1) & 0x03) == 0x00;
    const bool badBitrate = (b2 >> 4) == 0x0F;
    const bool badRate = ((b2 >> 2) & 0x03) == 0x03;
    return !versionReserved && !layerReserved && !badBitrate && !badRate;
}

// Whether one of the bytes [from, to) is one no text holds: for letter signatures, whose
// binary fields (sizes, versions) always hold such a byte in a real file.
bool hasBinaryByte(QByteArrayView head, qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i < to && i < head.size(); ++i) {
        if (isBinaryByte(uchar(head[i])) || head[i] == 0)
            return true;
    }
    return false;
}

} // namespace

QString kindOf(QByteArrayView head)
{
    head = head.first(std::min(head.size(), kHeadSize));

    if ((startsWith(head, 0, "RIFF") || startsWith(head, 0, "RF64"))
        && (startsWith(head, 8, "WAVE") || startsWith(head, 8, "AVI "))
        && hasBinaryByte(head, 4, 8))
        return u"WAV or AVI"_s;
    if (startsWith(head, 0, "ID3") && byteAt(head, 3) < 0x10 && head.size() >= 10)
        return u"MP3"_s;
    if (isMpegAudioFrame(head))
        return u"MPEG audio"_s;
    static const char kAsf[] = "\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C";
    if (startsWith(head, 0, QByteArrayView(kAsf, 16)))
        return u"WMA or WMV"_s;
    if (startsWith(head, 0, QByteArrayView("\0\0\1\xBA", 4)) || startsWith(head, 0, QByteArrayView("\0\0\1\xB3", 4)))
        return u"MPEG video"_s;
    if ((startsWith(head, 0, "FWS") || startsWith(head, 0, "CWS") || startsWith(head, 0, "ZWS"))
        && hasBinaryByte(head, 3, 8))
        return u"Flash (SWF)"_s;
    if (startsWith(head, 0, QByteArrayView("OggS\0", 5)))
        return u"Ogg"_s;
    if (startsWith(head, 0, "fLaC") && head.size() > 4 && (byteAt(head, 4) & 0x7F) == 0)
        return u"FLAC"_s;
    if (startsWith(head, 4, "ftyp") && isBinaryByte(byteAt(head, 0)))
        return u"MP4"_s;
    if (startsWith(head, 0, "\x1A\x45\xDF\xA3"))
        return u"Matroska or WebM"_s;
    if (startsWith(head, 0, "FORM") && (startsWith(head, 8, "AIFF") || startsWith(head, 8, "AIFC"))
        && hasBinaryByte(head, 4, 8))
        return u"AIFF"_s;
    if (startsWith(head, 0, "FLV\x01"))
        return u"Flash video (FLV)"_s;
    if (startsWith(head, 0, QByteArrayView("MThd\0\0\0\x06", 8)))
        return u"MIDI"_s;
    if (head.contains('\0'))
        return u"binary data"_s;
    return {};
}

} // namespace MediaContent

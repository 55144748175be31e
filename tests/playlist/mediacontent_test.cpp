// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "mediacontent.h"

#include <QByteArray>
#include <QStringEncoder>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace MediaContent {

void PrintTo(Kind kind, std::ostream* os)
{
    *os << (kind == Kind::Text ? "Text" : kind == Kind::Media ? "Media" : "Binary");
}

} // namespace MediaContent

namespace {

using MediaContent::Kind;

struct HeadCase {
    const char* label;
    QByteArray head;
    Kind kind;
};

void PrintTo(const HeadCase& c, std::ostream* os) { *os << c.label; }

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

// One MPEG audio frame: its four header bytes, then filler (no NUL) up to `length`.
QByteArray mpegFrame(std::initializer_list<int> header, qsizetype length)
{
    const QByteArray start = bytes(header);
    return start + QByteArray(length - start.size(), 'U');
}

// One AAC frame in ADTS (AAC LC, 44.1 kHz, stereo, no CRC) of `length` bytes.
QByteArray adtsFrame(qsizetype length)
{
    return mpegFrame({0xFF, 0xF1, 0x50, 0x80 | int(length >> 11)}, length)
        .replace(4, 3, bytes({int(length >> 3) & 0xFF, int((length & 7) << 5) | 0x1F, 0xFC}));
}

// A playlist as a text editor saves it in `encoding`, with its byte-order mark.
QByteArray withBom(QStringConverter::Encoding encoding)
{
    QStringEncoder encode(encoding, QStringConverter::Flag::WriteBom);
    return encode(u"#EXTM3U\r\nCaf\u00e9 del Mar.mp3\r\n"_s);
}

class MediaContentTest : public ::testing::TestWithParam<HeadCase>
{ };

// Media is recognised by its first bytes; no playlist text is ever taken for media, and
// bytes no text holds are told apart from media.
TEST_P(MediaContentTest, TellsMediaFromText)
{
    const HeadCase& c = GetParam();
    const MediaContent::Verdict verdict = MediaContent::classify(c.head);
    EXPECT_EQ(verdict.kind, c.kind) << int(verdict.format);
    EXPECT_EQ(verdict.format == MediaContent::Format::None, c.kind != Kind::Media);
}

const QByteArray kAsfGuid
    = bytes({0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C});

const QByteArray kLatin1Lines = QByteArray("Caf\xE9.mp3\r\n").repeated(100);

INSTANTIATE_TEST_SUITE_P(Heads, MediaContentTest,
    ::testing::Values(HeadCase {"wav", "RIFF\x24\x10\0\0WAVEfmt "_ba, Kind::Media},
        HeadCase {"avi",
            "RIFF\x10\x20\x30\x01"
            "AVI LIST"_ba,
            Kind::Media},
        HeadCase {"mp3_id3", "ID3\x04\0\0\0\0\x10\x7F"_ba, Kind::Media},
        HeadCase {"mp3_id3v23_extended_header", "ID3\x03\0\x40\0\0\x1F\x76"_ba, Kind::Media},
        // A padded frame, then the next one exactly 418 bytes on.
        HeadCase {"mp3_frame",
            mpegFrame({0xFF, 0xFB, 0x92, 0x64}, 418) + mpegFrame({0xFF, 0xFB, 0x90, 0x64}, 417), Kind::Media},
        HeadCase {"mp3_xing_frame",
            bytes({0xFF, 0xFB, 0x90, 0x64}) + QByteArray(32, '\0') + "Xing\0\0\0\x0F"_ba
                + QByteArray(100, 'U'),
            Kind::Media},
        HeadCase {"aac_adts", adtsFrame(300) + adtsFrame(280), Kind::Media},
        HeadCase {"wma_wmv", kAsfGuid + "\x10\x20"_ba, Kind::Media},
        HeadCase {"mpeg_program", bytes({0x00, 0x00, 0x01, 0xBA, 0x44}), Kind::Media},
        HeadCase {"swf", "FWS\x0A\x10\x20\x30\x40"_ba, Kind::Media},
        HeadCase {"swf_compressed_large", "CWS\x0B\xFF\xFF\xFF\x7F"_ba, Kind::Media},
        HeadCase {"ogg", "OggS\0\x02"_ba, Kind::Media}, HeadCase {"flac", "fLaC\0\0\0\x22"_ba, Kind::Media},
        HeadCase {"flac_streaminfo_only_block", "fLaC\x80\0\0\x22"_ba + QByteArray(34, '\x11'), Kind::Media},
        HeadCase {"mp4",
            "\0\0\0\x20"
            "ftypisom"_ba,
            Kind::Media},
        HeadCase {"matroska", "\x1A\x45\xDF\xA3\x9F"_ba, Kind::Media},
        HeadCase {"unknown_binary_within_4k", QByteArray(4000, 'a') + '\0', Kind::Binary},
        HeadCase {"utf16_bom_then_nul_character", bytes({0xFF, 0xFE, 0x41, 0, 0, 0, 0x42, 0}), Kind::Binary},
        // MPEG-1 layer I frames with a CRC begin FF FE, as UTF-16LE text does; their samples
        // are no UTF-16 (a high surrogate without its low half), though they hold no NUL unit.
        HeadCase {"mp1_frames_like_utf16_mark",
            (bytes({0xFF, 0xFE, 0xE0, 0xC0}) + QByteArray("\x12\xD9\x34\x56").repeated(120)).repeated(2),
            Kind::Media},
        HeadCase {"m3u", "#EXTM3U\r\na.mp3\r\nb.wma\r\n"_ba, Kind::Text},
        HeadCase {"asx", "<ASX Version=\"3.0\">\r\n<AUTHOR></AUTHOR>\r\n"_ba, Kind::Text},
        HeadCase {"html", "<html>\r\n<head></head>\r\n<body>\r\n"_ba, Kind::Text},
        HeadCase {"utf8_with_bom",
            "\xEF\xBB\xBF#EXTM3U\r\nGr\xC3\xBC\xC3\x9F"
            "e.mp3\r\n"_ba,
            Kind::Text},
        HeadCase {"latin1", "#EXTM3U\r\n\xFF\xE9t\xE9.mp3\r\n"_ba, Kind::Text},
        HeadCase {"utf16_bom_without_nul", bytes({0xFF, 0xFE, 0x2B, 0x67, 0x2C, 0x67}), Kind::Text},
        HeadCase {"utf16le_playlist", withBom(QStringConverter::Utf16LE), Kind::Text},
        HeadCase {"utf16be_playlist", withBom(QStringConverter::Utf16BE), Kind::Text},
        HeadCase {"utf32le_playlist", withBom(QStringConverter::Utf32LE), Kind::Text},
        HeadCase {"utf32be_playlist", withBom(QStringConverter::Utf32BE), Kind::Text},
        // Two playlists joined end to end: the marks read as the headers of two MPEG-1 layer I
        // frames (FF FE 23 00), the second where the first would end, 72 bytes on.
        HeadCase {"utf16le_joined_playlists",
            QStringEncoder(QStringConverter::Utf16LE)(u"\uFEFF#EXTM3U\r\nSide A, Caf\u00e9 del Mar.mp3\r\n"
                                                      u"\uFEFF#EXTM3U\r\nSide B.mp3\r\n"_s),
            Kind::Text},
        HeadCase {"typed_swf_letters", "FWS tracks\r\nfLaC.mp3\r\n"_ba, Kind::Text},
        HeadCase {"typed_riff_letters", "RIFFRAFFWAVE.mp3\r\n"_ba, Kind::Text},
        HeadCase {"typed_id3_and_tab", "ID3\tTrack 1.mp3\r\nID3\tTrack 2.mp3\r\n"_ba, Kind::Text},
        HeadCase {"cp1252_flac_euro", "fLaC\x80 live.mp3\r\n"_ba, Kind::Text},
        // Latin-1 text beginning with what an MPEG or ADTS frame header begins with.
        HeadCase {"latin1_mpeg_sync", "\xFF\xFBtes Lied.mp3\r\n"_ba + kLatin1Lines, Kind::Text},
        HeadCase {"latin1_adts_sync", "\xFF\xF0lan.mp3\r\n"_ba + kLatin1Lines, Kind::Text},
        HeadCase {"nul_after_4k", QByteArray(MediaContent::kHeadSize, 'a') + '\0', Kind::Text},
        HeadCase {"empty", QByteArray(), Kind::Text}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace

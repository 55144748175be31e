// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "mediacontent.h"

#include <QByteArray>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct HeadCase {
    const char* label;
    QByteArray head;
    bool media;
};

void PrintTo(const HeadCase& c, std::ostream* os)
{
    *os << c.label;
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

class MediaContentTest : public ::testing::TestWithParam<HeadCase> {};

// Media is recognised by its first bytes; no playlist text is ever taken for media.
TEST_P(MediaContentTest, TellsMediaFromText)
{
    const HeadCase& c = GetParam();
    EXPECT_EQ(!MediaContent::kindOf(c.head).isEmpty(), c.media)
        << MediaContent::kindOf(c.head).toStdString();
}

const QByteArray kAsfGuid = bytes({0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                   0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C});

INSTANTIATE_TEST_SUITE_P(Heads, MediaContentTest, ::testing::Values(
    HeadCase{"wav", "RIFF\x24\x10\0\0WAVEfmt "_ba, true},
    HeadCase{"avi", "RIFF\x10\x20\x30\x01" "AVI LIST"_ba, true},
    HeadCase{"mp3_id3", "ID3\x04\0\0\0\0\x10\x7F"_ba, true},
    HeadCase{"mp3_frame", bytes({0xFF, 0xFB, 0x90, 0x64}) + QByteArray(200, 'U'), true},
    HeadCase{"aac_adts", bytes({0xFF, 0xF1, 0x50, 0x80}) + QByteArray(200, 'U'), true},
    HeadCase{"wma_wmv", kAsfGuid + "\x10\x20"_ba, true},
    HeadCase{"mpeg_program", bytes({0x00, 0x00, 0x01, 0xBA, 0x44}), true},
    HeadCase{"swf", "FWS\x0A\x10\x20\x30\x40"_ba, true},
    HeadCase{"swf_compressed_large", "CWS\x0B\xFF\xFF\xFF\x7F"_ba, true},
    HeadCase{"ogg", "OggS\0\x02"_ba, true},
    HeadCase{"flac", "fLaC\0\0\0\x22"_ba, true},
    HeadCase{"mp4", "\0\0\0\x20" "ftypisom"_ba, true},
    HeadCase{"matroska", "\x1A\x45\xDF\xA3\x9F"_ba, true},
    HeadCase{"unknown_binary_within_4k", QByteArray(4000, 'a') + '\0', true},
    HeadCase{"m3u", "#EXTM3U\r\na.mp3\r\nb.wma\r\n"_ba, false},
    HeadCase{"asx", "<ASX Version=\"3.0\">\r\n<AUTHOR></AUTHOR>\r\n"_ba, false},
    HeadCase{"html", "<html>\r\n<head></head>\r\n<body>\r\n"_ba, false},
    HeadCase{"utf8_with_bom", "\xEF\xBB\xBF#EXTM3U\r\nGr\xC3\xBC\xC3\x9F" "e.mp3\r\n"_ba, false},
    HeadCase{"latin1", "#EXTM3U\r\n\xFF\xE9t\xE9.mp3\r\n"_ba, false},
    HeadCase{"utf16_bom_without_nul", bytes({0xFF, 0xFE, 0x2B, 0x67, 0x2C, 0x67}), false},
    HeadCase{"typed_swf_letters", "FWS tracks\r\nfLaC.mp3\r\n"_ba, false},
    HeadCase{"typed_riff_letters", "RIFFRAFFWAVE.mp3\r\n"_ba, false},
    HeadCase{"nul_after_4k", QByteArray(MediaContent::kHeadSize, 'a') + '\0', false},
    HeadCase{"empty", QByteArray(), false}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "playlistbytesbuilder.h"
#include "playlistformat.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace PlaylistFormat;

namespace {

struct EntryCase {
    const char* label;
    QString name;
    QString expected;
};

class M3UEntryTest : public ::testing::TestWithParam<EntryCase>
{ };

// An entry is one line, the bare name; only names a player would misread get "./".
TEST_P(M3UEntryTest, WritesOneLine)
{
    EXPECT_EQ(m3uEntry(GetParam().name, u"./"_s), QStringList {GetParam().expected});
}

INSTANTIATE_TEST_SUITE_P(Names, M3UEntryTest,
    ::testing::Values(EntryCase {"plain", u"a.mp3"_s, u"a.mp3"_s},
        EntryCase {"blanks", u"track 01.wma"_s, u"track 01.wma"_s},
        EntryCase {"ampersand", u"Rock & Roll.mp3"_s, u"Rock & Roll.mp3"_s},
        EntryCase {"non_ascii", u"Ünïcødé ♫.mp3"_s, u"Ünïcødé ♫.mp3"_s},
        EntryCase {"hash_inside", u"Best #1.mp3"_s, u"Best #1.mp3"_s},
        EntryCase {"trailing_blank", u"a.mp3 "_s, u"a.mp3 "_s},
        EntryCase {"leading_hash", u"#1 Hit.mp3"_s, u"./#1 Hit.mp3"_s},
        EntryCase {"leading_blank", u" intro.wav"_s, u"./ intro.wav"_s},
        EntryCase {"leading_tab", u"\tintro.wav"_s, u"./\tintro.wav"_s},
        EntryCase {"extended_header_lookalike", u"#EXTINF.mp3"_s, u"./#EXTINF.mp3"_s}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(M3UEntryTest, UsesThePlatformPrefixGiven)
{
    EXPECT_EQ(m3uEntry(u"#1.mp3"_s, u".\\"_s), QStringList {u".\\#1.mp3"_s});
}

TEST(PlaylistFormatTest, M3UPieces)
{
    EXPECT_EQ(m3uHead(), QStringList {u"#EXTM3U"_s});
    EXPECT_TRUE(m3uTail().isEmpty());
    EXPECT_TRUE(tailFor(u".m3u"_s).isEmpty());
    EXPECT_EQ(tailFor(u".asx"_s), u"</ASX>"_s);
    EXPECT_EQ(tailFor(u".htm"_s), u"</body></html>"_s);
    EXPECT_TRUE(tailFor(u".ASX"_s).isEmpty()) << "formats compare case-sensitively";
}

struct BytesCase {
    const char* label;
    QString text;
    QString tail;
    QByteArray expected;
};

class SavedBytesTest : public ::testing::TestWithParam<BytesCase>
{ };

// Every line of a saved file ends in CR LF, whatever line breaks the text held.
TEST_P(SavedBytesTest, LaysOutTheFile)
{
    PlaylistBytesBuilder bytes;
    bytes.addText(GetParam().text);
    EXPECT_EQ(bytes.finish(GetParam().tail), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Files, SavedBytesTest,
    ::testing::Values(BytesCase {"empty_playlist", u"#EXTM3U"_s, {}, QByteArray("#EXTM3U\r\n")},
        BytesCase {
            "two_entries", u"#EXTM3U\r\na.mp3\r\nb.wma"_s, {}, QByteArray("#EXTM3U\r\na.mp3\r\nb.wma\r\n")},
        BytesCase {"bare_line_feeds", u"#EXTM3U\na.mp3\n"_s, {}, QByteArray("#EXTM3U\r\na.mp3\r\n\r\n")},
        BytesCase {"bare_carriage_return", u"#EXTM3U\ra.mp3"_s, {}, QByteArray("#EXTM3U\r\na.mp3\r\n")},
        BytesCase {"paragraph_separator", u"#EXTM3U\u2029a.mp3"_s, {}, QByteArray("#EXTM3U\r\na.mp3\r\n")},
        BytesCase {"empty_text", QString(), {}, QByteArray("\r\n")},
        BytesCase {"asx_tail", u"<ASX>"_s, u"</ASX>"_s, QByteArray("<ASX>\r\n</ASX>\r\n")},
        BytesCase {"utf8_no_bom", u"#EXTM3U\r\nÄ.mp3"_s, {}, QByteArray("#EXTM3U\r\n\xC3\x84.mp3\r\n")},
        // ASCII is copied four characters at a time, in pieces of 4096 characters; other
        // characters go to the encoder in runs. Breaks and runs on those edges:
        BytesCase {"controls_and_breaks_inside_a_word", u"ab\tc\x7F\u2028\r\r\nd\u0085e"_s, {},
            QByteArray("ab\tc\x7F\r\n\r\n\r\nd\xC2\x85"
                       "e\r\n")},
        BytesCase {"pair_and_lone_surrogate", u"x\U0001F3B5y\xD800\nz\xDC00"_s, {},
            QByteArray("x\xF0\x9F\x8E\xB5y\xEF\xBF\xBD\r\nz\xEF\xBF\xBD\r\n")},
        BytesCase {
            "cr_lf_across_pieces", QString(4095, u'a') + u"\r\nb"_s, {}, QByteArray(4095, 'a') + "\r\nb\r\n"},
        BytesCase {"run_across_pieces", QString(4094, u'a') + QString(5000, u'é') + u"\u2029z"_s, {},
            QByteArray(4094, 'a') + QByteArray("\xC3\xA9").repeated(5000) + "\r\nz\r\n"}),
    [](const auto& info) { return std::string(info.param.label); });

// A local encoding other than UTF-8 (a Windows code page) goes through Qt's encoder, from
// the first character of a line that is not ASCII to the line's end. Latin-1 stands in here.
TEST(PlaylistBytesBuilderTest, OtherEncodingsGoThroughTheEncoder)
{
    const struct {
        QString text;
        QByteArray expected;
    } rows[] = {
        {u"caf\u00e9 \u4e2d x\r\n\u00c4\U0001F3B5\xD800."_s, "caf\xe9 ? x\r\n\xc4???.\r\n"},
        {QString(4094, u'a') + QString(5000, u'\u00e9') + u"b\u2029z"_s,
            QByteArray(4094, 'a') + QByteArray(5000, '\xe9') + "b\r\nz\r\n"},
    };
    for (const auto& row : rows) {
        PlaylistBytesBuilder bytes(0, QStringConverter::Latin1);
        bytes.addText(row.text);
        EXPECT_EQ(bytes.finish(QString()), row.expected) << row.text.left(40).toStdString();
    }
}

} // namespace

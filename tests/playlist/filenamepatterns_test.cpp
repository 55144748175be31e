// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "filenamepatterns.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

struct NameCase {
    const char* label;
    QString patterns; // empty: the media files' rule
    QString name;
    bool matches;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.label; }

class FileNamePatternsTest : public testing::TestWithParam<NameCase>
{ };

// The list reads ASCII names by their bytes and the writer asks by text: both answers are
// the rule's, in any letter case, for the whole extension only.
TEST_P(FileNamePatternsTest, NameMatchesByTextAndByBytesAlike)
{
    const NameCase& c = GetParam();
    const FileNamePatterns custom(FileNamePatterns::split(c.patterns));
    const FileNamePatterns& rule = c.patterns.isEmpty() ? FileNamePatterns::media() : custom;
    EXPECT_EQ(rule.matches(c.name), c.matches);
    if (std::all_of(c.name.begin(), c.name.end(), [](QChar ch) { return ch.unicode() < 0x80; })) {
        EXPECT_EQ(rule.matchesAscii(c.name.toLatin1()), c.matches);
    }
}

INSTANTIATE_TEST_SUITE_P(Names, FileNamePatternsTest,
    testing::Values(NameCase {"MediaInCapitals", {}, u"LOUD.MP3"_s, true},
        NameCase {"MediaMixedCase", {}, u"clip.MpEg"_s, true},
        NameCase {"MediaExtensionAlone", {}, u".wav"_s, true},
        NameCase {"MediaAccentedName", {}, u"\u00c9t\u00e9.WMA"_s, true},
        NameCase {"ExtensionNotLast", {}, u"x.mp3.m3u"_s, false},
        NameCase {"TrailingBlank", {}, u"x.mp3 "_s, false}, NameCase {"NoDot", {}, u"xmp3"_s, false},
        NameCase {"PlaylistName", {}, u"party.m3u"_s, false},
        NameCase {"WildcardByBytes", u"*.mp3;song*"_s, u"SONG 1.ogg"_s, true},
        NameCase {"QuestionMark", u"*.wa?"_s, u"x.WAX"_s, true},
        NameCase {"QuestionMarkOneCharacter", u"*.wa?"_s, u"x.wa"_s, false}),
    [](const testing::TestParamInfo<NameCase>& info) { return std::string(info.param.label); });

} // namespace

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// Proper-casing, the decoding of names on disk, the texts of drive nodes, the folder path
// read back from node texts, and the order of the scratch list.
#include "scratchlist.h"
#include "treetext.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace Cantorel;

namespace {

struct TextCase {
    const char* name;
    QString input;
    QString expected;
};

std::string textCaseName(const ::testing::TestParamInfo<TextCase>& info) { return info.param.name; }

class ProperCase : public ::testing::TestWithParam<TextCase>
{ };

TEST_P(ProperCase, CapitalisesEachWord)
{
    EXPECT_EQ(TreeText::properCase(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, ProperCase,
    ::testing::Values(TextCase {"Upper", u"MY MUSIC"_s, u"My Music"_s},
        TextCase {"Lower", u"my music"_s, u"My Music"_s},
        TextCase {"HyphenIsNoWordBreak", u"cd-rom"_s, u"Cd-rom"_s},
        TextCase {"ApostropheIsNoWordBreak", u"o'NEIL"_s, u"O'neil"_s}, TextCase {"Empty", u""_s, u""_s},
        TextCase {"BlanksKept", u"  two  BLANKS "_s, u"  Two  Blanks "_s},
        TextCase {"TabSeparates", u"tab\tSEP"_s, u"Tab\tSep"_s},
        TextCase {"Accented", u"ÉCOLE ÜBER"_s, u"École Über"_s},
        TextCase {"Digits", u"2024 PHOTOS"_s, u"2024 Photos"_s},
        TextCase {"OutsideTheBasicPlane", u"𐐨𐐨 X"_s, u"𐐀𐐨 X"_s}),
    textCaseName);

struct NameCase {
    const char* name;
    QByteArray bytes;
    QString shown;
    bool exact; // the bytes are valid UTF-8, so a string names them
};

class DisplayName : public ::testing::TestWithParam<NameCase>
{ };

// Valid UTF-8 is shown as such and named exactly; anything else is shown byte by byte as
// Windows-1252, never with replacement characters, and no string claims to name it.
TEST_P(DisplayName, ShowsEveryByteReadably)
{
    const NameCase& c = GetParam();
    EXPECT_EQ(TreeText::displayName(c.bytes), c.shown);
    EXPECT_FALSE(TreeText::displayName(c.bytes).contains(QChar::ReplacementCharacter));
    const std::optional<QString> exact = TreeText::exactText(c.bytes);
    ASSERT_EQ(exact.has_value(), c.exact);
    if (exact) {
        EXPECT_EQ(exact->toUtf8(), c.bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(Names, DisplayName,
    ::testing::Values(NameCase {"Ascii", "Music", u"Music"_s, true},
        NameCase {"Utf8", "na\xc3\xafve \xf0\x9f\x8e\xb5", u"naïve 🎵"_s, true},
        NameCase {"Latin1Byte", "caf\xe9", u"café"_s, false},
        NameCase {"Windows1252Punctuation", "\x80 \x93x\x94 \x99", u"€ “x” ™"_s, false},
        NameCase {"UndefinedByteKeepsItsCodePoint", "a\x81", u"a\u0081"_s, false},
        NameCase {"Overlong", "\xc0\xaf", u"À¯"_s, false},
        NameCase {"Surrogate", "\xed\xa0\x80", u"í\u00a0€"_s, false},
        NameCase {"Truncated", "x\xe2\x82", u"xâ‚"_s, false},
        NameCase {"ByteOrderMarkKept", "\xef\xbb\xbfx", u"\ufeffx"_s, true}),
    [](const auto& info) { return std::string(info.param.name); });

struct PathCase {
    const char* name;
    QString driveText;
    QString fullPath;
    QString expected;
};

class FolderPath : public ::testing::TestWithParam<PathCase>
{ };

TEST_P(FolderPath, IsTheDriveAndTheTextsBelowIt)
{
    EXPECT_EQ(TreeText::folderPath(GetParam().driveText, GetParam().fullPath), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Nodes, FolderPath,
    ::testing::Values(PathCase {"Drive", u"System (C:)"_s, u"System (C:)"_s, u"C:"_s},
        PathCase {"Removable", u"(A:)"_s, u"(A:)\\Docs"_s, u"A:\\Docs"_s},
        PathCase {"Deep", u"System (C:)"_s, u"System (C:)\\Program Files\\Common Files"_s,
            u"C:\\Program Files\\Common Files"_s},
        PathCase {"EmptyLabel", u" (E:)"_s, u" (E:)\\Music"_s, u"E:\\Music"_s},
        PathCase {"ColonInLabel", u"Backup: 2020 (D:)"_s, u"Backup: 2020 (D:)\\X"_s, u"D:\\X"_s}),
    [](const auto& info) { return std::string(info.param.name); });

QStringList sorted(ScratchList& list)
{
    QStringList out;
    for (const ScratchList::Item& item : list.items())
        out << item.text + u'=' + QString::fromUtf8(item.realName);
    return out;
}

TEST(ScratchList, SortsWithoutCaseAndTiesByNameOnDisk)
{
    ScratchList list;
    list.addItem(u"Zeta"_s, "zeta");
    list.addItem(u"alpha"_s, "alpha");
    list.addItem(u"Music"_s, "music");
    list.addItem(u"Beta"_s, "beta");
    list.addItem(u"Music"_s, "MUSIC");
    list.addItem(u"_tmp"_s, "_tmp");
    EXPECT_EQ(sorted(list),
        (QStringList {u"_tmp=_tmp"_s, u"alpha=alpha"_s, u"Beta=beta"_s, u"Music=MUSIC"_s, u"Music=music"_s,
            u"Zeta=zeta"_s}));
    list.clear();
    EXPECT_EQ(list.count(), 0);
    list.addItem(u"b"_s, "b");
    list.addItem(u"A"_s, "A");
    EXPECT_EQ(sorted(list), (QStringList {u"A=A"_s, u"b=b"_s}));
}

} // namespace

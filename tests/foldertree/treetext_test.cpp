// Proper-casing, the texts of drive nodes, the folder path read back from node texts,
// and the order of the scratch list.
#include "scratchlist.h"
#include "treetext.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TextCase
{
    const char* name;
    QString input;
    QString expected;
};

std::string textCaseName(const ::testing::TestParamInfo<TextCase>& info) { return info.param.name; }

class ProperCase : public ::testing::TestWithParam<TextCase> {};

TEST_P(ProperCase, CapitalisesEachWord)
{
    EXPECT_EQ(TreeText::properCase(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, ProperCase, ::testing::Values(
    TextCase{"Upper", u"MY MUSIC"_s, u"My Music"_s},
    TextCase{"Lower", u"my music"_s, u"My Music"_s},
    TextCase{"HyphenIsNoWordBreak", u"cd-rom"_s, u"Cd-rom"_s},
    TextCase{"ApostropheIsNoWordBreak", u"o'NEIL"_s, u"O'neil"_s},
    TextCase{"Empty", u""_s, u""_s},
    TextCase{"BlanksKept", u"  two  BLANKS "_s, u"  Two  Blanks "_s},
    TextCase{"TabSeparates", u"tab\tSEP"_s, u"Tab\tSep"_s},
    TextCase{"Accented", u"ÉCOLE ÜBER"_s, u"École Über"_s},
    TextCase{"Digits", u"2024 PHOTOS"_s, u"2024 Photos"_s},
    TextCase{"OutsideTheBasicPlane", u"𐐨𐐨 X"_s, u"𐐀𐐨 X"_s}),
    textCaseName);

struct PathCase
{
    const char* name;
    QString driveText;
    QString fullPath;
    QString expected;
};

class FolderPath : public ::testing::TestWithParam<PathCase> {};

TEST_P(FolderPath, IsTheDriveAndTheTextsBelowIt)
{
    EXPECT_EQ(TreeText::folderPath(GetParam().driveText, GetParam().fullPath), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Nodes, FolderPath, ::testing::Values(
    PathCase{"Drive", u"System (C:)"_s, u"System (C:)"_s, u"C:"_s},
    PathCase{"Removable", u"(A:)"_s, u"(A:)\\Docs"_s, u"A:\\Docs"_s},
    PathCase{"Deep", u"System (C:)"_s, u"System (C:)\\Program Files\\Common Files"_s,
             u"C:\\Program Files\\Common Files"_s},
    PathCase{"EmptyLabel", u" (E:)"_s, u" (E:)\\Music"_s, u"E:\\Music"_s},
    PathCase{"ColonInLabel", u"Backup: 2020 (D:)"_s, u"Backup: 2020 (D:)\\X"_s, u"D:\\X"_s}),
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
    EXPECT_EQ(sorted(list), (QStringList{u"_tmp=_tmp"_s, u"alpha=alpha"_s, u"Beta=beta"_s,
                                         u"Music=MUSIC"_s, u"Music=music"_s, u"Zeta=zeta"_s}));
    list.clear();
    EXPECT_EQ(list.count(), 0);
    list.addItem(u"b"_s, "b");
    list.addItem(u"A"_s, "A");
    EXPECT_EQ(sorted(list), (QStringList{u"A=A"_s, u"b=b"_s}));
}

} // namespace

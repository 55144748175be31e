// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "translationloader.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

using namespace Qt::StringLiterals;

struct LanguageRow {
    const char* name;
    QStringList uiLanguages;
    QStringList files; // the catalogues' names, in the order loaded
    bool swissSpelling;
};

class LanguageChoiceTest : public ::testing::TestWithParam<LanguageRow>
{ };

// Cantorel speaks German (and English); Qt speaks German and French. The window's words
// and Qt's come from one language: never Qt's French beside Cantorel's English or German.
TEST_P(LanguageChoiceTest, LoadsOneLanguage)
{
    QTemporaryDir own, qt;
    ASSERT_TRUE(own.isValid() && qt.isValid());
    for (const QString& path :
        {own.filePath(u"cantorel_de.qm"_s), qt.filePath(u"qtbase_de.qm"_s), qt.filePath(u"qtbase_fr.qm"_s)}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const TranslationLoader::Choice choice
        = TranslationLoader::choose(GetParam().uiLanguages, own.path(), qt.path());
    QStringList names;
    for (const QString& file : choice.files)
        names.append(QFileInfo(file).fileName());
    EXPECT_EQ(names, GetParam().files);
    EXPECT_EQ(choice.swissSpelling, GetParam().swissSpelling);
}

INSTANTIATE_TEST_SUITE_P(Languages, LanguageChoiceTest,
    ::testing::Values(LanguageRow {"FrenchOnly", {u"fr-FR"_s, u"fr"_s}, {}, false},
        LanguageRow {"FrenchThenGerman", {u"fr"_s, u"de"_s}, {u"cantorel_de.qm"_s, u"qtbase_de.qm"_s}, false},
        LanguageRow {"SwissGerman", {u"de-CH"_s, u"de"_s}, {u"cantorel_de.qm"_s, u"qtbase_de.qm"_s}, true},
        LanguageRow {"EnglishBeforeGerman", {u"en-GB"_s, u"de"_s}, {}, false}),
    [](const auto& info) { return std::string(info.param.name); });

// In Swiss German no word has "ß", Cantorel's nor Qt's.
TEST(SwissSpellingTest, HasNoSharpS)
{
    const TranslationLoader::Choice choice = TranslationLoader::choose({u"de-CH"_s},
        QStringLiteral(CANTOREL_TRANSLATIONS_DIR), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    ASSERT_TRUE(choice.swissSpelling);
    ASSERT_EQ(choice.files.size(), 2) << "Qt's German catalogue (qt6-translations-l10n) is missing";
    QObject owner;
    TranslationLoader::apply(choice, &owner);
    EXPECT_EQ(QCoreApplication::translate("SaveResultText", "Closing the playlist failed"),
        u"Das Schliessen der Wiedergabeliste ist fehlgeschlagen"_s);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Close"), u"Schliessen"_s);
    // and the system's reasons, from catalogues that know no Swiss spelling
    EXPECT_EQ(TranslationLoader::systemWords(u"Die Datei ist zu groß"_s), u"Die Datei ist zu gross"_s);
}

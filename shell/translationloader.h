// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;
class QObject;

// The program's words in one language for the whole window: the first of the user's
// languages (QLocale::uiLanguages(), which follows LANGUAGE, LC_ALL, LC_MESSAGES and LANG)
// that Cantorel speaks, English being its own. Qt's catalogue (the buttons and menus of
// Qt's own dialogs and boxes) and the system's reasons follow that same language only, so
// that no sentence mixes two. German as written in Switzerland gets "ss" for "ß".
class TranslationLoader
{
public:
    struct Choice {
        QString language;  // the user's language chosen ("de-CH"); empty for English
        QStringList files; // the catalogues to load: Cantorel's, then Qt's if there is one
        bool swissSpelling = false;
    };

    // The choice for `uiLanguages`, most wanted first, given the folders of Cantorel's
    // catalogues (cantorel_<language>.qm) and of Qt's (qtbase_<language>.qm).
    static Choice choose(const QStringList& uiLanguages, const QString& ownFolder, const QString& qtFolder);

    // Loads the chosen catalogues into the application; `owner` owns them, and removing
    // it takes them out again.
    static void apply(const Choice& choice, QObject* owner);

    // Chooses for the user's languages, applies the choice with `app` as owner, and makes
    // the system's reasons (strerror) speak the chosen language too.
    static void install(QCoreApplication* app);

    // The system's own words (its reasons for a failure) spelled as the loaded catalogues
    // are: with "ss" for "ß" in Swiss German, which the system's catalogues lack.
    static QString systemWords(const QString& text);

    // Where Cantorel's catalogues are: share/cantorel/translations beside the program's
    // folder, in the build tree as once installed.
    static QString folder();
};

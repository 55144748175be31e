// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

class QCoreApplication;

// The program's words in the user's language: Cantorel's own catalogue and Qt's (the
// buttons and menus of Qt's own dialogs and boxes), each the best match for the user's
// languages (QLocale::uiLanguages(), which follows LANGUAGE, LC_ALL, LC_MESSAGES and LANG).
// Without a match the words stay English.
class TranslationLoader
{
public:
    // Installs the catalogues found into `app`, which owns them.
    static void install(QCoreApplication* app);

    // Where Cantorel's catalogues are: share/cantorel/translations beside the program's
    // folder, in the build tree as once installed.
    static QString folder();
};

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "translationloader.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace {

void load(QCoreApplication* app, const QString& name, const QString& folder)
{
    auto* translator = new QTranslator(app);
    if (translator->load(QLocale(), name, u"_"_s, folder))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace

QString TranslationLoader::folder()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath()
                           + u"/../share/cantorel/translations"_s);
}

void TranslationLoader::install(QCoreApplication* app)
{
    load(app, u"qtbase"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    load(app, u"cantorel"_s, folder());
}

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "translationloader.h"

#include "swissspelling.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace {

// The owner of the catalogues in Swiss spelling, while they are loaded.
QPointer<QObject> swissOwner;

// The catalogue of `base` for `language` ("de-CH": base_de_CH.qm, else base_de.qm) in
// `folder`, or an empty string.
QString catalogue(const QString& folder, const QString& base, QString language)
{
    language.replace(u'-', u'_');
    for (;;) {
        const QString path = folder + u'/' + base + u'_' + language + u".qm"_s;
        if (QFileInfo(path).isFile())
            return path;
        const qsizetype cut = language.lastIndexOf(u'_');
        if (cut <= 0)
            return {};
        language.truncate(cut);
    }
}

} // namespace

QString TranslationLoader::folder()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + u"/../share/cantorel/translations"_s);
}

TranslationLoader::Choice TranslationLoader::choose(
    const QStringList& uiLanguages, const QString& ownFolder, const QString& qtFolder)
{
    for (const QString& language : uiLanguages) {
        const QLocale locale(language);
        if (locale.language() == QLocale::English)
            return {}; // the program's own words; Qt's are English too
        if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage)
            continue;
        const QString own = catalogue(ownFolder, u"cantorel"_s, language);
        if (own.isEmpty())
            continue;
        Choice choice {language, {own}, false};
        if (const QString qt = catalogue(qtFolder, u"qtbase"_s, language); !qt.isEmpty())
            choice.files.append(qt);
        choice.swissSpelling = locale.language() == QLocale::German
            && (locale.territory() == QLocale::Switzerland || locale.territory() == QLocale::Liechtenstein);
        return choice;
    }
    return {};
}

void TranslationLoader::apply(const Choice& choice, QObject* owner)
{
    for (const QString& file : choice.files) {
        auto* translator = new QTranslator(owner);
        if (!translator->load(file)) {
            delete translator;
            continue;
        }
        if (choice.swissSpelling) {
            // It owns the German one, which thus outlives its removal from the application.
            auto* swiss = new SwissSpelling(translator, owner);
            translator->setParent(swiss);
            QCoreApplication::installTranslator(swiss);
            swissOwner = owner;
        } else {
            QCoreApplication::installTranslator(translator);
        }
    }
}

QString TranslationLoader::systemWords(const QString& text)
{
    return swissOwner ? SwissSpelling::respelled(text) : text;
}

void TranslationLoader::install(QCoreApplication* app)
{
    const Choice choice = choose(
        QLocale::system().uiLanguages(), folder(), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    apply(choice, app);
    // The C library words its reasons in the first language of LANGUAGE that it has; one
    // it lacks ("en") leaves them English. Set before any other thread reads it.
    QString language = choice.language.isEmpty() ? u"en"_s : choice.language;
    qputenv("LANGUAGE", language.replace(u'-', u'_').toLocal8Bit());
}

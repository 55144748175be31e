// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "swissspelling.h"

using namespace Qt::StringLiterals;

SwissSpelling::SwissSpelling(const QTranslator* german, QObject* parent)
    : QTranslator(parent), m_german(german)
{ }

QString SwissSpelling::translate(
    const char* context, const char* sourceText, const char* disambiguation, int n) const
{
    return respelled(m_german->translate(context, sourceText, disambiguation, n));
}

QString SwissSpelling::respelled(QString german)
{
    german.replace(u'ß', u"ss"_s).replace(u'ẞ', u"SS"_s);
    return german;
}

bool SwissSpelling::isEmpty() const { return m_german->isEmpty(); }

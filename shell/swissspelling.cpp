// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "swissspelling.h"

using namespace Qt::StringLiterals;

SwissSpelling::SwissSpelling(const QTranslator* german, QObject* parent)
    : QTranslator(parent)
    , m_german(german)
{
}

QString SwissSpelling::translate(const char* context, const char* sourceText,
                                 const char* disambiguation, int n) const
{
    QString text = m_german->translate(context, sourceText, disambiguation, n);
    text.replace(u'ß', u"ss"_s).replace(u'ẞ', u"SS"_s);
    return text;
}

bool SwissSpelling::isEmpty() const
{
    return m_german->isEmpty();
}

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "filenamepatterns.h"

#include "filenametext.h"

using namespace Qt::StringLiterals;

FileNamePatterns::FileNamePatterns(const QStringList& patterns)
{
    for (const QString& pattern : patterns) {
        const QStringView rest = QStringView(pattern).sliced(pattern.startsWith(u'*') ? 1 : 0);
        if (pattern.startsWith(u'*') && !rest.contains(u'*') && !rest.contains(u'?')
            && !rest.contains(u'[')) {
            m_suffixes.push_back(rest.toString());
            if (FileNameText::isAscii(rest.toUtf8()))
                m_asciiSuffixes.push_back(rest.toLatin1());
            else
                m_allAscii = false;
        } else {
            m_expressions.emplace_back(QRegularExpression::wildcardToRegularExpression(pattern),
                QRegularExpression::CaseInsensitiveOption);
            m_allAscii = false;
        }
    }
}

QStringList FileNamePatterns::split(const QString& patternList)
{
    return patternList.split(u';', Qt::SkipEmptyParts);
}

const FileNamePatterns& FileNamePatterns::media()
{
    static const FileNamePatterns patterns(split(u"*.avi;*.mp3;*.mpeg;*.mpg;*.swf;*.wav;*.wma;*.wmv"_s));
    return patterns;
}

bool FileNamePatterns::matches(const QString& name) const
{
    for (const QString& suffix : m_suffixes) {
        if (name.endsWith(suffix, Qt::CaseInsensitive))
            return true;
    }
    for (const QRegularExpression& expression : m_expressions) {
        if (expression.match(name).hasMatch())
            return true;
    }
    return false;
}

bool FileNamePatterns::matchesAscii(QByteArrayView name) const
{
    if (!m_allAscii)
        return matches(QString::fromLatin1(name));
    for (const QByteArray& suffix : m_asciiSuffixes) {
        if (name.size() >= suffix.size()
            && qstrnicmp(name.data() + name.size() - suffix.size(), suffix.size(), suffix.constData(),
                   suffix.size())
                == 0)
            return true;
    }
    return false;
}

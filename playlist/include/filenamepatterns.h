// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <vector>

// A list of file-name patterns ("*.mp3", "*.wa?"), any of which a name may match, without
// regard to letter case. One of them is the media files' rule, media(): the files the list
// shows are exactly those a playlist never overwrites, because both ask it.
class FileNamePatterns
{
public:
    explicit FileNamePatterns(const QStringList& patterns);

    // The pattern list as the window gives it: "*.mp3;*.wav", separated by ';'.
    static QStringList split(const QString& patternList);

    // The media files: "*.avi;*.mp3;*.mpeg;*.mpg;*.swf;*.wav;*.wma;*.wmv".
    static const FileNamePatterns& media();

    bool isEmpty() const { return m_suffixes.isEmpty() && m_expressions.empty(); }

    // Whether a name (no folder), as shown, matches one of the patterns.
    bool matches(const QString& name) const;

    // The same for a name all of whose bytes are ASCII, given as its bytes: such a name is
    // its own text, and an ASCII suffix matches it, without regard to case, exactly when
    // the bytes end in the suffix's bytes with only the case of the letters A to Z changed.
    bool matchesAscii(QByteArrayView name) const;

private:
    // The usual "*.ext" is a plain suffix test; anything else is a wildcard expression.
    QStringList m_suffixes;
    std::vector<QByteArray> m_asciiSuffixes;
    std::vector<QRegularExpression> m_expressions;
    bool m_allAscii = true; // every pattern is a suffix of ASCII characters
};

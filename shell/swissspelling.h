// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QTranslator>

// A German catalogue as written in Switzerland and Liechtenstein, which use no "ß": the
// words of `german`, with "ss" in its place.
class SwissSpelling : public QTranslator
{
    Q_OBJECT

public:
    // Reads from `german`, which must live as long as this does (as its child, say).
    SwissSpelling(const QTranslator* german, QObject* parent);

    QString translate(
        const char* context, const char* sourceText, const char* disambiguation, int n) const override;
    bool isEmpty() const override;

    // `german` in Swiss spelling.
    static QString respelled(QString german);

private:
    const QTranslator* m_german;
};

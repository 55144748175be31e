// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>
#include <QString>

// Writes down every message box the program shows, as it is shown: its caption and text,
// each box as dashed sections (caption, text). Installed on the application only when the
// environment names a log (CANTOREL_MESSAGE_LOG), so that end-to-end tests can read what
// the user was told; the program itself never depends on it.
class MessageBoxLog : public QObject
{
public:
    explicit MessageBoxLog(QString path, QObject* parent = nullptr);

    // Installs a log on the application when CANTOREL_MESSAGE_LOG names a file.
    static void installFromEnvironment();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString m_path;
};

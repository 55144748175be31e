// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "messageboxlog.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QMessageBox>

using namespace Qt::StringLiterals;

MessageBoxLog::MessageBoxLog(QString path, QObject* parent) : QObject(parent), m_path(std::move(path)) { }

void MessageBoxLog::installFromEnvironment()
{
    const QString path = qEnvironmentVariable("CANTOREL_MESSAGE_LOG");
    if (!path.isEmpty())
        qApp->installEventFilter(new MessageBoxLog(path, qApp));
}

bool MessageBoxLog::eventFilter(QObject* watched, QEvent* event)
{
    const auto* box = event->type() == QEvent::Show ? qobject_cast<QMessageBox*>(watched) : nullptr;
    if (box) {
        const QString rule = u"---------------------------\n"_s;
        QFile log(m_path);
        if (log.open(QIODevice::WriteOnly | QIODevice::Append))
            log.write((rule + box->windowTitle() + u'\n' + rule + box->text() + u'\n' + rule).toUtf8());
    }
    return false;
}

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "saveprogress.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

SaveProgress::SaveProgress(const QString& shownPath, QWidget* parent) : QDialog(parent)
{
    setObjectName(u"SaveProgress"_s);
    setWindowTitle(u"Cantorel"_s);
    setWindowModality(Qt::NonModal);
    auto* layout = new QVBoxLayout(this);
    m_label = new QLabel(tr("Saving the playlist to\n%1").arg(shownPath), this);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setWordWrap(true);
    m_label->setMaximumWidth(480);
    layout->addWidget(m_label);
    auto* busy = new QProgressBar(this);
    busy->setRange(0, 0); // how far a write has come is not known
    busy->setAccessibleName(tr("Saving"));
    layout->addWidget(busy);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    m_cancel = buttons->button(QDialogButtonBox::Cancel);
    connect(m_cancel, &QPushButton::clicked, this, &SaveProgress::cancel);
    layout->addWidget(buttons);
    setAccessibleName(tr("Saving the playlist"));
    setAccessibleDescription(m_label->text());
}

void SaveProgress::cancel()
{
    if (m_cancelRequested)
        return;
    m_cancelRequested = true;
    m_cancel->setEnabled(false);
    m_label->setText(tr("Stopping the save; the file is being left as it was…"));
    setAccessibleDescription(m_label->text());
    Q_EMIT cancelClicked();
}

void SaveProgress::reject()
{
    // The window goes only when the save has ended.
    cancel();
}

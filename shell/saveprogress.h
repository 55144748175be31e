// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The small window a save shows when it takes long: it names the file being saved and
// offers Cancel. It does not block the main window. Cancel (the button, Escape, or closing
// the window) asks once; the window then says that the save is stopping, and stays until
// the save has ended.
class SaveProgress : public QDialog
{
    Q_OBJECT
public:
    SaveProgress(const QString& shownPath, QWidget* parent);

    bool cancelRequested() const { return m_cancelRequested; }

public Q_SLOTS:
    // As a press of Cancel.
    void cancel();

Q_SIGNALS:
    void cancelClicked();

protected:
    void reject() override;

private:
    QLabel* m_label;
    QPushButton* m_cancel;
    bool m_cancelRequested = false;
};

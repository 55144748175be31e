// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QMessageBox>

// The message a save ends with: a modal box captioned "Cantorel" with an OK button, a
// warning icon or none, as a child of the main window, so that the window system knows it
// as that window's dialog (on X11 a transient, on Wayland a toplevel with that parent).
class SaveMessageBox : public QMessageBox
{
    Q_OBJECT
public:
    SaveMessageBox(Icon icon, const QString& text, QWidget* mainWindow);
};

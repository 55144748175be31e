// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "mouseclick.h"
#include "windowpicture.h"

#include <QWidget>

#include <functional>

// The start-up window: a borderless picture in the middle of the screen. It waits for a
// click, without timer or keys; the click unloads it and then opens the main window.
// Assistive technology sees a window named "Cantorel" whose press action does what the
// click does.
class frmSplash : public QWidget
{
    Q_OBJECT
public:
    // `showMainWindow` makes the main window visible, creating it on first use.
    explicit frmSplash(std::function<void()> showMainWindow, QWidget* parent = nullptr);

    // The click: unloads the window, then opens the main window. Only the first call acts.
    void Form_Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    WindowPicture m_picture;
    std::function<void()> m_showMainWindow;
    MouseClick m_click;
    bool m_unloaded = false;
};

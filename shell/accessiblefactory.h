// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

// How assistive technology sees the program's own widgets, and the text boxes Qt would
// answer wrongly: the one factory of accessible interfaces the program gives Qt.
//
// - frmSplash: a window whose press action clicks it, as the mouse does.
// - frmmain: a window (a frame, named by its caption), not a plain "client" area.
// - ClickArea: a button whose press action clicks it, as the mouse does.
// - FileListView: a list whose items pick their files when pressed (FileListAccessible).
// - QLineEdit: an editable text that answers every offset (LineEditAccessible).
// - PlaylistTextEdit: a multi-line editable text that answers every offset
//   (PlaylistTextAccessible).
//
// The presses run after the call has returned (PressAccessible).
class AccessibleFactory
{
public:
    // Gives Qt the factory, once for the program's life; later calls do nothing. The
    // windows call it when they are made, before any of their widgets is asked for.
    static void install();
};

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QPlainTextEdit>

// The playlist box: a plain text box whose copy, cut, paste and drag and drop keep the
// marks of names that are not UTF-8 (LegacyEntries) within the box, so that a copied entry
// still names its file. Other programs get and give plain text as usual.
//
// Ctrl+Y redoes, as Ctrl+Shift+Z does, whatever the desktop's key scheme.
class PlaylistTextEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit PlaylistTextEdit(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;
};

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>
#include <QString>

class QPlainTextEdit;
class QTextCharFormat;

// The entries of the playlist box that name files whose names are not UTF-8. Such a name
// is shown by its Windows-1252 reading (FileNameText), in italics, and its characters are
// marked by a property of their text format. The mark travels with the characters through
// the user's edits around them, undo included (and copy and paste within a
// PlaylistTextEdit), and the save writes marked characters as the bytes they stand for
// (PlaylistBoxDocument hands them to the playlist as listed names). Text the user types is
// never marked, wherever it goes: it is written as typed, like the rest of the box.
class LegacyEntries : public QObject
{
    Q_OBJECT
public:
    explicit LegacyEntries(QPlainTextEdit* box, QObject* parent = nullptr);

    // Whether the box may hold marked text: a cheap look at the few formats the box's
    // document has used since its text was last replaced as a whole.
    bool any() const;

    // The format of marked characters, and whether a format is one.
    static QTextCharFormat markedFormat();
    static bool isMarked(const QTextCharFormat& format);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* m_box;
};

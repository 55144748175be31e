// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "legacyentries.h"
#include "playlistdocument.h"

class QPlainTextEdit;
class QTextCursor;

// The playlist box as the playlist's document: the text is the box's, which the user edits
// too. One line a block; listed names that are not UTF-8 are marked text (LegacyEntries).
// Each replace or append is one step for Ctrl+Z.
class PlaylistBoxDocument : public PlaylistDocument
{
public:
    explicit PlaylistBoxDocument(QPlainTextEdit* box);

    // The caret goes to the start, as a new text puts it; the undo history is kept.
    void replace(const Fragments& fragments) override;
    // At the end, whatever the user left there; the user's caret and selection stay.
    void append(const Fragments& fragments) override;
    void walk(const std::function<void(QStringView text, bool listedName)>& fragment,
        const std::function<void()>& lineEnd) const override;
    qsizetype characterCount() const override;

private:
    void insert(QTextCursor& cursor, const Fragments& fragments);

    QPlainTextEdit* m_box;
    LegacyEntries m_legacyEntries;
};

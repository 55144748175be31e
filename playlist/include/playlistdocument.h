// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <functional>

// Where a playlist's text lives: a run of fragments, each typed text or a listed name that
// is not UTF-8 (shown by its Windows-1252 reading, saved as its bytes), in lines. The window
// keeps it in its playlist box, where the user edits it too; a playlist without a window
// keeps it in a PlainPlaylistDocument.
class PlaylistDocument
{
public:
    struct Fragment {
        QString text;
        bool listedName = false; // a name that is not UTF-8: saved as the bytes it stands for
        bool startsLine = false; // a line break comes before it
    };
    using Fragments = QList<Fragment>;

    virtual ~PlaylistDocument() = default;

    // Replaces the whole text by `fragments` (the first one starts the text, whatever its
    // `startsLine`).
    virtual void replace(const Fragments& fragments) = 0;
    // Adds `fragments` at the end of the text.
    virtual void append(const Fragments& fragments) = 0;
    // The text in order, once: `fragment` for runs of one kind, `lineEnd` between lines. A
    // fragment may hold line breaks too (PlaylistFormat::isLineBreak, CR LF as one), which
    // end lines as `lineEnd` does.
    virtual void walk(const std::function<void(QStringView text, bool listedName)>& fragment,
        const std::function<void()>& lineEnd) const = 0;
    // About how many characters the text holds (a hint for the bytes' room).
    virtual qsizetype characterCount() const = 0;
};

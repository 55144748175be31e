// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The texts a playlist is made of, as lines: its head, one entry per picked media file, and
// the tail written after it when saving. Pure functions; the one place where the playlist
// text layout is defined, and where a line break is.
//
// A head is the playlist's first lines; an entry's lines each follow the text before them
// on a line of their own. The saved file ends every line, the tail's included, in CR LF
// (PlaylistBytesBuilder).
namespace PlaylistFormat {

inline const QString kM3UExt = QStringLiteral(".m3u");
inline const QString kAsxExt = QStringLiteral(".asx");
inline const QString kHtmlExt = QStringLiteral(".htm");

// The address on the ASX MOREINFO line: fixed, this project's own.
inline const QString kAsxMoreInfoAddress = QStringLiteral("https://cantorel.example.org/");

// Whether a line ends at `c`: CR, LF (CR LF is one break), the Unicode line and paragraph
// separators, and U+FDD0 and U+FDD1, which Qt's text documents use as frame marks and
// split blocks at. The file list, the playlist box and the saved bytes all break lines here.
constexpr bool isLineBreak(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == u'\u2028' || c == u'\u2029' || c == u'\uFDD0' || c == u'\uFDD1';
}

// The length of the line break that starts at `at` in `text`: 0 where none does, 2 for
// CR LF (one break), else 1.
constexpr qsizetype lineBreakLength(QStringView text, qsizetype at)
{
    if (at >= text.size() || !isLineBreak(text[at].unicode()))
        return 0;
    return text[at] == u'\r' && at + 1 < text.size() && text[at + 1] == u'\n' ? 2 : 1;
}

// M3U: the head "#EXTM3U"; an entry is one line holding the file name. A name that a
// player would read as a comment (leading '#') or trim (leading white space) is written
// with the current-folder prefix (`currentFolderPrefix`, "./" or ".\"), so that it still
// names the file.
QStringList m3uHead();
QStringList m3uEntry(const QString& fileName, const QString& currentFolderPrefix);
QString m3uTail(); // empty: M3U has none

// ASX: nine-line head, six-line entry, tail "</ASX>". Values are inserted as they are.
QStringList asxHead(const QString& artist, const QString& album);
QStringList asxEntry(const QString& fileName, const QString& artist, const QString& album);
QString asxTail();

// HTML: three-line head, tail "</body></html>"; there is no HTML entry.
QStringList htmlHead();
QString htmlTail();

// The tail of the format named by its extension (exact, case-sensitive); empty for M3U
// and for any unknown extension.
QString tailFor(const QString& ext);

} // namespace PlaylistFormat

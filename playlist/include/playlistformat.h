// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QString>

// The texts a playlist is made of: its head, one entry per picked media file, the tail
// written after it when saving, and the saved file's bytes. Pure functions; the one place
// where the playlist text layout is defined.
//
// Lines are separated by CR LF. A head never ends in a line break; every entry begins with
// one, so a playlist text never ends in a line break made by these pieces.
namespace PlaylistFormat {

inline constexpr char16_t kLineBreak[] = u"\r\n";
inline const QString kM3UExt = QStringLiteral(".m3u");
inline const QString kAsxExt = QStringLiteral(".asx");
inline const QString kHtmlExt = QStringLiteral(".htm");

// The address on the ASX MOREINFO line: fixed, this project's own.
inline const QString kAsxMoreInfoAddress = QStringLiteral("https://cantorel.example.org/");

// M3U: the head "#EXTM3U"; an entry is one line holding the file name. A name that a
// player would read as a comment (leading '#') or trim (leading white space) is written
// with the current-folder prefix (`currentFolderPrefix`, "./" or ".\"), so that it still
// names the file.
QString m3uHead();
QString m3uEntry(const QString& fileName, const QString& currentFolderPrefix);
QString m3uTail(); // empty: M3U has none

// ASX: nine-line head, six-line entry, tail "</ASX>". Values are inserted as they are.
QString asxHead(const QString& artist, const QString& album);
QString asxEntry(const QString& fileName, const QString& artist, const QString& album);
QString asxTail();

// HTML: three-line head, tail "</body></html>"; there is no HTML entry.
QString htmlHead();
QString htmlTail();

// The tail of the format named by its extension (exact, case-sensitive); empty for M3U
// and for any unknown extension.
QString tailFor(const QString& ext);

// The bytes of a saved playlist: the text as held, lines joined by CR LF (a bare LF or CR
// in the text becomes CR LF), then CR LF, then the tail with its own CR LF when there is
// one. Single-byte text in the local 8-bit encoding; no byte-order mark.
QByteArray savedBytes(const QString& playlistText, const QString& tail);

// Joins the lines of `text` by CR LF, whatever line breaks it held.
QString withCrLf(const QString& text);

} // namespace PlaylistFormat

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace Cantorel {

// The texts of the folder tree: how names are shown and how a node's folder path is
// read back from the texts of its node and the nodes above it.
namespace TreeText {

// A name or path as the platform's drive layer gives it (bytes), as the tree shows it:
// decoded as UTF-8 where it is valid UTF-8, otherwise byte by byte as Windows-1252, so
// that 'caf\xe9' shows as 'café' and never as replacement characters that hide which
// folder it is.
QString displayName(QByteArrayView bytes);

// A native path as the tree shows it: each name between separators as displayName shows
// it, so that one odd name does not change how the others read.
QString displayPath(QByteArrayView path, char separator);

// The string whose UTF-8 form is exactly these bytes (a leading byte order mark kept as
// a character), as file names are on Linux and as the Windows layer gives them; nullopt
// when the bytes are not valid UTF-8, as no string names them then.
std::optional<QString> exactText(QByteArrayView bytes);

// The first letter of every word upper case, every other letter lower case; words are
// separated by white space. 'MY MUSIC' and 'my music' give 'My Music'; 'cd-rom' gives
// 'Cd-rom'.
QString properCase(QStringView text);

// The text of a drive node: "(A:)" for a removable drive, otherwise the proper-cased
// label + " (" + letter + ":)" — ' (E:)' for an empty label.
QString driveNodeText(QChar letter, bool removable, QStringView label);

// The drive of a drive node's text: the two characters before its last one ('C:' from
// 'System (C:)').
QString drivePath(QStringView driveText);

// The folder path of a node whose full path (texts joined by "\") is `fullPath` and whose
// drive node's text is `driveText`: the drive ('C:') followed by everything after the
// drive node's text. 'System (C:)\Program Files' gives 'C:\Program Files'. The drive is
// taken from the end of the drive node's text, so a colon inside a volume label does not
// mislead it.
QString folderPath(QStringView driveText, QStringView fullPath);

} // namespace TreeText

} // namespace Cantorel

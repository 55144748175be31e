#pragma once

#include <QString>
#include <QStringView>

// The texts of the folder tree: how names are shown and how a node's folder path is
// read back from the texts of its node and the nodes above it.
namespace TreeText {

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

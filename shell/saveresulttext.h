// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "playlistwriter.h"

#include <QCoreApplication>
#include <QString>

// The words of a save's result for the user, in the user's language: the writer says what
// happened as a code and its facts, and this turns them into sentences.
class SaveResultText
{
    Q_DECLARE_TR_FUNCTIONS(SaveResultText)

public:
    // Why the save did not happen, and what the file holds when that is in doubt.
    static QString reason(const PlaylistWriter::Result& result);
    // Where older copies of the file's content are kept; empty when there are none.
    static QString notice(const PlaylistWriter::Result& result);
    // The system's reason for an errno value (or PlaylistWriter::kNoProgress), a sentence part.
    static QString systemReason(int error);
    // A media format's name, in the user's language where it holds words.
    static QString mediaFormat(MediaContent::Format format);

private:
    static QString step(PlaylistWriter::Reason reason);
    // A path the writer gives: whole, or a name alone in the folder Cantorel was started in.
    static QString place(const QString& path);
};

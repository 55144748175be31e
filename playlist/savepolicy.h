// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "savetypes.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

// What a save refuses, and in which order, on every platform: the writers examine the
// name and the file in their own way and ask here whether the save may go on. Each answer
// is a SaveTypes::Result that is not saved with its reason and facts, or one whose
// reason is Reason::None.
class SavePolicy
{
public:
    using Result = SaveTypes::Result;
    using Reason = SaveTypes::Reason;
    using Kind = SaveTypes::Kind;

    // What a name holds, as a writer found it (after following a link).
    enum class Type { File, Folder, Pipe, Socket, Device, Other };
    struct Found {
        Type type = Type::File;
        bool writable = true; // the owner's write permission, or the platform's own
        bool viaLink = false; // the name is a link to it
        QString linkedName;   // then: the name of the file the link leads to
    };

    // Names holding a control character, a line break or a character the playlist box
    // splits lines at (those the file list never shows), a character that has no bytes in
    // a file name (a lone UTF-16 surrogate), one of `separators`, and "." and "..". A name
    // the file system itself refuses (too long, say) is left for the system to report.
    static Result nameRefusal(QStringView name, QStringView separators);

    // An existing name, in this order: not a file; a link to a media file's name; a media
    // file's name (`name` as typed); a file the user may not change.
    static Result refusal(const QString& name, const Found& found);

    // How many first bytes of a file contentRefusal() looks at.
    static qsizetype headSize();
    // A file whose content is media or binary data is never written over, whatever its name.
    static Result contentRefusal(QByteArrayView head);

    static Result refused(Reason reason, const QString& subject = {});
    static Result failed(Reason step, int error);
};

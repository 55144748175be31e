// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "saveresulttext.h"

#include "translationloader.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;
using Reason = PlaylistWriter::Reason;

QString SaveResultText::systemReason(int error)
{
    if (error == PlaylistWriter::kNoProgress)
        return tr("the system took no more bytes");
    return TranslationLoader::systemWords(qt_error_string(error));
}

QString SaveResultText::step(Reason reason)
{
    switch (reason) {
    case Reason::FolderUnusable: return tr("The folder cannot be used");
    case Reason::NameUnusable: return tr("The name cannot be used");
    case Reason::LinkUnfollowable: return tr("The link cannot be followed");
    case Reason::CannotChange: return tr("The file cannot be changed");
    case Reason::OpenFailed: return tr("The file could not be opened for writing");
    case Reason::LockFailed: return tr("The file could not be locked");
    case Reason::ExamineFailed: return tr("The file could not be examined");
    case Reason::CheckReadFailed: return tr("The file could not be read to check what it holds");
    case Reason::NewFileFailed: return tr("A new file could not be made in the folder");
    case Reason::NewExamineFailed: return tr("The new file could not be examined");
    case Reason::NewModeFailed: return tr("The new file could not be given its permissions");
    case Reason::KeepModeFailed: return tr("The file's permissions could not be kept");
    case Reason::WriteFailed: return tr("Writing the playlist failed");
    case Reason::SyncFailed: return tr("Writing the playlist to the disk failed");
    case Reason::CloseFailed: return tr("Closing the playlist failed");
    case Reason::CloseNewFailed: return tr("Closing the new playlist failed");
    case Reason::PlaceFailed: return tr("The new playlist could not be put in place");
    case Reason::NewFolderSyncFailed:
        return tr("The folder could not be written to the disk, so the new playlist was "
                  "removed again");
    case Reason::FolderSyncFailed:
        return tr("The new playlist is in place, but the folder could not be written to the "
                  "disk, so it may be lost in a power cut");
    case Reason::OldReadFailed: return tr("The old content could not be read to keep a copy");
    // Not a step: reason() words these whole.
    case Reason::None:
    case Reason::Cancelled:
    case Reason::NameIsFolder:
    case Reason::NameHasControl:
    case Reason::NameHasSeparator:
    case Reason::NameUnstorable:
    case Reason::FolderInTheWay:
    case Reason::NotAFile:
    case Reason::LinkToNothing:
    case Reason::SharedFolderLink:
    case Reason::LinkToMedia:
    case Reason::MediaName:
    case Reason::ReadOnly:
    case Reason::MediaContent:
    case Reason::BinaryContent:
    case Reason::AnotherWriter:
    case Reason::AnotherReader:
    case Reason::ReplacedMeanwhile:
    case Reason::TakenMeanwhile:
    case Reason::TooLargeToCopy:
    case Reason::NoCopyKept: break;
    }
    return {};
}

QString SaveResultText::mediaFormat(MediaContent::Format format)
{
    using Format = MediaContent::Format;
    switch (format) {
    case Format::None: return {};
    case Format::WavOrAvi: return tr("WAV or AVI");
    case Format::Mp3: return u"MP3"_s;
    case Format::MpegAudio: return tr("MPEG audio");
    case Format::Aac: return u"AAC"_s;
    case Format::WmaOrWmv: return tr("WMA or WMV");
    case Format::MpegVideo: return tr("MPEG video");
    case Format::Swf: return u"Flash (SWF)"_s;
    case Format::Ogg: return u"Ogg"_s;
    case Format::Flac: return u"FLAC"_s;
    case Format::Mp4: return u"MP4"_s;
    case Format::MatroskaOrWebm: return tr("Matroska or WebM");
    case Format::Aiff: return u"AIFF"_s;
    case Format::Flv: return tr("Flash video (FLV)");
    case Format::Midi: return u"MIDI"_s;
    }
    return {};
}

QString SaveResultText::reason(const PlaylistWriter::Result& r)
{
    switch (r.reason) {
    case Reason::None: return {};
    case Reason::NameIsFolder: return tr("\"%1\" names a folder, not a file.").arg(r.subject);
    case Reason::NameHasControl:
        return tr("The name holds a control character or a line break, which a file name of a "
                  "playlist may not hold.");
    case Reason::NameHasSeparator:
        return tr("The name holds \"%1\": a playlist is saved into the listed folder, so its "
                  "name cannot lead into another folder.")
            .arg(r.subject);
    case Reason::NameUnstorable:
        return tr("The name holds a character that cannot be stored in a file name.");
    case Reason::FolderInTheWay: return tr("A folder of that name is in the way.");
    case Reason::NotAFile:
        switch (r.kind) {
        case PlaylistWriter::Kind::Pipe: return tr("The name belongs to a named pipe, not to a file.");
        case PlaylistWriter::Kind::Socket: return tr("The name belongs to a socket, not to a file.");
        case PlaylistWriter::Kind::Device: return tr("The name belongs to a device, not to a file.");
        case PlaylistWriter::Kind::Other: break;
        }
        return tr("The name belongs to something other than a file.");
    case Reason::LinkToNothing: return tr("The name is a link to %1, which does not exist.").arg(r.subject);
    case Reason::SharedFolderLink:
        return tr("The name is a link made by %1 in a folder that others may write to; such "
                  "links are not followed, so that no one can make you overwrite a file of "
                  "yours.")
            .arg(r.subject);
    case Reason::LinkToMedia:
        return tr("The name is a link to the media file %1, which a playlist never overwrites.")
            .arg(r.subject);
    case Reason::MediaName: return tr("The name belongs to a media file, which a playlist never overwrites.");
    case Reason::ReadOnly: return tr("The file is read-only.");
    case Reason::MediaContent:
        return tr("The file looks like a media file (%1), not a playlist, and a playlist never "
                  "overwrites one.")
            .arg(mediaFormat(r.mediaFormat));
    case Reason::BinaryContent:
        return tr("The file holds binary data, not a playlist, and a playlist never overwrites "
                  "it.");
    case Reason::AnotherWriter:
    case Reason::AnotherReader: {
        const QString seconds = QString::number(double(r.waitMs) / 1000.0, 'g', 2);
        return r.reason == Reason::AnotherWriter
            ? tr("Another program is writing the file: it stayed locked for %1 seconds. Save "
                 "again once it is done.")
                  .arg(seconds)
            : tr("Another program is reading or using the file: it stayed locked for %1 "
                 "seconds. Save again once it is done.")
                  .arg(seconds);
    }
    case Reason::ReplacedMeanwhile:
        return tr("The file was replaced by another one while the playlist was being saved; "
                  "that one was left alone.");
    case Reason::TakenMeanwhile:
        return tr("Something else was saved under that name while the playlist was being "
                  "saved; it was left alone.");
    case Reason::TooLargeToCopy: return tr("The file is too large to keep a copy of while it is rewritten.");
    case Reason::NoCopyKept: {
        QStringList why;
        why << (r.olderCopyInTheWay ? tr("beside it, an older copy is in the way")
                                    : tr("beside it, %1").arg(systemReason(r.besideError)));
        why << tr("in %1, %2").arg(r.stateFolder, systemReason(r.stateError));
        return tr("The file is rewritten in place (to keep its links, owner or permissions), "
                  "and no copy of its old content could be kept meanwhile (%1), so it was left "
                  "as it was.")
            .arg(why.join(tr("; ")));
    }
    // A step that failed, or the user's stop: worded below.
    case Reason::Cancelled:
    case Reason::FolderUnusable:
    case Reason::NameUnusable:
    case Reason::LinkUnfollowable:
    case Reason::CannotChange:
    case Reason::OpenFailed:
    case Reason::LockFailed:
    case Reason::ExamineFailed:
    case Reason::CheckReadFailed:
    case Reason::NewFileFailed:
    case Reason::NewExamineFailed:
    case Reason::NewModeFailed:
    case Reason::KeepModeFailed:
    case Reason::WriteFailed:
    case Reason::SyncFailed:
    case Reason::CloseFailed:
    case Reason::CloseNewFailed:
    case Reason::PlaceFailed:
    case Reason::NewFolderSyncFailed:
    case Reason::FolderSyncFailed:
    case Reason::OldReadFailed: break;
    }

    // A step that failed, with the system's reason.
    if (r.reason == Reason::NewFolderSyncFailed && r.restoreError != 0)
        return tr("The folder could not be written to the disk (%1), and the new playlist could "
                  "not be removed again (%2): whether the folder still holds it after a restart "
                  "is not known.")
            .arg(systemReason(r.error), systemReason(r.restoreError));
    QString text;
    if (r.reason == Reason::Cancelled)
        text = tr("The save was cancelled before it ended.");
    else if (!r.errorText.isEmpty())
        text = tr("%1: %2.").arg(step(r.reason), TranslationLoader::systemWords(r.errorText));
    else if (r.error != 0)
        text = tr("%1: %2.").arg(step(r.reason), systemReason(r.error));
    else
        text = tr("%1.").arg(step(r.reason));
    switch (r.holds) {
    case PlaylistWriter::Holds::Untouched:
        if (r.reason == Reason::Cancelled)
            text += u' ' + tr("Nothing was changed in the folder.");
        break;
    case PlaylistWriter::Holds::OldContent: text += u' ' + tr("The file still holds its old content."); break;
    case PlaylistWriter::Holds::Damaged:
        text += u' '
            + tr("Its old content could not be put back (%1): the file is damaged. Its "
                 "whole old content is kept in %2.")
                  .arg(systemReason(r.restoreError), place(r.copyPath));
        break;
    }
    return text;
}

QString SaveResultText::place(const QString& path)
{
    if (path.startsWith(u'/'))
        return path;
    return tr("%1 in the folder Cantorel was started in").arg(path);
}

QString SaveResultText::notice(const PlaylistWriter::Result& result)
{
    QStringList said;
    QStringList copies;
    for (const QString& path : result.olderCopies)
        copies << place(path);
    if (copies.size() == 1)
        said << tr("An older copy of this file, left by a save that was cut off, is kept in %1.")
                    .arg(copies.first());
    else if (!copies.isEmpty())
        said << tr("Older copies of this file, left by saves that were cut off, are kept in %1.")
                    .arg(copies.join(u", "));
    if (!result.olderCopiesSamePath.isEmpty())
        said << tr("A copy of a file of this name, left by a save that was cut off in a folder "
                   "of this same path (perhaps this folder, on a disk attached again), is kept "
                   "in %1.")
                    .arg(result.olderCopiesSamePath.join(u", "));
    return said.join(u'\n');
}

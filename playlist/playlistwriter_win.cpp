// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// The playlist writer on Windows: the refusals of SavePolicy as everywhere (what the file
// holds included), then SaveCommit's write beside, flush and rename, each step's failure
// reported with the system's words. (QSaveFile would do the same but ignores a failed flush.)
// Windows has no owners or hard links that a rename would lose in the common case, so no
// in-place rewrite (and so no backup) is made here, and no lock is taken. The write fault
// seam and the lock wait are not used on this platform. The folder handle keeps the folder
// from being removed or renamed while the program runs, so its path still names it.
#include "playlistwriter.h"

#include "folderhandle.h"
#include "savepolicy.h"
#include "win/savecommit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using Reason = PlaylistWriter::Reason;

namespace {

// A step that failed, with the system's own words (Windows' error codes are no errno values).
PlaylistWriter::Result failed(Reason step, const QString& errorText)
{
    PlaylistWriter::Result result = SavePolicy::refused(step);
    result.errorText = errorText;
    return result;
}

// The reason for the step of SaveCommit that failed.
Reason reasonFor(SaveCommit::Step step)
{
    switch (step) {
    case SaveCommit::Step::Create: return Reason::NewFileFailed;
    case SaveCommit::Step::Flush: return Reason::SyncFailed;
    case SaveCommit::Step::Close: return Reason::CloseNewFailed;
    case SaveCommit::Step::Place: return Reason::PlaceFailed;
    case SaveCommit::Step::None:
    case SaveCommit::Step::Write: break;
    }
    return Reason::WriteFailed;
}

} // namespace

PlaylistWriter::Result PlaylistWriter::nameProblem(const QString& name)
{
    return SavePolicy::nameRefusal(name, u"/\\:");
}

PlaylistWriter::Result PlaylistWriter::write(
    const FolderHandle& folder, const QString& name, const QByteArray& bytes) const
{
    if (Result problem = nameProblem(name); problem.reason != Reason::None)
        return problem;
    if (!folder.isOpen())
        return SavePolicy::refused(Reason::FolderUnusable);
    const QString path = QString::fromUtf8(folder.openedPath()) + u'\\' + name;
    QFileInfo target(path);
    const bool viaLink = target.isSymLink();
    if (viaLink) {
        if (!target.exists())
            return SavePolicy::refused(Reason::LinkToNothing, target.symLinkTarget());
        target = QFileInfo(target.symLinkTarget());
    }
    if (target.exists()) {
        SavePolicy::Found found;
        found.type = target.isDir() ? SavePolicy::Type::Folder
            : target.isFile()       ? SavePolicy::Type::File
                                    : SavePolicy::Type::Other;
        found.writable = target.isWritable();
        found.viaLink = viaLink;
        found.linkedName = target.fileName();
        if (Result refusal = SavePolicy::refusal(name, found); refusal.reason != Reason::None)
            return refusal;
        QFile existing(target.filePath());
        if (!existing.open(QIODevice::ReadOnly))
            return failed(Reason::CheckReadFailed, existing.errorString());
        if (Result refusal = SavePolicy::contentRefusal(existing.read(SavePolicy::headSize()));
            refusal.reason != Reason::None)
            return refusal;
    }

    const SaveCommit::Outcome outcome
        = SaveCommit::replace(QDir::toNativeSeparators(target.filePath()).toStdWString(), bytes.constData(),
            std::size_t(bytes.size()));
    if (outcome.failed != SaveCommit::Step::None)
        return failed(reasonFor(outcome.failed), QString::fromStdWString(outcome.errorText));
    Result result;
    result.saved = true;
    return result;
}

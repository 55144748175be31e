// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// The playlist writer on Windows: QSaveFile's write-then-rename, with the same refusals as
// elsewhere (what the file holds included). Windows reports a failed flush from
// QSaveFile::commit, and has no owners or hard links that a rename would lose in the common
// case, so no in-place rewrite (and so no backup) is made here, and no lock is taken. The
// write fault seam and the lock wait are not used on this platform. The folder handle keeps the
// folder from being removed or renamed while the program runs, so its path still names it.
#include "playlistwriter.h"

#include "filenamepatterns.h"
#include "filenametext.h"
#include "folderhandle.h"
#include "playlistformat.h"
#include "savecontentcheck.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

QString PlaylistWriter::nameProblem(const QString& name)
{
    return FileNameText::saveNameProblem(name, u"/\\:");
}

PlaylistWriter::Result PlaylistWriter::write(const FolderHandle& folder, const QString& name,
                                             const QByteArray& bytes) const
{
    if (const QString problem = nameProblem(name); !problem.isEmpty())
        return {false, problem};
    if (!folder.isOpen())
        return {false, u"The folder cannot be used."_s};
    const QString path = QString::fromUtf8(folder.openedPath()) + u'\\' + name;
    QFileInfo target(path);
    if (target.isSymLink()) {
        if (!target.exists())
            return {false, u"The name is a link to %1, which does not exist."_s
                               .arg(target.symLinkTarget())};
        target = QFileInfo(target.symLinkTarget());
    }
    if (target.exists()) {
        if (target.isDir())
            return {false, u"A folder of that name is in the way."_s};
        if (!target.isFile())
            return {false, u"The name belongs to something other than a file."_s};
        if (FileNamePatterns::media().matches(QFileInfo(path).fileName())
            || FileNamePatterns::media().matches(target.fileName()))
            return {false, u"The name belongs to a media file, which a playlist never "
                           "overwrites."_s};
        if (!target.isWritable())
            return {false, u"The file is read-only."_s};
        // Whatever its name, a file whose content is media is never written over.
        QFile existing(target.filePath());
        if (!existing.open(QIODevice::ReadOnly))
            return {false, u"The file could not be read to check what it holds: %1."_s
                               .arg(existing.errorString())};
        const QString problem = SaveContentCheck::refusal(existing.read(SaveContentCheck::headSize()));
        if (!problem.isEmpty())
            return {false, problem};
    }

    QSaveFile file(target.filePath());
    if (!file.open(QIODevice::WriteOnly))
        return {false, u"The file could not be opened for writing: %1."_s.arg(file.errorString())};
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return {false, u"Writing the playlist failed: %1."_s.arg(reason)};
    }
    if (!file.commit())
        return {false, u"Writing the playlist failed: %1."_s.arg(file.errorString())};
    return {true, {}};
}

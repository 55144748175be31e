// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "folderfiles.h"

#include "folderhandle.h"

#include <QDir>
#include <QDirIterator>

#include <cerrno>

int FolderFiles::read(const FolderHandle& folder, const std::function<void(QByteArrayView name)>& take,
    const std::atomic<bool>* stop)
{
    // Names are UTF-16 on this platform, so none is lost to Qt's reading; without
    // QDir::Hidden and QDir::System the iterator leaves out hidden and system entries and
    // broken links. The iterator tells no reason for a folder it cannot read.
    if (!folder.isOpen())
        return folder.openError();
    const QString path = QString::fromUtf8(folder.openedPath());
    if (!QDir(path).isReadable())
        return EACCES;
    QDirIterator it(path, QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        if (stop && stop->load(std::memory_order_relaxed))
            return 0;
        it.next();
        const QByteArray name = it.fileName().toUtf8();
        take(name);
    }
    return 0;
}

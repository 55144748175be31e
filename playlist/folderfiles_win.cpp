// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "folderfiles.h"

#include "folderhandle.h"

#include <QDir>
#include <QDirIterator>

void FolderFiles::read(const FolderHandle& folder, const std::function<void(QByteArrayView name)>& take)
{
    // Names are UTF-16 on this platform, so none is lost to Qt's reading; without
    // QDir::Hidden and QDir::System the iterator leaves out hidden and system entries and
    // broken links.
    QDirIterator it(QString::fromUtf8(folder.openedPath()), QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QByteArray name = it.fileName().toUtf8();
        take(name);
    }
}

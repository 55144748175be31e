#include "folderfiles.h"

#include "folderhandle.h"

#include <QDir>
#include <QDirIterator>

std::vector<QByteArray> FolderFiles::names(const FolderHandle& folder)
{
    // Names are UTF-16 on this platform, so none is lost to Qt's reading; without
    // QDir::Hidden and QDir::System the iterator leaves out hidden and system entries and
    // broken links.
    std::vector<QByteArray> names;
    QDirIterator it(QString::fromUtf8(folder.openedPath()), QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        names.push_back(it.fileName().toUtf8());
    }
    return names;
}

#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

class FolderHandle;

// The plain files of one folder, read in one pass.
class FolderFiles
{
public:
    // The names of the plain files of `folder` and of the links to plain files, in the
    // order the folder yields them. Hidden files, folders, devices, pipes, sockets and
    // broken links are left out; a folder that cannot be read (removed, no permission)
    // yields nothing. The folder is read through its handle, never by its path. A name is
    // given as stored: the bytes of the name on POSIX, whatever their encoding; UTF-8
    // where the platform stores names as UTF-16.
    static std::vector<QByteArray> names(const FolderHandle& folder);
};

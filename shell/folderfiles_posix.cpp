#include "folderfiles.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

std::vector<QByteArray> FolderFiles::names(const QString& folder)
{
    // readdir gives every name as bytes, with its type: no name is lost to a decoding,
    // and only links (and file systems that do not report types) cost a stat.
    std::vector<QByteArray> names;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return names;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') // hidden, and "." and ".."
            continue;
        bool plainFile = entry->d_type == DT_REG;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat target;
            plainFile = ::fstatat(dirFd, entry->d_name, &target, 0) == 0 && S_ISREG(target.st_mode);
        }
        if (plainFile)
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

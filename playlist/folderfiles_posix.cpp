// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "folderfiles.h"

#include "folderhandle.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

void FolderFiles::read(const FolderHandle& folder, const std::function<void(QByteArrayView name)>& take)
{
    // readdir gives every name as bytes, with its type: no name is lost to a decoding,
    // and only links (and file systems that do not report types) cost a stat.
    // A descriptor of its own, opened through the handle: reading moves its position,
    // which a duplicate would share with the handle.
    if (!folder.isOpen())
        return;
    const int fd = ::openat(int(folder.native()), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
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
            take(QByteArrayView(entry->d_name, qsizetype(std::strlen(entry->d_name))));
    }
    ::closedir(dir);
}

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "folderfiles.h"

#include "folderhandle.h"
#include "posix/folderstream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

int FolderFiles::read(const FolderHandle& folder, const std::function<void(QByteArrayView name)>& take,
    const std::atomic<bool>* stop)
{
    // readdir gives every name as bytes, with its type: no name is lost to a decoding,
    // and only links (and file systems that do not report types) cost a stat.
    if (!folder.isOpen())
        return folder.openError();
    errno = 0;
    FolderStream dir(int(folder.native()));
    if (!dir.isOpen())
        return errno != 0 ? errno : EBADF;
    const int dirFd = dir.fd();
    for (;;) {
        if (stop && stop->load(std::memory_order_relaxed))
            return 0;
        errno = 0;
        const dirent* entry = dir.next();
        if (!entry)
            return errno;
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
}

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

// A directory stream of a folder held by a descriptor, on a descriptor of its own: reading
// moves a position, which a duplicate would share with the holder (and a second reader
// would start where the first stopped). Closes itself.
class FolderStream
{
public:
    explicit FolderStream(int dirFd)
    {
        const int fd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0 && !(m_dir = ::fdopendir(fd)))
            ::close(fd);
    }
    FolderStream(const FolderStream&) = delete;
    FolderStream& operator=(const FolderStream&) = delete;
    ~FolderStream()
    {
        if (m_dir)
            ::closedir(m_dir);
    }

    // False when the folder cannot be read; next() then gives nothing.
    bool isOpen() const { return m_dir != nullptr; }
    // The stream's own descriptor, for calls relative to the folder.
    int fd() const { return m_dir ? ::dirfd(m_dir) : -1; }
    // The next entry, "." and ".." included; null at the end.
    const dirent* next() { return m_dir ? ::readdir(m_dir) : nullptr; }

private:
    DIR* m_dir = nullptr;
};

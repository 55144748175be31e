// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "scratchfolder.h"

#include <QDir>
#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {

// Removes `name` in the folder `parent`, and first all it holds when it is a folder (a
// link is removed, never followed).
bool removeAt(int parent, const char* name)
{
    struct stat st;
    if (::fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(st.st_mode))
        return ::unlinkat(parent, name, 0) == 0;
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    // The names first, then the removals: a folder changed while it is read may skip some.
    std::vector<QByteArray> names;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray entryName(entry->d_name);
        if (entryName != "." && entryName != "..")
            names.push_back(entryName);
    }
    bool removed = true;
    for (const QByteArray& entryName : names)
        removed = removeAt(::dirfd(dir), entryName.constData()) && removed;
    ::closedir(dir);
    return removed && ::unlinkat(parent, name, AT_REMOVEDIR) == 0;
}

} // namespace

ScratchFolder::ScratchFolder()
{
    QByteArray pattern = QFile::encodeName(QDir::tempPath()) + "/Cantorel-XXXXXX";
    if (::mkdtemp(pattern.data()))
        m_path = pattern;
}

ScratchFolder::~ScratchFolder()
{
    if (isValid())
        removeTree(m_path);
}

QString ScratchFolder::path() const
{
    return QFile::decodeName(m_path);
}

QString ScratchFolder::filePath(const QString& name) const
{
    return path() + u'/' + name;
}

bool ScratchFolder::removeTree(const QByteArray& path)
{
    return removeAt(AT_FDCWD, path.constData());
}

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "folderhandle.h"

#include "posix/savecommon.h"

#include "filenametext.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The descriptor must not leak into the programs a desktop starts from ours, and must
// not block on a folder that is in fact a fifo (O_DIRECTORY refuses those anyway).
constexpr int kOpenFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

QByteArray workingDirectoryPath()
{
    // getcwd(NULL, 0) allocates as much as the path needs; it fails for a folder that was
    // removed or whose path exceeds what the system can give.
    char* cwd = ::getcwd(nullptr, 0);
    if (!cwd)
        return {};
    QByteArray path(cwd);
    std::free(cwd);
    return path.startsWith('/') ? path : QByteArray();
}

// A folder that may be searched but not read (mode --x) cannot be listed, yet files can
// still be made in it: a path-only descriptor serves every handle-relative call then.
int openFolder(const char* path)
{
    const int fd = ::open(path, kOpenFlags);
    if (fd >= 0 || errno != EACCES)
        return fd;
    const int pathOnly = ::open(path, O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (pathOnly < 0)
        errno = EACCES;
    return pathOnly;
}

} // namespace

void FolderHandle::closeNative(qintptr native) { ::close(int(native)); }

qintptr FolderHandle::duplicateNative(qintptr native, int& error)
{
    const int fd = ::fcntl(int(native), F_DUPFD_CLOEXEC, 0);
    error = fd < 0 ? errno : 0;
    return fd < 0 ? kNone : fd;
}

FolderHandle FolderHandle::openWorkingDirectory()
{
    FolderHandle folder;
    const int fd = openFolder(".");
    folder.m_error = fd < 0 ? errno : 0;
    folder.m_native = fd < 0 ? kNone : fd;
    folder.m_openedPath = workingDirectoryPath();
    return folder;
}

FolderHandle FolderHandle::open(const QString& path)
{
    FolderHandle folder;
    const QByteArray bytes = QFile::encodeName(path);
    const int fd = openFolder(bytes.constData());
    folder.m_error = fd < 0 ? errno : 0;
    folder.m_native = fd < 0 ? kNone : fd;
    if (fd >= 0) {
        // The folder as the system names it, without "..", links or doubled separators.
        folder.m_openedPath = SaveCommon::currentPath(fd);
        if (folder.m_openedPath.isEmpty())
            folder.m_openedPath = bytes;
    }
    return folder;
}

QString FolderHandle::displayPath() const
{
    QByteArray path = m_native != kNone ? SaveCommon::currentPath(int(m_native)) : QByteArray();
    if (path.isEmpty())
        path = m_openedPath;
    return FileNameText::decode(path).text;
}

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

// A path-only descriptor: it serves every handle-relative call, and opening it asks the
// folder's file system nothing (opening "." for reading asks a FUSE server or a network
// share, which may never answer, and this runs before any window shows). The listing opens
// the folder for reading on its worker; so does a save that syncs the folder. It also
// serves a folder that may be searched but not read (mode --x): files can still be made
// in it. Not inherited by the programs a desktop starts from ours.
int openFolder(const char* path) { return ::open(path, O_PATH | O_DIRECTORY | O_CLOEXEC); }

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

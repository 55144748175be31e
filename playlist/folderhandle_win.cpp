// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// The folder handle on Windows. The folder is held open without sharing its deletion, so
// it can be neither removed nor renamed while the program runs; the playlist writer and
// the file list, which have no handle-relative calls here, then reach it by the path it
// had when it was opened.
#include "folderhandle.h"

#include <QDir>

#include <windows.h>

namespace {

qintptr openFolder(const QString& path, int& error)
{
    const HANDLE handle = ::CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), FILE_LIST_DIRECTORY,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = ::GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
        return -1;
    }
    error = 0;
    return reinterpret_cast<qintptr>(handle);
}

} // namespace

void FolderHandle::closeNative(qintptr native) { ::CloseHandle(reinterpret_cast<HANDLE>(native)); }

qintptr FolderHandle::duplicateNative(qintptr native, int& error)
{
    HANDLE copy = nullptr;
    const HANDLE process = ::GetCurrentProcess();
    if (!::DuplicateHandle(
            process, reinterpret_cast<HANDLE>(native), process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        error = EMFILE;
        return kNone;
    }
    error = 0;
    return reinterpret_cast<qintptr>(copy);
}

FolderHandle FolderHandle::openWorkingDirectory() { return open(QDir::currentPath()); }

FolderHandle FolderHandle::open(const QString& path)
{
    FolderHandle folder;
    const QString absolute = QDir::toNativeSeparators(QDir(path).absolutePath());
    folder.m_native = openFolder(absolute, folder.m_error);
    if (folder.m_native != kNone)
        folder.m_openedPath = absolute.toUtf8();
    return folder;
}

QString FolderHandle::displayPath() const { return QString::fromUtf8(m_openedPath); }

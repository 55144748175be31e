// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cerrno>

// The folder the program lists and saves into, held open for the program's whole life.
//
// Everything done in the folder goes through this handle, never through the folder's path:
// the file list reads it, and a save examines, creates and renames files relative to it.
// So the folder whose files were listed is the one saved into even when its path is not
// valid text in any encoding, is longer than the system accepts, or changed because the
// folder was renamed or moved meanwhile. A folder that was removed makes every step fail
// with the system's reason; nothing is then written anywhere else.
//
// The path is used only to show the folder to the user, see displayPath().
//
// One implementation per platform, chosen by the build: folderhandle_posix.cpp holds a
// path-only directory descriptor (O_PATH: opening it asks the file system nothing),
// folderhandle_win.cpp a directory handle and the path.
class FolderHandle
{
public:
    FolderHandle() = default; // holds no folder: every use fails, see openError()
    FolderHandle(FolderHandle&& other) noexcept;
    FolderHandle& operator=(FolderHandle&& other) noexcept;
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;
    ~FolderHandle();

    // The process's working directory, as the program was started in it.
    static FolderHandle openWorkingDirectory();
    // The folder `path` names now (tools and tests).
    static FolderHandle open(const QString& path);

    // A second handle on the same folder, which lives on its own: for a worker that may
    // outlast the holder of this one (a read that hangs on a dead share must not keep the
    // holder from closing). Fails, with the system's reason in openError(), only when no
    // handle is left to the process.
    FolderHandle duplicate() const;

    bool isOpen() const { return m_native != kNone; }
    // Why the folder could not be opened (an errno value); 0 when it is open.
    int openError() const { return m_error; }

    // The platform's handle: a path-only directory descriptor on POSIX systems, a HANDLE on
    // Windows. Valid while this object lives; callers do not close it.
    qintptr native() const { return m_native; }

    // The folder's path for messages: where the folder is now when the system can say,
    // else where it was when opened, decoded as file names are shown (FileNameText).
    // Empty when no path can be had at all.
    QString displayPath() const;

    // The path the folder had when it was opened, as bytes (UTF-8 on Windows). For the
    // platform layers that have no handle-relative calls; empty when it had none.
    QByteArray openedPath() const { return m_openedPath; }

private:
    static constexpr qintptr kNone = -1;
    static void closeNative(qintptr native);
    // kNone, with the reason in `error`, when it fails.
    static qintptr duplicateNative(qintptr native, int& error);

    qintptr m_native = kNone;
    int m_error = ENOENT; // a default handle names no folder
    QByteArray m_openedPath;
};

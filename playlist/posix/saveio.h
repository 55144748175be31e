// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "savetypes.h"

#include <QByteArray>
#include <QString>

// The system calls a save is made of, with what the system reports kept: file descriptors
// that close themselves, whole writes and reads, and syncs that say when they failed.
namespace SaveIo {

// A write that took no byte although bytes were left: never normal for a file.
inline constexpr int kNoProgress = SaveTypes::kNoProgress;

class Fd
{
public:
    explicit Fd(int fd = -1) : m_fd(fd) { }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(-1); }
    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    void reset(int fd);
    // Closes now; returns 0 or the errno of the close, which may carry a late write error.
    int close();

private:
    int m_fd;
};

using Fault = SaveTypes::WriteFault;

// Writes all of `bytes` from the start of the file, failing as `fault` says when given,
// and with ECANCELED once its cancel flag is set. Returns 0, an errno, or kNoProgress.
int writeAll(int fd, const QByteArray& bytes, const Fault* fault = nullptr);
// Reads up to `size` bytes from the start of the file into `out`. Returns 0 or an errno.
int readAll(int fd, qint64 size, QByteArray& out);
// fsync, retried when interrupted. Returns 0 or an errno.
int syncFd(int fd);

// Makes the names in the folder `dir` last: fsync of the folder, or where it is held by
// path only (a folder the user may search but not read), fsync of a readable descriptor of
// it, or else syncfs of the file system through `fileFd`, a file open in that folder.
// Returns 0, also where the file system cannot sync folders at all (EINVAL, ENOTSUP), or
// the errno of a sync that failed: the names may then be lost in a power cut. Every call
// follows a write, so EROFS is a failure: the file system turned read-only under the save
// (ext4's errors=remount-ro), and what was written may be gone once its journal is replayed.
int syncFolder(int dir, int fileFd);

} // namespace SaveIo

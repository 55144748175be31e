// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "saveio.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace SaveIo {

void Fd::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

int Fd::close()
{
    const int fd = m_fd;
    m_fd = -1;
    return ::close(fd) == 0 ? 0 : errno;
}

// Each megabyte written is sent on to the disk at once, so that the disk writes while the
// next one is copied and the sync that follows waits for the last one only.
int writeAll(int fd, const QByteArray& bytes, const Fault* fault)
{
    constexpr qint64 kStep = qint64(1) << 20;
    const qint64 size = bytes.size();
    qint64 done = 0;
    qint64 sent = 0;
    const auto cancelled
        = [fault] { return fault && fault->cancel && fault->cancel->load(std::memory_order_relaxed); };
    while (done < size) {
        if (cancelled())
            return ECANCELED;
        qint64 ask = std::min(size - done, kStep);
        if (fault) {
            if (fault->maxChunk > 0)
                ask = std::min(ask, fault->maxChunk);
            if (fault->atByte >= 0 && done + ask > fault->atByte) {
                ask = fault->atByte - done;
                if (ask <= 0)
                    return fault->error != 0 ? fault->error : kNoProgress;
            }
        }
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, size_t(ask), off_t(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return kNoProgress;
        done += n;
        if (done - sent >= kStep) {
            // Only a start: where the file system cannot, the closing sync does it all.
            ::sync_file_range(fd, off_t(sent), off_t(done - sent), SYNC_FILE_RANGE_WRITE);
            sent = done;
        }
    }
    // A cancel that came during the last write still counts: nothing is in place yet.
    return cancelled() ? ECANCELED : 0;
}

int readAll(int fd, qint64 size, QByteArray& out)
{
    out.resize(size);
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, out.data() + done, size_t(size - done), off_t(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            break; // the file shrank meanwhile: keep what is there
        done += n;
    }
    out.truncate(done);
    return 0;
}

int syncFd(int fd)
{
    while (::fsync(fd) != 0) {
        if (errno != EINTR)
            return errno;
    }
    return 0;
}

int syncFolder(int dir, int fileFd)
{
    int error = syncFd(dir);
    if (error == EBADF) {
        // A path-only descriptor cannot be synced. The folder may be readable after all
        // (reached through a link); else the whole file system is synced through the file.
        Fd readable(::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (readable.isOpen())
            error = syncFd(readable.get());
        else
            error = fileFd >= 0 && ::syncfs(fileFd) != 0 ? errno : (fileFd >= 0 ? 0 : EBADF);
    }
    if (error == EINVAL || error == ENOTSUP)
        return 0; // this file system does not sync folders: nothing more can be done
    return error;
}

} // namespace SaveIo

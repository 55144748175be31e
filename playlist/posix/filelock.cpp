// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "filelock.h"

#include <algorithm>
#include <cerrno>
#include <ctime>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/vfs.h>

namespace {

// Network file systems whose flock() is a byte-range lock of the whole file: taken beside
// the OFD lock it would conflict with it.
bool flockIsRangeLock(int fd)
{
    struct statfs fs { };
    if (::fstatfs(fd, &fs) != 0)
        return false;
    constexpr long kNfs = 0x6969;
    constexpr long kCifs = 0xFF534D42;
    constexpr long kSmb2 = 0xFE534D42;
    const long type = long(fs.f_type);
    return type == kNfs || type == kCifs || type == kSmb2;
}

bool cannotLockHere(int error) { return error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS; }

} // namespace

FileLock::FileLock(int waitMs)
    : m_waitMs(waitMs), m_deadline(Clock::now() + std::chrono::milliseconds(waitMs))
{ }

// Waits a little, longer each time; false once the deadline has passed.
bool FileLock::pause()
{
    const Clock::time_point now = Clock::now();
    if (now >= m_deadline)
        return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - now);
    const long pause = std::min<long>(m_pauseMs, long(left.count()) + 1);
    const struct timespec ts {
        pause / 1000, (pause % 1000) * 1000000L
    };
    ::nanosleep(&ts, nullptr);
    m_pauseMs = std::min<long>(m_pauseMs * 2, 100);
    return true;
}

int FileLock::open(int dir, const QByteArray& name, SaveIo::Fd& file)
{
    for (;;) {
        file.reset(::openat(dir, name.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (file.isOpen())
            return 0;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return errno;
        if (!pause()) {
            m_holder = Holder::User;
            return EAGAIN;
        }
    }
}

int FileLock::lock(int fd)
{
    bool ofdHeld = false;
    bool ofdWorks = true;
    bool flockHeld = flockIsRangeLock(fd);
    for (;;) {
        if (!ofdHeld && ofdWorks) {
            struct flock lock { };
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) {
                ofdHeld = true;
            } else if (errno == EINVAL || cannotLockHere(errno)) {
                ofdWorks = false; // a kernel without OFD locks, or a file system without locks
            } else if (errno == EINTR) {
                continue;
            } else if (errno != EAGAIN && errno != EACCES) {
                return errno;
            }
        }
        if ((ofdHeld || !ofdWorks) && !flockHeld) {
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0 || cannotLockHere(errno)) {
                flockHeld = true;
            } else if (errno == EINTR) {
                continue;
            } else if (errno != EWOULDBLOCK) {
                return errno;
            }
        }
        if ((ofdHeld || !ofdWorks) && flockHeld)
            return 0;
        if (pause())
            continue;

        // Whom the wait was for: a reader holds a shared lock, which a shared one may join.
        if (ofdWorks && !ofdHeld) {
            struct flock probe { };
            probe.l_type = F_WRLCK;
            probe.l_whence = SEEK_SET;
            m_holder = ::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type == F_RDLCK ? Holder::Reader
                                                                                        : Holder::Writer;
        } else if (::flock(fd, LOCK_SH | LOCK_NB) == 0) {
            ::flock(fd, LOCK_UN);
            m_holder = Holder::Reader;
        } else {
            m_holder = Holder::Writer;
        }
        return EAGAIN;
    }
}

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "newfile.h"

#include "folderstream.h"
#include "savecommon.h"

#include <cerrno>
#include <cstring>
#include <ctime>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using SaveIo::Fd;

namespace {

constexpr char kTempPrefix[] = ".cantorel-save-";
constexpr size_t kTempPrefixLength = sizeof(kTempPrefix) - 1;
constexpr size_t kTempDigits = 16;
// A file of the temporary pattern last written longer ago belongs to a save that was killed.
constexpr std::time_t kLeftoverAge = 60;

QByteArray temporaryName()
{
    static_assert(kTempDigits == 16, "the digits of SaveCommon::randomHex16()");
    return QByteArray(kTempPrefix) + SaveCommon::randomHex16();
}

} // namespace

NewFile::NewFile(int dir) : m_dir(dir)
{
    m_fd.reset(::openat(dir, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (m_fd.isOpen())
        return;
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_name = temporaryName();
        m_fd.reset(::openat(dir, m_name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (m_fd.isOpen() || errno != EEXIST)
            break;
    }
    m_error = m_fd.isOpen() ? 0 : errno;
    if (!m_fd.isOpen())
        m_name.clear();
}

NewFile::~NewFile() { drop(); }

int NewFile::fill(const QByteArray& bytes, const SaveIo::Fault* fault)
{
    m_bytes = bytes;
    m_fault = fault;
    if (const int error = SaveIo::writeAll(m_fd.get(), bytes, fault))
        return error;
    return SaveIo::syncFd(m_fd.get());
}

int NewFile::setMode(mode_t mode) { return ::fchmod(m_fd.get(), mode) == 0 ? 0 : errno; }

int NewFile::placeAsNew(const QByteArray& name, WithoutLinks withoutLinks)
{
    if (m_name.isEmpty()) {
        const int error = linkUnnamed(name);
        if (error == 0)
            m_placed = true;
        return error;
    }
    if (::renameat2(m_dir, m_name.constData(), m_dir, name.constData(), RENAME_NOREPLACE) == 0) {
        m_placed = true;
        return 0;
    }
    // Some file systems (FUSE, network ones) refuse the flag: a second link is as safe.
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return errno;
    if (::linkat(m_dir, m_name.constData(), m_dir, name.constData(), 0) == 0) {
        m_placed = true;
        ::unlinkat(m_dir, m_name.constData(), 0);
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK && errno != ENOSYS)
        return errno;
    // No hard links either (FAT): only O_EXCL makes a name that was free. Checking the
    // name and then renaming would replace what took it in between.
    if (withoutLinks == WithoutLinks::Refuse)
        return ENOTSUP;
    return createExclusive(name);
}

int NewFile::createExclusive(const QByteArray& name)
{
    struct stat st { };
    if (::fstat(m_fd.get(), &st) != 0)
        return errno;
    Fd file(::openat(m_dir, name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file.isOpen())
        return errno;
    int error = SaveIo::writeAll(file.get(), m_bytes, m_fault);
    if (error == 0)
        error = SaveIo::syncFd(file.get());
    // The mode the temporary was given; a file system without modes keeps its own.
    if (error == 0 && ::fchmod(file.get(), st.st_mode & 07777) != 0
        && !SaveCommon::meansNoPermissionBits(errno))
        error = errno;
    if (error != 0) {
        ::unlinkat(m_dir, name.constData(), 0); // ours: made by O_EXCL an instant ago
        return error;
    }
    drop();
    m_fd.reset(-1);
    m_fd.reset(::dup(file.get()));
    m_placed = true;
    return 0;
}

int NewFile::placeOver(const QByteArray& name)
{
    if (m_name.isEmpty()) {
        if (const int error = nameIt())
            return error;
    }
    if (::renameat(m_dir, m_name.constData(), m_dir, name.constData()) != 0)
        return errno;
    m_placed = true;
    return 0;
}

NewFile::Swap NewFile::placeInstead(const QByteArray& name, const struct stat& expected, int& error)
{
    if (m_name.isEmpty() && (error = nameIt()) != 0)
        return Swap::Failed;
    if (::renameat2(m_dir, m_name.constData(), m_dir, name.constData(), RENAME_EXCHANGE) != 0) {
        error = errno;
        return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP ? Swap::Unsupported : Swap::Failed;
    }
    struct stat out { };
    const bool same = ::fstatat(m_dir, m_name.constData(), &out, AT_SYMLINK_NOFOLLOW) == 0
        && out.st_dev == expected.st_dev && out.st_ino == expected.st_ino && out.st_size == expected.st_size
        && out.st_mtim.tv_sec == expected.st_mtim.tv_sec && out.st_mtim.tv_nsec == expected.st_mtim.tv_nsec;
    if (!same) {
        // Not what was examined: it goes back under its name, ours is dropped.
        if (::renameat2(m_dir, m_name.constData(), m_dir, name.constData(), RENAME_EXCHANGE) != 0) {
            error = errno;
            m_placed = true; // the temporary name holds the other file now: never remove it
            return Swap::Failed;
        }
        return Swap::NotExpected;
    }
    // The old file, replaced as a rename would have: one of the user's own temporaries to
    // the sweep, should its removal fail.
    m_placed = true;
    ::unlinkat(m_dir, m_name.constData(), 0);
    m_name.clear();
    return Swap::Done;
}

int NewFile::close()
{
    if (m_name.isEmpty() && !m_placed) {
        if (const int error = nameIt())
            return error;
    }
    return m_fd.close();
}

// An unnamed file gets its temporary name just before it takes its place.
int NewFile::nameIt()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = temporaryName();
        const int error = linkUnnamed(name);
        if (error == 0) {
            m_name = name;
            return 0;
        }
        if (error != EEXIST)
            return error;
    }
    return EEXIST;
}

int NewFile::linkUnnamed(const QByteArray& name)
{
    // Through /proc any user may link the file it made; AT_EMPTY_PATH needs privilege.
    const QByteArray proc = SaveCommon::procPath(m_fd.get());
    if (::linkat(AT_FDCWD, proc.constData(), m_dir, name.constData(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    if (errno != ENOENT || ::access("/proc/self/fd", F_OK) == 0)
        return errno;
    return ::linkat(m_fd.get(), "", m_dir, name.constData(), AT_EMPTY_PATH) == 0 ? 0 : errno;
}

void NewFile::drop()
{
    if (!m_placed && !m_name.isEmpty())
        ::unlinkat(m_dir, m_name.constData(), 0);
    m_name.clear();
}

bool NewFile::isTemporaryName(const char* name)
{
    if (std::strlen(name) != kTempPrefixLength + kTempDigits
        || std::strncmp(name, kTempPrefix, kTempPrefixLength) != 0)
        return false;
    for (const char* c = name + kTempPrefixLength; *c; ++c) {
        if (!((*c >= '0' && *c <= '9') || (*c >= 'a' && *c <= 'f')))
            return false;
    }
    return true;
}

void NewFile::removeLeftovers(int dirFd)
{
    FolderStream dir(dirFd);
    const int fd = dir.fd();
    const std::time_t now = std::time(nullptr);
    while (const struct dirent* entry = dir.next()) {
        if (!isTemporaryName(entry->d_name))
            continue;
        struct stat st { };
        if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)
            && st.st_uid == ::geteuid() && now - st.st_mtime > kLeftoverAge)
            ::unlinkat(fd, entry->d_name, 0);
    }
}

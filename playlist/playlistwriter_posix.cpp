// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// The playlist writer on POSIX systems. It talks to the system directly: Qt's file classes
// lose the error of the final flush and cannot rewrite a file in place with a way back.
#include "playlistwriter.h"

#include "filenametext.h"
#include "folderhandle.h"
#include "mediacontent.h"
#include "playlistformat.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

using Result = PlaylistWriter::Result;
using WriteFault = PlaylistWriter::WriteFault;

// A write that took no byte although bytes were left: never normal for a file.
constexpr int kNoProgress = -1;

// Rewriting in place keeps the old content in memory; beyond this a copy is not taken.
constexpr qint64 kMaxKeptContent = qint64(64) << 20;

// The names this writer gives files before they take their place. A file of this pattern
// that was last written more than kLeftoverAge ago belongs to a save that was killed.
constexpr char kTempPrefix[] = ".cantorel-save-";
constexpr std::time_t kLeftoverAge = 60;

// The ACL of a file as the system stores it, among its extended attributes.
constexpr char kAclAttribute[] = "system.posix_acl_access";

QString systemReason(int error)
{
    if (error == kNoProgress)
        return u"the system took no more bytes"_s;
    return QString::fromLocal8Bit(std::strerror(error));
}

Result refused(const QString& reason)
{
    return {false, reason};
}

Result failed(const QString& step, int error)
{
    return {false, u"%1: %2."_s.arg(step, systemReason(error))};
}

class Fd
{
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    void reset(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Closes now; returns 0 or the errno of the close, which may carry a late write error.
    int close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

// Writes all of `bytes` from the start of the file. Returns 0, an errno, or kNoProgress.
// Each megabyte written is sent on to the disk at once, so that the disk writes while the
// next one is copied and the sync that follows waits for the last one only.
int writeAll(int fd, const QByteArray& bytes, const WriteFault* fault)
{
    constexpr qint64 kStep = qint64(1) << 20;
    const qint64 size = bytes.size();
    qint64 done = 0;
    qint64 sent = 0;
    while (done < size) {
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
    return 0;
}

// Reads up to `size` bytes from the start of the file into `out`. Returns 0 or an errno.
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

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

QByteArray temporaryName()
{
    return QByteArray(kTempPrefix) + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
}

// The new content of a file (the playlist, or a backup) before it takes its name. It is
// made unnamed where the file system allows (O_TMPFILE), so that a killed save leaves
// nothing; elsewhere under a temporary name. Dropped (and its temporary name removed)
// unless it was put in place.
class NewFile
{
public:
    NewFile(int dir, mode_t mode) : m_dir(dir)
    {
        m_fd.reset(::openat(dir, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode));
        if (m_fd.isOpen())
            return;
        for (int attempt = 0; attempt < 100; ++attempt) {
            m_name = temporaryName();
            m_fd.reset(::openat(dir, m_name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode));
            if (m_fd.isOpen() || errno != EEXIST)
                break;
        }
        m_error = m_fd.isOpen() ? 0 : errno;
        if (!m_fd.isOpen())
            m_name.clear();
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    ~NewFile() { drop(); }

    // 0 when the file was made, else why not.
    int error() const { return m_error; }
    int fd() const { return m_fd.get(); }

    // Writes the content and syncs it. Returns 0, an errno or kNoProgress.
    int fill(const QByteArray& bytes, const WriteFault* fault)
    {
        if (const int error = writeAll(m_fd.get(), bytes, fault))
            return error;
        return syncFd(m_fd.get());
    }

    // Closes the file once placed; returns 0 or the errno of the close (a late write error).
    int closePlaced() { return m_fd.close(); }

    // Closes the file, reporting a late write error; the content stays reachable by name.
    int close()
    {
        if (m_name.isEmpty()) {
            if (const int error = nameIt())
                return error;
        }
        return m_fd.close();
    }

    // Gives the file `name` unless something has that name already (EEXIST), atomically
    // where the file system can. Returns 0 or an errno.
    int placeAsNew(const QByteArray& name)
    {
        if (m_name.isEmpty()) {
            if (const int error = linkUnnamed(name))
                return error;
            m_placed = true;
            return 0;
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
        if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK)
            return errno;
        // No hard links either (FAT): check, then rename, is all that is left.
        struct stat st {};
        if (::fstatat(m_dir, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
            return EEXIST;
        if (errno != ENOENT)
            return errno;
        return placeOver(name);
    }

    // Gives the file `name`, replacing what has it. Returns 0 or an errno.
    int placeOver(const QByteArray& name)
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

private:
    // An unnamed file gets its temporary name just before it takes its place.
    int nameIt()
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

    int linkUnnamed(const QByteArray& name)
    {
        // Through /proc any user may link the file it made; AT_EMPTY_PATH needs privilege.
        const QByteArray proc = "/proc/self/fd/"_ba + QByteArray::number(m_fd.get());
        if (::linkat(AT_FDCWD, proc.constData(), m_dir, name.constData(), AT_SYMLINK_FOLLOW) == 0)
            return 0;
        if (errno != ENOENT || ::access("/proc/self/fd", F_OK) == 0)
            return errno;
        return ::linkat(m_fd.get(), "", m_dir, name.constData(), AT_EMPTY_PATH) == 0 ? 0 : errno;
    }

    void drop()
    {
        if (!m_placed && !m_name.isEmpty())
            ::unlinkat(m_dir, m_name.constData(), 0);
        m_name.clear();
    }

    int m_dir;
    Fd m_fd;
    QByteArray m_name; // the temporary name, empty while unnamed
    int m_error = 0;
    bool m_placed = false;
};

// Removes what killed saves left in the folder: files of this writer's temporary-name
// pattern, made by this user, untouched for over a minute (a running save writes its
// file, then names it just before it takes its place).
void removeLeftovers(int dirFd)
{
    const int fd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    const std::time_t now = std::time(nullptr);
    const size_t prefixLength = sizeof(kTempPrefix) - 1;
    while (const struct dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, kTempPrefix, prefixLength) != 0)
            continue;
        struct stat st {};
        if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)
            && st.st_uid == ::geteuid() && now - st.st_mtime > kLeftoverAge)
            ::unlinkat(fd, entry->d_name, 0);
    }
    ::closedir(dir);
}

// Takes the write lock of the open file description `fd`, waiting up to `waitMs` with a
// growing pause between tries. Returns 0, EAGAIN when another holder kept it all along, or
// another errno. A file system that cannot lock at all lets the save go on unlocked.
int lockFile(int fd, int waitMs)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    long pauseMs = 1;
    bool useFlock = false;
    for (;;) {
        int result;
        if (!useFlock) {
            struct flock lock {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            result = ::fcntl(fd, F_OFD_SETLK, &lock);
            if (result != 0 && errno == EINVAL) { // a kernel without OFD locks
                useFlock = true;
                continue;
            }
        } else {
            result = ::flock(fd, LOCK_EX | LOCK_NB);
            if (result != 0 && errno == EWOULDBLOCK)
                errno = EAGAIN;
        }
        if (result == 0)
            return 0;
        if (errno == EINTR)
            continue;
        if (errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS)
            return 0;
        if (errno != EAGAIN && errno != EACCES)
            return errno;
        const Clock::time_point now = Clock::now();
        if (now >= deadline)
            return EAGAIN;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        const long pause = std::min<long>(pauseMs, long(left.count()) + 1);
        const struct timespec ts {pause / 1000, (pause % 1000) * 1000000L};
        ::nanosleep(&ts, nullptr);
        pauseMs = std::min<long>(pauseMs * 2, 100);
    }
}

// The names of the file's extended attributes; empty where it has none or the file
// system keeps none. Returns false when they cannot be listed.
bool listAttributes(int fd, QList<QByteArray>& names)
{
    QByteArray list;
    for (;;) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP || errno == ENOSYS;
        list.resize(size);
        const ssize_t n = ::flistxattr(fd, list.data(), size_t(list.size()));
        if (n >= 0) {
            list.truncate(n);
            break;
        }
        if (errno != ERANGE)
            return false;
    }
    for (const QByteArray& name : list.split('\0')) {
        if (!name.isEmpty())
            names.append(name);
    }
    return true;
}

// One attribute's value; false when the file has none of that name.
bool attributeValue(int fd, const QByteArray& name, QByteArray& value)
{
    for (;;) {
        const ssize_t size = ::fgetxattr(fd, name.constData(), nullptr, 0);
        if (size < 0)
            return false;
        value.resize(size);
        const ssize_t n = ::fgetxattr(fd, name.constData(), value.data(), size_t(value.size()));
        if (n >= 0) {
            value.truncate(n);
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
}

// Gives `to` the extended attributes of `from`, its ACL included (which also sets the
// group bits to what they were), and no ACL where `from` has none. Returns false when one
// cannot be carried over.
bool carryAttributes(int from, int to)
{
    QList<QByteArray> names;
    if (!listAttributes(from, names))
        return false;
    for (const QByteArray& name : std::as_const(names)) {
        QByteArray value;
        if (!attributeValue(from, name, value))
            continue; // removed meanwhile
        QByteArray present;
        if (attributeValue(to, name, present) && present == value)
            continue; // given by the system already (a security label, say)
        if (::fsetxattr(to, name.constData(), value.constData(), size_t(value.size()), 0) != 0)
            return false;
    }
    QByteArray inherited;
    if (!names.contains(QByteArray(kAclAttribute)) && attributeValue(to, kAclAttribute, inherited))
        return ::fremovexattr(to, kAclAttribute) == 0; // a default ACL of the folder
    return true;
}

// Where a save writes: a name in a folder. The folder is the listed one, or the folder a
// link leads to, held open while the save runs.
struct Place {
    int dir = -1;        // the folder's descriptor: `folder` or the listed folder's
    Fd folder;           // owned when the place was reached through a link
    QByteArray name;     // one path component
};

// In a folder that is sticky and writable by all (/tmp), a link is followed only when it
// belongs to the user following it or to the folder's owner, so that no user can make
// another write through a link of theirs. Returns the refusal, or empty.
QString sharedFolderLinkProblem(int dirFd, const struct stat& link)
{
    struct stat folder {};
    if (::fstat(dirFd, &folder) != 0)
        return {};
    const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    if (!shared || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid)
        return {};
    return u"The name is a link made by another user in a folder that everyone may write "
           "to; such links are not followed, so that no one can make you overwrite a file "
           "of yours."_s;
}

// Follows the link `name` in `dirFd` to what it finally names, one component at a time
// relative to the folders on the way, as the system would. Returns 0 and fills `place`,
// ENOENT with `dangling` set to what the last link points to when that does not exist,
// EACCES with `problem` set for a link that must not be followed, or another errno.
int followLink(int dirFd, const QByteArray& name, Place& place, QByteArray& dangling,
               QString& problem)
{
    place.dir = dirFd;
    place.name = name;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::fstatat(place.dir, place.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return errno;
        if (!S_ISLNK(st.st_mode))
            return 0;
        problem = sharedFolderLinkProblem(place.dir, st);
        if (!problem.isEmpty())
            return EACCES;

        QByteArray text(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlinkat(place.dir, place.name.constData(), text.data(), size_t(text.size()));
        if (n < 0)
            return errno;
        if (n >= text.size())
            return ENAMETOOLONG;
        text.truncate(n);

        const qsizetype slash = text.lastIndexOf('/');
        QByteArray last = slash < 0 ? text : text.mid(slash + 1);
        if (slash >= 0) {
            const QByteArray parent = slash == 0 ? "/"_ba : text.left(slash);
            const int fd = ::openat(place.dir, parent.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd < 0) {
                if (errno == ENOENT)
                    dangling = text;
                return errno;
            }
            place.folder.reset(fd);
            place.dir = fd;
        }
        if (last.isEmpty() || last == "." || last == "..")
            last = "."; // the link names a folder; examining "." says so
        place.name = last;

        if (::fstatat(place.dir, place.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT)
                dangling = text;
            return errno;
        }
    }
    return ELOOP;
}

QString notAFileReason(mode_t mode)
{
    if (S_ISDIR(mode))
        return u"A folder of that name is in the way."_s;
    const QString kind = S_ISFIFO(mode) ? u"a named pipe"_s
        : S_ISSOCK(mode)                ? u"a socket"_s
        : (S_ISCHR(mode) || S_ISBLK(mode)) ? u"a device"_s
                                        : u"something other than a file"_s;
    return u"The name belongs to %1, not to a file."_s.arg(kind);
}

Result anotherWriter(int waitMs)
{
    return refused(u"Another program is writing the file: it stayed locked for %1 seconds. "
                   "Save again once it is done."_s.arg(double(waitMs) / 1000.0, 0, 'g', 2));
}

Result replacedMeanwhile()
{
    return refused(u"The file was replaced by another one while the playlist was being saved; "
                   "that one was left alone."_s);
}

// An existing file that a save writes over: open for writing and locked.
struct Target {
    Fd fd;
    struct stat st {};
};

// The steps of one save, with the writer's settings.
class Save
{
public:
    Save(const WriteFault& fault, int lockWaitMs, QSet<QByteArray>& sweptFolders)
        : m_fault(fault), m_lockWaitMs(lockWaitMs), m_sweptFolders(sweptFolders)
    {
    }

    // Set when the name changed hands between its examination and its lock: start again.
    bool again = false;

    Result run(int listed, const QString& name, const QByteArray& bytes);

private:
    Result saveNew(const Place& place, const QByteArray& bytes);
    Result replaceByRename(const Place& place, Target& target, const QByteArray& bytes);
    Result rewriteInPlace(const Place& place, Target& target, const QByteArray& bytes);
    QByteArray makeBackup(const Place& place, const QByteArray& old);
    void sweepOnce(int dirFd);

    const WriteFault& m_fault;
    int m_lockWaitMs;
    QSet<QByteArray>& m_sweptFolders;
};

// Leftovers are those of saves killed before: one look per folder is enough, so a save in
// a folder of a million files reads it only the first time.
void Save::sweepOnce(int dirFd)
{
    struct stat st {};
    if (::fstat(dirFd, &st) != 0)
        return;
    const QByteArray key = QByteArray::number(quint64(st.st_dev)) + ':' + QByteArray::number(quint64(st.st_ino));
    if (m_sweptFolders.contains(key))
        return;
    m_sweptFolders.insert(key);
    removeLeftovers(dirFd);
}

// The new file goes in under a name that was free: never over what took it meanwhile.
Result Save::saveNew(const Place& place, const QByteArray& bytes)
{
    NewFile file(place.dir, 0666);
    if (file.error())
        return failed(u"A new file could not be made in the folder"_s, file.error());
    if (const int error = file.fill(bytes, &m_fault))
        return failed(u"Writing the playlist failed"_s, error);
    if (const int error = file.placeAsNew(place.name)) {
        if (error == EEXIST)
            return refused(u"Something else was saved under that name while the playlist was "
                           "being saved; it was left alone."_s);
        return failed(u"The new playlist could not be put in place"_s, error);
    }
    if (const int error = file.closePlaced()) {
        ::unlinkat(place.dir, place.name.constData(), 0); // ours, made an instant ago
        return failed(u"Closing the new playlist failed"_s, error);
    }
    syncFd(place.dir); // the name lasts; a folder that cannot be synced does not undo it
    return {true, {}};
}

// The new content goes to a new file beside the target, is synced and renamed over it,
// carrying the target's mode, ACL and attributes. Whatever cannot be carried, or an owner
// the new file would not have, sends the save to rewriteInPlace.
Result Save::replaceByRename(const Place& place, Target& target, const QByteArray& bytes)
{
    NewFile file(place.dir, 0666);
    if (file.error()) {
        if (file.error() == EACCES || file.error() == EPERM) // no new file here; this one is writable
            return rewriteInPlace(place, target, bytes);
        return failed(u"A new file could not be made in the folder"_s, file.error());
    }
    struct stat made {};
    if (::fstat(file.fd(), &made) != 0)
        return failed(u"The new file could not be examined"_s, errno);
    if (made.st_uid != target.st.st_uid || made.st_gid != target.st.st_gid)
        return rewriteInPlace(place, target, bytes);

    const mode_t mode = target.st.st_mode & 07777;
    if (::fchmod(file.fd(), mode) != 0) {
        // A file system without permission bits (FAT through FUSE) refuses any change:
        // the mode is what it gives. When that is not the file's, the file is kept.
        const int error = errno;
        if (error != ENOSYS && error != EOPNOTSUPP && error != EPERM)
            return failed(u"The file's permissions could not be kept"_s, error);
        if (::fstat(file.fd(), &made) != 0 || (made.st_mode & 07777) != mode)
            return rewriteInPlace(place, target, bytes);
    }
    if (!carryAttributes(target.fd.get(), file.fd()))
        return rewriteInPlace(place, target, bytes);

    // The old content is about to be replaced: its cached pages go first, so the new
    // content takes their memory instead of fresh pages beside them (on some machines fresh
    // pages cost more than the rest of the write). Its bytes stay on the disk meanwhile.
    ::posix_fadvise(target.fd.get(), 0, 0, POSIX_FADV_DONTNEED);
    if (const int error = file.fill(bytes, &m_fault))
        return failed(u"Writing the playlist failed"_s, error);
    if (const int error = file.close())
        return failed(u"Closing the new playlist failed"_s, error);

    // The name must still hold the file examined and locked: never replace what another
    // program put there meanwhile.
    struct stat now {};
    if (::fstatat(place.dir, place.name.constData(), &now, AT_SYMLINK_NOFOLLOW) != 0
        || !sameFile(now, target.st))
        return replacedMeanwhile();
    if (const int error = file.placeOver(place.name))
        return failed(u"The new playlist could not be put in place"_s, error);

    // Make the rename itself last. The playlist is in place by now, so a folder that
    // cannot be synced (some file systems refuse) does not undo the save.
    syncFd(place.dir);
    return {true, {}};
}

// Writes the old content to a synced backup beside the file, named only once complete.
// Returns its name, or empty when none was made: a backup of that name exists already
// (left by a save that died, kept for the user), or the folder takes no new file.
QByteArray Save::makeBackup(const Place& place, const QByteArray& old)
{
    const QByteArray name = QFile::encodeName(
        PlaylistWriter::backupName(QFile::decodeName(place.name)));
    struct stat st {};
    if (::fstatat(place.dir, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT)
        return {};
    NewFile backup(place.dir, 0600);
    if (backup.error() || backup.fill(old, nullptr) != 0 || backup.placeAsNew(name) != 0)
        return {};
    // Its content is on the disk. A folder that cannot be synced (one held by path only, as a
    // folder that may be searched but not read is, or a file system that refuses) leaves its
    // name to the system's next flush: the backup still outlives a killed program.
    syncFd(place.dir);
    return name;
}

// Rewrites the file in place, keeping it (its links, owner, group, mode and attributes).
// The old content goes to a backup beside it first, and is put back when any step fails.
Result Save::rewriteInPlace(const Place& place, Target& target, const QByteArray& bytes)
{
    if (target.st.st_size > kMaxKeptContent)
        return refused(u"The file is too large to keep a copy of while it is rewritten."_s);
    QByteArray old;
    if (const int error = readAll(target.fd.get(), target.st.st_size, old))
        return failed(u"The old content could not be read to keep a copy"_s, error);
    const QByteArray backup = makeBackup(place, old);

    Fd& file = target.fd;
    const auto restore = [&](int fd) {
        if (int error = writeAll(fd, old, nullptr))
            return error;
        if (::ftruncate(fd, off_t(old.size())) != 0)
            return errno;
        return syncFd(fd);
    };
    const auto undo = [&](const QString& step, int error) {
        Result result = failed(step, error);
        int restoreError = 0;
        if (file.isOpen()) {
            restoreError = restore(file.get());
        } else {
            Fd again(::openat(place.dir, place.name.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
            restoreError = again.isOpen() ? restore(again.get()) : errno;
        }
        if (restoreError == 0) {
            if (!backup.isEmpty())
                ::unlinkat(place.dir, backup.constData(), 0);
        } else if (!backup.isEmpty()) {
            result.reason += u" Its old content could not be put back (%1); it is kept in %2 "
                             "beside it."_s.arg(systemReason(restoreError),
                                               FileNameText::decode(backup).text);
        } else {
            result.reason += u" Its old content could not be put back either (%1): the file "
                             "may be damaged."_s.arg(systemReason(restoreError));
        }
        return result;
    };

    if (const int error = writeAll(file.get(), bytes, &m_fault))
        return undo(u"Writing the playlist failed"_s, error);
    if (::ftruncate(file.get(), off_t(bytes.size())) != 0)
        return undo(u"Writing the playlist failed"_s, errno);
    if (const int error = syncFd(file.get()))
        return undo(u"Writing the playlist to the disk failed"_s, error);
    if (const int error = file.close())
        return undo(u"Closing the playlist failed"_s, error);
    if (!backup.isEmpty())
        ::unlinkat(place.dir, backup.constData(), 0);
    return {true, {}};
}

Result Save::run(int listed, const QString& name, const QByteArray& bytes)
{
    // The name is one component, so this is exactly the file the folder will hold.
    const QByteArray typed = QFile::encodeName(name);
    Place place;
    place.dir = listed;
    place.name = typed;
    struct stat st {};
    if (::fstatat(listed, typed.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT)
            return failed(u"The name cannot be used"_s, errno);
        sweepOnce(listed);
        return saveNew(place, bytes);
    }

    // A link is followed, as editors do: the file it points to is the one saved.
    const bool isLink = S_ISLNK(st.st_mode);
    if (isLink) {
        QByteArray dangling;
        QString problem;
        if (const int error = followLink(listed, typed, place, dangling, problem)) {
            if (!problem.isEmpty())
                return refused(problem);
            if (error == ENOENT && !dangling.isEmpty())
                return refused(u"The name is a link to %1, which does not exist."_s
                                   .arg(FileNameText::decode(dangling).text));
            return failed(u"The link cannot be followed"_s, error);
        }
        if (::fstatat(place.dir, place.name.constData(), &st, 0) != 0)
            return failed(u"The link cannot be followed"_s, errno);
    }

    if (!S_ISREG(st.st_mode))
        return refused(notAFileReason(st.st_mode));
    // The file list shows a link under its own name, so either name marks a media file.
    if (isLink && PlaylistFormat::isMediaFileName(FileNameText::decode(place.name).text))
        return refused(u"The name is a link to the media file %1, which a playlist never "
                       "overwrites."_s.arg(FileNameText::decode(place.name).text));
    if (PlaylistFormat::isMediaFileName(name))
        return refused(u"The name belongs to a media file, which a playlist never overwrites."_s);
    // Root may write any file, and a rename would replace it anyway: the mode is what the
    // user set to say "do not change".
    if (!(st.st_mode & S_IWUSR))
        return refused(u"The file is read-only."_s);
    if (::faccessat(place.dir, place.name.constData(), W_OK, 0) != 0)
        return failed(u"The file cannot be changed"_s, errno);
    sweepOnce(place.dir);

    Target target;
    target.fd.reset(::openat(place.dir, place.name.constData(),
                             O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!target.fd.isOpen())
        return failed(u"The file could not be opened for writing"_s, errno);
    if (const int error = lockFile(target.fd.get(), m_lockWaitMs)) {
        if (error == EAGAIN)
            return anotherWriter(m_lockWaitMs);
        return failed(u"The file could not be locked"_s, error);
    }
    // Once locked, the name must still hold this file; another save may have replaced it.
    struct stat named {};
    if (::fstat(target.fd.get(), &target.st) != 0)
        return failed(u"The file could not be examined"_s, errno);
    if (::fstatat(place.dir, place.name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0
        || !sameFile(named, target.st) || !sameFile(named, st)) {
        again = true;
        return replacedMeanwhile();
    }
    if (!S_ISREG(target.st.st_mode))
        return refused(notAFileReason(target.st.st_mode));

    // Whatever its name, a file whose content is media is never written over.
    QByteArray head;
    if (const int error = readAll(target.fd.get(), MediaContent::kHeadSize, head))
        return failed(u"The file could not be read to check what it holds"_s, error);
    const MediaContent::Verdict verdict = MediaContent::classify(head);
    if (verdict.kind != MediaContent::Kind::Text)
        return refused(verdict.refusal());

    // A rename gives the name a new file: other hard links would keep the old text.
    if (target.st.st_nlink > 1)
        return rewriteInPlace(place, target, bytes);
    return replaceByRename(place, target, bytes);
}

} // namespace

QString PlaylistWriter::nameProblem(const QString& name)
{
    return FileNameText::saveNameProblem(name, u"/");
}

PlaylistWriter::Result PlaylistWriter::write(const FolderHandle& folder, const QString& name,
                                             const QByteArray& bytes) const
{
    if (const QString problem = nameProblem(name); !problem.isEmpty())
        return refused(problem);
    if (!folder.isOpen())
        return failed(u"The folder cannot be used"_s, folder.openError());

    // Another save may replace the file between its examination and its lock; the next
    // attempt examines what is there then.
    Result result;
    for (int attempt = 0; attempt < 5; ++attempt) {
        Save save(m_fault, m_lockWaitMs, m_sweptFolders);
        result = save.run(int(folder.native()), name, bytes);
        if (!save.again)
            break;
    }
    return result;
}

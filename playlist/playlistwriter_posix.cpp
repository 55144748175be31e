// The playlist writer on POSIX systems. It talks to the system directly: Qt's file classes
// lose the error of the final flush and cannot rewrite a file in place with a way back.
#include "playlistwriter.h"

#include "filenametext.h"
#include "folderhandle.h"
#include "playlistformat.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

using Result = PlaylistWriter::Result;
using WriteFault = PlaylistWriter::WriteFault;

// A write that took no byte although bytes were left: never normal for a file.
constexpr int kNoProgress = -1;

// Rewriting in place keeps the old content in memory; beyond this a copy is not taken.
constexpr qint64 kMaxKeptContent = qint64(64) << 20;

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
int writeAll(int fd, const QByteArray& bytes, const WriteFault* fault)
{
    const qint64 size = bytes.size();
    qint64 done = 0;
    while (done < size) {
        qint64 ask = size - done;
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
    }
    return 0;
}

// Reads the whole file into `out`. Returns 0 or an errno.
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

// A new, empty file in the folder `dirFd` with a name no one else uses; 0666 less the
// umask, as any new file gets. Returns its fd or -1 with errno set.
int createTemporary(int dirFd, QByteArray& name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = ".cantorel-save-"_ba + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        const int fd = ::openat(dirFd, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Where a save writes: a name in a folder. The folder is the listed one, or the folder a
// link leads to, held open while the save runs.
struct Place {
    int dir = -1;        // the folder's descriptor: `folder` or the listed folder's
    Fd folder;           // owned when the place was reached through a link
    QByteArray name;     // one path component
};

// Follows the link `name` in `dirFd` to what it finally names, one component at a time
// relative to the folders on the way, as the system would. Returns 0 and fills `place`,
// ENOENT with `dangling` set to what the last link points to when that does not exist, or
// another errno.
int followLink(int dirFd, const QByteArray& name, Place& place, QByteArray& dangling)
{
    place.dir = dirFd;
    place.name = name;
    for (int hops = 0; hops < 40; ++hops) {
        QByteArray text(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlinkat(place.dir, place.name.constData(), text.data(), size_t(text.size()));
        if (n < 0)
            return errno == EINVAL ? 0 : errno; // EINVAL: not a link, the end of the chain
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

        struct stat st {};
        if (::fstatat(place.dir, place.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT)
                dangling = text;
            return errno;
        }
        if (!S_ISLNK(st.st_mode))
            return 0;
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

// The new content goes to a temporary file beside the target, is synced and renamed over
// it. `mode` is kept when the target exists (>= 0).
Result replaceByRename(const Place& place, int tempFd, const QByteArray& tempName, int mode,
                       const QByteArray& bytes, const WriteFault& fault)
{
    Fd temp(tempFd);
    const auto abandon = [&](const QString& step, int error) {
        if (temp.isOpen())
            temp.close();
        ::unlinkat(place.dir, tempName.constData(), 0);
        return failed(step, error);
    };

    if (mode >= 0 && ::fchmod(temp.get(), mode_t(mode)) != 0)
        return abandon(u"The file's permissions could not be kept"_s, errno);
    if (const int error = writeAll(temp.get(), bytes, &fault))
        return abandon(u"Writing the playlist failed"_s, error);
    if (const int error = syncFd(temp.get()))
        return abandon(u"Writing the playlist to the disk failed"_s, error);
    if (const int error = temp.close())
        return abandon(u"Closing the new playlist failed"_s, error);
    if (::renameat(place.dir, tempName.constData(), place.dir, place.name.constData()) != 0)
        return abandon(u"The new playlist could not be put in place"_s, errno);

    // Make the rename itself last. The playlist is in place by now, so a folder that
    // cannot be synced (some file systems refuse) does not undo the save.
    syncFd(place.dir);
    return {true, {}};
}

// Rewrites the file in place, keeping it (its links, owner, group and mode). The old
// content is kept first and put back when any step fails.
Result rewriteInPlace(const Place& place, const struct stat& expected, const QByteArray& bytes,
                      const WriteFault& fault)
{
    Fd file(::openat(place.dir, place.name.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file.isOpen())
        return failed(u"The file could not be opened for writing"_s, errno);
    struct stat st {};
    if (::fstat(file.get(), &st) != 0)
        return failed(u"The file could not be examined"_s, errno);
    if (!S_ISREG(st.st_mode) || st.st_dev != expected.st_dev || st.st_ino != expected.st_ino)
        return refused(u"The file was replaced while it was being saved."_s);
    if (st.st_size > kMaxKeptContent)
        return refused(u"The file is too large to keep a copy of while it is rewritten."_s);

    QByteArray old;
    if (const int error = readAll(file.get(), st.st_size, old))
        return failed(u"The old content could not be read to keep a copy"_s, error);

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
        if (restoreError != 0)
            result.reason += u" Its old content could not be put back either (%1): the file "
                             "may be damaged."_s.arg(systemReason(restoreError));
        return result;
    };

    if (const int error = writeAll(file.get(), bytes, &fault))
        return undo(u"Writing the playlist failed"_s, error);
    if (bytes.size() < old.size() && ::ftruncate(file.get(), off_t(bytes.size())) != 0)
        return undo(u"Writing the playlist failed"_s, errno);
    if (const int error = syncFd(file.get()))
        return undo(u"Writing the playlist to the disk failed"_s, error);
    if (const int error = file.close())
        return undo(u"Closing the playlist failed"_s, error);
    return {true, {}};
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

    // The name is one component, so this is exactly the file the folder will hold.
    const QByteArray typed = QFile::encodeName(name);
    const int listed = int(folder.native());
    Place place;
    place.dir = listed;
    place.name = typed;
    struct stat st {};
    if (::fstatat(listed, typed.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT)
            return failed(u"The name cannot be used"_s, errno);
        QByteArray tempName;
        const int fd = createTemporary(listed, tempName);
        if (fd < 0)
            return failed(u"A new file could not be made in the folder"_s, errno);
        return replaceByRename(place, fd, tempName, -1, bytes, m_fault);
    }

    // A link is followed, as editors do: the file it points to is the one saved.
    const bool isLink = S_ISLNK(st.st_mode);
    if (isLink) {
        QByteArray dangling;
        if (const int error = followLink(listed, typed, place, dangling)) {
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

    // A rename gives the name a new file: other hard links would keep the old text, and the
    // owner and group would become ours. Those files are rewritten in place instead.
    if (st.st_nlink > 1)
        return rewriteInPlace(place, st, bytes, m_fault);
    QByteArray tempName;
    const int fd = createTemporary(place.dir, tempName);
    if (fd < 0) {
        if (errno == EACCES || errno == EPERM) // no new file here, but this one is writable
            return rewriteInPlace(place, st, bytes, m_fault);
        return failed(u"A new file could not be made in the folder"_s, errno);
    }
    struct stat made {};
    if (::fstat(fd, &made) != 0 || made.st_uid != st.st_uid || made.st_gid != st.st_gid) {
        ::close(fd);
        ::unlinkat(place.dir, tempName.constData(), 0);
        return rewriteInPlace(place, st, bytes, m_fault);
    }
    return replaceByRename(place, fd, tempName, int(st.st_mode & 07777), bytes, m_fault);
}

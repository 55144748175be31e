// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// The playlist writer on POSIX systems: the steps of a save. It talks to the system
// directly (Qt's file classes lose the error of the final flush and cannot rewrite a file
// in place with a way back); each concern has its own file in posix/.
#include "playlistwriter.h"

#include "filenamepatterns.h"
#include "filenametext.h"
#include "folderhandle.h"
#include "playlistformat.h"
#include "posix/fileattributes.h"
#include "posix/filelock.h"
#include "posix/linkfollower.h"
#include "posix/newfile.h"
#include "posix/oldcontentcopy.h"
#include "posix/saveio.h"
#include "savecontentcheck.h"

#include <QFile>
#include <QSet>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using SaveIo::Fd;
using SaveIo::syncFd;
using SaveIo::syncFolder;
using SaveIo::systemReason;

namespace {

using Result = PlaylistWriter::Result;
using WriteFault = PlaylistWriter::WriteFault;

// Rewriting in place keeps the old content in memory too; beyond this no copy is taken.
constexpr qint64 kMaxKeptContent = qint64(64) << 20;

Result refused(const QString& reason)
{
    return {false, reason, {}};
}

Result failed(const QString& step, int error)
{
    return {false, u"%1: %2."_s.arg(step, systemReason(error)), {}};
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
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

Result anotherProgram(const FileLock& lock)
{
    const QString who = lock.holder() == FileLock::Holder::Writer
        ? u"Another program is writing the file"_s
        : u"Another program is reading or using the file"_s;
    return refused(u"%1: it stayed locked for %2 seconds. Save again once it is done."_s.arg(
        who, QString::number(double(lock.waitMs()) / 1000.0, 'g', 2)));
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
    Save(const WriteFault& fault, int lockWaitMs, QSet<QByteArray>& sweptFolders,
         QSet<QByteArray>& toldLeftovers)
        : m_fault(fault), m_lockWaitMs(lockWaitMs), m_sweptFolders(sweptFolders),
          m_toldLeftovers(toldLeftovers)
    {
    }

    // Set when the name changed hands between its examination and its lock: start again.
    bool again = false;

    Result run(int listed, const QString& name, const QByteArray& bytes);

private:
    Result saveNew(const SavePlace& place, const QByteArray& bytes);
    Result replaceByRename(const SavePlace& place, Target& target, const QByteArray& bytes);
    Result rewriteInPlace(const SavePlace& place, Target& target, const QByteArray& bytes);
    void sweepOnce(int dirFd);
    QString leftoverNotice(const SavePlace& place);

    const WriteFault& m_fault;
    int m_lockWaitMs;
    QSet<QByteArray>& m_sweptFolders;
    QSet<QByteArray>& m_toldLeftovers;
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
    NewFile::removeLeftovers(dirFd);
}

// Copies of the file's old content that cut-off saves left are kept for the user, who is
// told once (per file, while the program runs) where they are.
QString Save::leftoverNotice(const SavePlace& place)
{
    struct stat st {};
    if (::fstat(place.dir, &st) != 0)
        return {};
    const QByteArray key = QByteArray::number(quint64(st.st_dev)) + ':'
        + QByteArray::number(quint64(st.st_ino)) + '/' + place.name;
    if (m_toldLeftovers.contains(key))
        return {};
    const QStringList copies = OldContentCopy::leftovers(place.dir, place.name);
    if (copies.isEmpty())
        return {};
    m_toldLeftovers.insert(key);
    if (copies.size() == 1)
        return u"An older copy of this file, left by a save that was cut off, is kept in %1."_s.arg(
            copies.first());
    return u"Older copies of this file, left by saves that were cut off, are kept in %1."_s.arg(
        copies.join(u", "_s));
}

// The new file goes in under a name that was free: never over what took it meanwhile.
Result Save::saveNew(const SavePlace& place, const QByteArray& bytes)
{
    NewFile file(place.dir);
    if (file.error())
        return failed(u"A new file could not be made in the folder"_s, file.error());
    if (const int error = file.fill(bytes, &m_fault))
        return failed(u"Writing the playlist failed"_s, error);
    // Readable by others (as the umask or the folder's default ACL says) only once complete.
    if (const int error = file.setMode(FileAttributes::newFileMode(place.dir));
        error != 0 && error != ENOSYS && error != EOPNOTSUPP && error != EPERM)
        return failed(u"The new file could not be given its permissions"_s, error);
    if (const int error = file.placeAsNew(place.name)) {
        if (error == EEXIST)
            return refused(u"Something else was saved under that name while the playlist was "
                           "being saved; it was left alone."_s);
        return failed(u"The new playlist could not be put in place"_s, error);
    }
    // "Saved" only once the name lasts; until then the file is ours, made an instant ago.
    if (const int error = syncFolder(place.dir, file.fd())) {
        ::unlinkat(place.dir, place.name.constData(), 0);
        return failed(u"The folder could not be written to the disk, so the new playlist was "
                      "removed again"_s, error);
    }
    if (const int error = file.close()) {
        ::unlinkat(place.dir, place.name.constData(), 0);
        return failed(u"Closing the new playlist failed"_s, error);
    }
    return {true, {}, {}};
}

// The new content goes to a new file beside the target, is synced and renamed over it,
// carrying the target's mode, ACL and attributes. Whatever cannot be carried, or an owner
// the new file would not have, sends the save to rewriteInPlace.
Result Save::replaceByRename(const SavePlace& place, Target& target, const QByteArray& bytes)
{
    NewFile file(place.dir);
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
    if (const int error = file.setMode(mode)) {
        // A file system without permission bits (FAT through FUSE) refuses any change:
        // the mode is what it gives. When that is not the file's, the file is kept.
        if (error != ENOSYS && error != EOPNOTSUPP && error != EPERM)
            return failed(u"The file's permissions could not be kept"_s, error);
        if (::fstat(file.fd(), &made) != 0 || (made.st_mode & 07777) != mode)
            return rewriteInPlace(place, target, bytes);
    }
    if (!FileAttributes::carry(target.fd.get(), file.fd()))
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

    // "Saved" only once the rename lasts. The old file is gone by now: nothing to undo.
    if (const int error = syncFolder(place.dir, target.fd.get()))
        return failed(u"The new playlist is in place, but the folder could not be written to "
                      "the disk, so it may be lost in a power cut"_s, error);
    return {true, {}, {}};
}

// Rewrites the file in place, keeping it (its links, owner, group, mode and attributes).
// Only once a whole copy of its old content is on the disk (OldContentCopy); when a step
// fails, the old content is put back from memory and the file read back to say what it
// holds.
Result Save::rewriteInPlace(const SavePlace& place, Target& target, const QByteArray& bytes)
{
    if (target.st.st_size > kMaxKeptContent)
        return refused(u"The file is too large to keep a copy of while it is rewritten."_s);
    QByteArray old;
    if (const int error = SaveIo::readAll(target.fd.get(), target.st.st_size, old))
        return failed(u"The old content could not be read to keep a copy"_s, error);
    OldContentCopy copy;
    if (!copy.make(place.dir, place.name, old, target.fd.get()))
        return refused(u"The file is rewritten in place (to keep its links, owner or "
                       "permissions), and no copy of its old content could be kept meanwhile "
                       "(%1), so it was left as it was."_s.arg(copy.failure()));

    Fd& file = target.fd;
    const auto undo = [&](const QString& step, int error) {
        Result result = failed(step, error);
        Fd reopened;
        if (!file.isOpen())
            reopened.reset(::openat(place.dir, place.name.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
        const int fd = file.isOpen() ? file.get() : reopened.get();
        int restoreError = fd < 0 ? errno : SaveIo::writeAll(fd, old);
        if (restoreError == 0 && ::ftruncate(fd, off_t(old.size())) != 0)
            restoreError = errno;
        if (restoreError == 0)
            restoreError = syncFd(fd);
        // What the file holds is what it reads back, whatever the steps above said.
        QByteArray now;
        const bool intact = fd >= 0 && SaveIo::readAll(fd, old.size() + 1, now) == 0 && now == old;
        if (intact) {
            copy.remove();
            result.reason += u" The file still holds its old content."_s;
        } else {
            result.reason += u" Its old content could not be put back (%1): the file is damaged. "
                             "Its whole old content is kept in %2."_s.arg(
                                 systemReason(restoreError != 0 ? restoreError : EIO), copy.path());
        }
        return result;
    };

    if (const int error = SaveIo::writeAll(file.get(), bytes, &m_fault))
        return undo(u"Writing the playlist failed"_s, error);
    if (::ftruncate(file.get(), off_t(bytes.size())) != 0)
        return undo(u"Writing the playlist failed"_s, errno);
    if (const int error = syncFd(file.get()))
        return undo(u"Writing the playlist to the disk failed"_s, error);
    if (const int error = file.close())
        return undo(u"Closing the playlist failed"_s, error);
    copy.remove();
    return {true, {}, {}};
}

Result Save::run(int listed, const QString& name, const QByteArray& bytes)
{
    // The name is one component, so this is exactly the file the folder will hold.
    const QByteArray typed = QFile::encodeName(name);
    SavePlace place;
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
        if (const int error = LinkFollower::follow(listed, typed, place, dangling, problem)) {
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
    if (isLink && FileNamePatterns::media().matches(FileNameText::decode(place.name).text))
        return refused(u"The name is a link to the media file %1, which a playlist never "
                       "overwrites."_s.arg(FileNameText::decode(place.name).text));
    if (FileNamePatterns::media().matches(name))
        return refused(u"The name belongs to a media file, which a playlist never overwrites."_s);
    // Root may write any file, and a rename would replace it anyway: the mode is what the
    // user set to say "do not change".
    if (!(st.st_mode & S_IWUSR))
        return refused(u"The file is read-only."_s);
    if (::faccessat(place.dir, place.name.constData(), W_OK, 0) != 0)
        return failed(u"The file cannot be changed"_s, errno);
    sweepOnce(place.dir);

    Target target;
    FileLock lock(m_lockWaitMs);
    if (const int error = lock.open(place.dir, place.name, target.fd)) {
        if (error == EAGAIN)
            return anotherProgram(lock);
        return failed(u"The file could not be opened for writing"_s, error);
    }
    if (const int error = lock.lock(target.fd.get())) {
        if (error == EAGAIN)
            return anotherProgram(lock);
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
    if (const int error = SaveIo::readAll(target.fd.get(), SaveContentCheck::headSize(), head))
        return failed(u"The file could not be read to check what it holds"_s, error);
    if (const QString problem = SaveContentCheck::refusal(head); !problem.isEmpty())
        return refused(problem);

    const QString notice = leftoverNotice(place);
    // A rename gives the name a new file: other hard links would keep the old text.
    Result result = target.st.st_nlink > 1 ? rewriteInPlace(place, target, bytes)
                                           : replaceByRename(place, target, bytes);
    result.notice = notice;
    return result;
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
        Save save(m_fault, m_lockWaitMs, m_sweptFolders, m_toldLeftovers);
        result = save.run(int(folder.native()), name, bytes);
        if (!save.again)
            break;
    }
    return result;
}

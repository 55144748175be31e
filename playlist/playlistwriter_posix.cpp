// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// The playlist writer on POSIX systems: the steps of a save. It talks to the system
// directly (Qt's file classes lose the error of the final flush and cannot rewrite a file
// in place with a way back); each concern has its own file in posix/.
#include "playlistwriter.h"

#include "filenametext.h"
#include "folderhandle.h"
#include "posix/fileattributes.h"
#include "posix/filelock.h"
#include "posix/linkfollower.h"
#include "posix/newfile.h"
#include "posix/oldcontentcopy.h"
#include "posix/saveio.h"
#include "savepolicy.h"

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

namespace {

using Result = PlaylistWriter::Result;
using WriteFault = PlaylistWriter::WriteFault;

// Rewriting in place keeps the old content in memory too; beyond this no copy is taken.
constexpr qint64 kMaxKeptContent = qint64(64) << 20;

using Reason = PlaylistWriter::Reason;

Result refused(Reason reason, const QString& subject = {})
{
    return SavePolicy::refused(reason, subject);
}

Result failed(Reason step, int error)
{
    return SavePolicy::failed(step, error);
}

Result saved()
{
    Result result;
    result.saved = true;
    return result;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

SavePolicy::Type typeOf(mode_t mode)
{
    using Type = SavePolicy::Type;
    return S_ISREG(mode)                      ? Type::File
        : S_ISDIR(mode)                       ? Type::Folder
        : S_ISFIFO(mode)                      ? Type::Pipe
        : S_ISSOCK(mode)                      ? Type::Socket
        : (S_ISCHR(mode) || S_ISBLK(mode))    ? Type::Device
                                              : Type::Other;
}

Result anotherProgram(const FileLock& lock)
{
    Result result = refused(lock.holder() == FileLock::Holder::Writer ? Reason::AnotherWriter
                                                                      : Reason::AnotherReader);
    result.waitMs = lock.waitMs();
    return result;
}

Result replacedMeanwhile()
{
    return refused(Reason::ReplacedMeanwhile);
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
    QStringList leftoverNotice(const SavePlace& place);

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
QStringList Save::leftoverNotice(const SavePlace& place)
{
    struct stat st {};
    if (::fstat(place.dir, &st) != 0)
        return {};
    const QByteArray key = QByteArray::number(quint64(st.st_dev)) + ':'
        + QByteArray::number(quint64(st.st_ino)) + '/' + place.name;
    if (m_toldLeftovers.contains(key))
        return {};
    const QStringList copies = OldContentCopy::leftovers(place.dir, place.name);
    if (!copies.isEmpty())
        m_toldLeftovers.insert(key);
    return copies;
}

// The new file goes in under a name that was free: never over what took it meanwhile.
Result Save::saveNew(const SavePlace& place, const QByteArray& bytes)
{
    NewFile file(place.dir);
    if (file.error())
        return failed(Reason::NewFileFailed, file.error());
    if (const int error = file.fill(bytes, &m_fault))
        return failed(Reason::WriteFailed, error);
    // Readable by others (as the umask or the folder's default ACL says) only once complete.
    if (const int error = file.setMode(FileAttributes::newFileMode(place.dir));
        error != 0 && error != ENOSYS && error != EOPNOTSUPP && error != EPERM)
        return failed(Reason::NewModeFailed, error);
    if (const int error = file.placeAsNew(place.name)) {
        if (error == EEXIST)
            return refused(Reason::TakenMeanwhile);
        return failed(Reason::PlaceFailed, error);
    }
    // "Saved" only once the name lasts; until then the file is ours, made an instant ago.
    if (const int error = syncFolder(place.dir, file.fd())) {
        ::unlinkat(place.dir, place.name.constData(), 0);
        return failed(Reason::NewFolderSyncFailed, error);
    }
    if (const int error = file.close()) {
        ::unlinkat(place.dir, place.name.constData(), 0);
        return failed(Reason::CloseNewFailed, error);
    }
    return saved();
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
        return failed(Reason::NewFileFailed, file.error());
    }
    struct stat made {};
    if (::fstat(file.fd(), &made) != 0)
        return failed(Reason::NewExamineFailed, errno);
    if (made.st_uid != target.st.st_uid || made.st_gid != target.st.st_gid)
        return rewriteInPlace(place, target, bytes);

    const mode_t mode = target.st.st_mode & 07777;
    if (const int error = file.setMode(mode)) {
        // A file system without permission bits (FAT through FUSE) refuses any change:
        // the mode is what it gives. When that is not the file's, the file is kept.
        if (error != ENOSYS && error != EOPNOTSUPP && error != EPERM)
            return failed(Reason::KeepModeFailed, error);
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
        return failed(Reason::WriteFailed, error);
    if (const int error = file.close())
        return failed(Reason::CloseNewFailed, error);

    // The name must still hold the file examined and locked: never replace what another
    // program put there meanwhile.
    struct stat now {};
    if (::fstatat(place.dir, place.name.constData(), &now, AT_SYMLINK_NOFOLLOW) != 0
        || !sameFile(now, target.st))
        return replacedMeanwhile();
    if (const int error = file.placeOver(place.name))
        return failed(Reason::PlaceFailed, error);

    // "Saved" only once the rename lasts. The old file is gone by now: nothing to undo.
    if (const int error = syncFolder(place.dir, target.fd.get()))
        return failed(Reason::FolderSyncFailed, error);
    return saved();
}

// Rewrites the file in place, keeping it (its links, owner, group, mode and attributes).
// Only once a whole copy of its old content is on the disk (OldContentCopy); when a step
// fails, the old content is put back from memory and the file read back to say what it
// holds.
Result Save::rewriteInPlace(const SavePlace& place, Target& target, const QByteArray& bytes)
{
    if (target.st.st_size > kMaxKeptContent)
        return refused(Reason::TooLargeToCopy);
    QByteArray old;
    if (const int error = SaveIo::readAll(target.fd.get(), target.st.st_size, old))
        return failed(Reason::OldReadFailed, error);
    OldContentCopy copy;
    if (!copy.make(place.dir, place.name, old, target.fd.get())) {
        Result result = refused(Reason::NoCopyKept);
        result.olderCopyInTheWay = copy.olderCopyInTheWay();
        result.besideError = copy.besideError();
        result.stateFolder = copy.stateFolderShown();
        result.stateError = copy.stateError();
        return result;
    }

    Fd& file = target.fd;
    const auto undo = [&](Reason step, int error) {
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
            result.holds = PlaylistWriter::Holds::OldContent;
        } else {
            result.holds = PlaylistWriter::Holds::Damaged;
            result.restoreError = restoreError != 0 ? restoreError : EIO;
            result.copyPath = copy.path();
        }
        return result;
    };

    if (const int error = SaveIo::writeAll(file.get(), bytes, &m_fault))
        return undo(Reason::WriteFailed, error);
    if (::ftruncate(file.get(), off_t(bytes.size())) != 0)
        return undo(Reason::WriteFailed, errno);
    if (const int error = syncFd(file.get()))
        return undo(Reason::SyncFailed, error);
    if (const int error = file.close())
        return undo(Reason::CloseFailed, error);
    copy.remove();
    return saved();
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
            return failed(Reason::NameUnusable, errno);
        sweepOnce(listed);
        return saveNew(place, bytes);
    }

    // A link is followed, as editors do: the file it points to is the one saved.
    const bool isLink = S_ISLNK(st.st_mode);
    if (isLink) {
        QByteArray dangling;
        bool notFollowed = false;
        if (const int error = LinkFollower::follow(listed, typed, place, dangling, notFollowed)) {
            if (notFollowed)
                return refused(Reason::SharedFolderLink);
            if (error == ENOENT && !dangling.isEmpty())
                return refused(Reason::LinkToNothing, FileNameText::decode(dangling).text);
            return failed(Reason::LinkUnfollowable, error);
        }
        if (::fstatat(place.dir, place.name.constData(), &st, 0) != 0)
            return failed(Reason::LinkUnfollowable, errno);
    }

    SavePolicy::Found found;
    found.type = typeOf(st.st_mode);
    found.writable = (st.st_mode & S_IWUSR) != 0;
    found.viaLink = isLink;
    found.linkedName = FileNameText::decode(place.name).text;
    if (Result refusal = SavePolicy::refusal(name, found); refusal.reason != Reason::None)
        return refusal;
    if (::faccessat(place.dir, place.name.constData(), W_OK, 0) != 0)
        return failed(Reason::CannotChange, errno);
    sweepOnce(place.dir);

    Target target;
    FileLock lock(m_lockWaitMs);
    if (const int error = lock.open(place.dir, place.name, target.fd)) {
        if (error == EAGAIN)
            return anotherProgram(lock);
        return failed(Reason::OpenFailed, error);
    }
    if (const int error = lock.lock(target.fd.get())) {
        if (error == EAGAIN)
            return anotherProgram(lock);
        return failed(Reason::LockFailed, error);
    }
    // Once locked, the name must still hold this file; another save may have replaced it.
    struct stat named {};
    if (::fstat(target.fd.get(), &target.st) != 0)
        return failed(Reason::ExamineFailed, errno);
    if (::fstatat(place.dir, place.name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0
        || !sameFile(named, target.st) || !sameFile(named, st)) {
        again = true;
        return replacedMeanwhile();
    }
    if (!S_ISREG(target.st.st_mode)) {
        found.type = typeOf(target.st.st_mode);
        return SavePolicy::refusal(name, found);
    }

    // Whatever its name, a file whose content is media is never written over.
    QByteArray head;
    if (const int error = SaveIo::readAll(target.fd.get(), SavePolicy::headSize(), head))
        return failed(Reason::CheckReadFailed, error);
    if (Result refusal = SavePolicy::contentRefusal(head); refusal.reason != Reason::None)
        return refusal;

    const QStringList notice = leftoverNotice(place);
    // A rename gives the name a new file: other hard links would keep the old text.
    Result result = target.st.st_nlink > 1 ? rewriteInPlace(place, target, bytes)
                                           : replaceByRename(place, target, bytes);
    result.olderCopies = notice;
    return result;
}

} // namespace

PlaylistWriter::Result PlaylistWriter::nameProblem(const QString& name)
{
    return SavePolicy::nameRefusal(name, u"/");
}

PlaylistWriter::Result PlaylistWriter::write(const FolderHandle& folder, const QString& name,
                                             const QByteArray& bytes) const
{
    if (Result problem = nameProblem(name); problem.reason != Reason::None)
        return problem;
    if (!folder.isOpen())
        return failed(Reason::FolderUnusable, folder.openError());

    // Another save may replace the file between its examination and its lock; the next
    // attempt examines what is there then.
    Result result;
    for (int attempt = 0; attempt < 5; ++attempt) {
        Save save(m_fault, m_lockWaitMs, m_sweptFolders, m_toldLeftovers);
        result = save.run(int(folder.native()), name, bytes);
        if (!save.again)
            break;
    }
    if (!result.saved && result.error == ECANCELED && m_fault.cancel && m_fault.cancel->load())
        result.reason = Reason::Cancelled;
    return result;
}

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
#include "posix/savecommon.h"
#include "posix/saveio.h"
#include "savepolicy.h"

#include <QFile>
#include <QSet>

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <pwd.h>
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

Result refused(Reason reason, const QString& subject = {}) { return SavePolicy::refused(reason, subject); }

Result failed(Reason step, int error) { return SavePolicy::failed(step, error); }

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
    return S_ISREG(mode)                   ? Type::File
        : S_ISDIR(mode)                    ? Type::Folder
        : S_ISFIFO(mode)                   ? Type::Pipe
        : S_ISSOCK(mode)                   ? Type::Socket
        : (S_ISCHR(mode) || S_ISBLK(mode)) ? Type::Device
                                           : Type::Other;
}

Result anotherProgram(const FileLock& lock)
{
    Result result
        = refused(lock.holder() == FileLock::Holder::Writer ? Reason::AnotherWriter : Reason::AnotherReader);
    result.waitMs = lock.waitMs();
    return result;
}

// Who `uid` is, for a message: the user's name, else the number.
QString userName(uid_t uid)
{
    std::vector<char> buffer(16384);
    struct passwd entry { };
    struct passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return QString::fromLocal8Bit(found->pw_name);
    return QString::number(uid);
}

Result replacedMeanwhile() { return refused(Reason::ReplacedMeanwhile); }

// An existing file that a save writes over: open for writing and locked.
struct Target {
    Fd fd;
    struct stat st { };
};

// The steps of one save, with the writer's settings.
class Save
{
public:
    Save(const WriteFault& fault, int lockWaitMs, QSet<QByteArray>& sweptFolders,
        const QSet<QByteArray>& toldLeftovers)
        : m_fault(fault), m_lockWaitMs(lockWaitMs), m_sweptFolders(sweptFolders),
          m_toldLeftovers(toldLeftovers)
    { }

    // Set when the name changed hands between its examination and its lock: start again.
    bool again = false;

    // Every answer tells the copies older saves left of the file, refusals included.
    Result run(int listed, const QString& name, const QByteArray& bytes)
    {
        Result result = steps(listed, name, bytes);
        result.olderCopies = m_leftovers.copies;
        result.olderCopiesSamePath = m_leftovers.samePath;
        return result;
    }

    // The file the copies told of belong to; empty when none was told.
    QByteArray toldFile() const { return m_toldFile; }

private:
    Result steps(int listed, const QString& name, const QByteArray& bytes);
    Result saveNew(const SavePlace& place, const QByteArray& bytes);
    Result replaceByRename(const SavePlace& place, Target& target, const QByteArray& bytes);
    Result rewriteInPlace(const SavePlace& place, Target& target, const QByteArray& bytes);
    void sweepOnce(int dirFd);
    void findLeftovers(const SavePlace& place);

    const WriteFault& m_fault;
    int m_lockWaitMs;
    QSet<QByteArray>& m_sweptFolders;
    const QSet<QByteArray>& m_toldLeftovers;
    OldContentCopy::Leftovers m_leftovers;
    QByteArray m_toldFile;
};

// Leftovers are those of saves killed before: one look per folder is enough, so a save in
// a folder of a million files reads it only the first time.
void Save::sweepOnce(int dirFd)
{
    const QByteArray key = SaveCommon::identityKey(dirFd);
    if (key.isEmpty() || m_sweptFolders.contains(key))
        return;
    m_sweptFolders.insert(key);
    NewFile::removeLeftovers(dirFd);
}

// Copies of the file's old content that cut-off saves left are kept for the user, who is
// told once (per file, while the program runs) where they are. They are looked for before
// anything is written, so that the save's own copy is never among them.
void Save::findLeftovers(const SavePlace& place)
{
    const QByteArray key = SaveCommon::identityKey(place.dir) + '/' + place.name;
    if (m_toldLeftovers.contains(key))
        return;
    m_leftovers = OldContentCopy::leftovers(place.dir, place.name);
    if (!m_leftovers.copies.isEmpty() || !m_leftovers.samePath.isEmpty())
        m_toldFile = key;
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
        error != 0 && !SaveCommon::meansNoPermissionBits(error))
        return failed(Reason::NewModeFailed, error);
    if (const int error = file.placeAsNew(place.name)) {
        if (error == EEXIST)
            return refused(Reason::TakenMeanwhile);
        return failed(Reason::PlaceFailed, error);
    }
    // "Saved" only once the name lasts; until then the file is ours, made an instant ago.
    if (const int error = syncFolder(place.dir, file.fd())) {
        Result result = failed(Reason::NewFolderSyncFailed, error);
        // A file system turned read-only keeps the name until it is mounted again.
        if (::unlinkat(place.dir, place.name.constData(), 0) != 0)
            result.restoreError = errno;
        return result;
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
    struct stat made { };
    if (::fstat(file.fd(), &made) != 0)
        return failed(Reason::NewExamineFailed, errno);
    if (made.st_uid != target.st.st_uid || made.st_gid != target.st.st_gid)
        return rewriteInPlace(place, target, bytes);

    const mode_t mode = target.st.st_mode & 07777;
    if (const int error = file.setMode(mode)) {
        // A file system without permission bits (FAT through FUSE) refuses any change:
        // the mode is what it gives. When that is not the file's, the file is kept.
        if (!SaveCommon::meansNoPermissionBits(error))
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

    // Only the file examined and locked is replaced, never what another program put under
    // the name meanwhile: the swap and the look at what came out leave no moment between a
    // check and the replacing. Where the system cannot swap, the file examined is rewritten.
    int error = 0;
    switch (file.placeInstead(place.name, target.st, error)) {
    case NewFile::Swap::Done: break;
    case NewFile::Swap::Unsupported: return rewriteInPlace(place, target, bytes);
    case NewFile::Swap::NotExpected: return replacedMeanwhile();
    case NewFile::Swap::Failed: return failed(Reason::PlaceFailed, error);
    }

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

Result Save::steps(int listed, const QString& name, const QByteArray& bytes)
{
    // The name is one component, so this is exactly the file the folder will hold.
    const QByteArray typed = QFile::encodeName(name);
    SavePlace place;
    place.dir = listed;
    place.name = typed;
    struct stat st { };
    if (::fstatat(listed, typed.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT)
            return failed(Reason::NameUnusable, errno);
        findLeftovers(place);
        sweepOnce(listed);
        return saveNew(place, bytes);
    }

    // A link is followed, as editors do: the file it points to is the one saved, unless
    // someone else may have put the link there.
    const bool isLink = S_ISLNK(st.st_mode);
    if (isLink) {
        LinkFollower::Stop stop;
        SavePlace followed;
        if (const int error = LinkFollower::follow(listed, typed, followed, stop)) {
            findLeftovers(place);
            if (stop.refused)
                return refused(Reason::SharedFolderLink, userName(stop.linkOwner));
            if (error == ENOENT && !stop.dangling.isEmpty())
                return refused(Reason::LinkToNothing, FileNameText::decode(stop.dangling).text);
            return failed(Reason::LinkUnfollowable, error);
        }
        place.folder.reset(followed.folder.get() >= 0 ? ::dup(followed.folder.get()) : -1);
        place.dir = place.folder.isOpen() ? place.folder.get() : listed;
        place.name = followed.name;
        if (::fstatat(place.dir, place.name.constData(), &st, 0) != 0)
            return failed(Reason::LinkUnfollowable, errno);
    }
    findLeftovers(place);

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
    struct stat named { };
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

    // A rename gives the name a new file: other hard links would keep the old text.
    return target.st.st_nlink > 1 ? rewriteInPlace(place, target, bytes)
                                  : replaceByRename(place, target, bytes);
}

} // namespace

PlaylistWriter::Result PlaylistWriter::nameProblem(const QString& name)
{
    return SavePolicy::nameRefusal(name, u"/");
}

PlaylistWriter::Result PlaylistWriter::write(
    const FolderHandle& folder, const QString& name, const QByteArray& bytes) const
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
        if (!save.again) {
            if (!save.toldFile().isEmpty())
                m_toldLeftovers.insert(save.toldFile());
            break;
        }
    }
    if (!result.saved && result.error == ECANCELED && m_fault.cancel && m_fault.cancel->load())
        result.reason = Reason::Cancelled;
    return result;
}

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "oldcontentcopy.h"

#include "folderstream.h"

#include "filenametext.h"
#include "newfile.h"
#include "savecommon.h"
#include "savetypes.h"

#include <QCryptographicHash>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using SaveIo::Fd;

namespace {

constexpr char kRecordSuffix[] = ".origin";
constexpr char kRecordHead[]
    = "A copy of a file's content, kept by Cantorel while it rewrote the file in place.\n";
constexpr char kIndex[] = "index";
// In the index once every record of an older Cantorel (which kept no index) is filed.
constexpr char kIndexed[] = ".indexed";
constexpr qint64 kLongestRecord = 64 * 1024;

// Where the folder `dir` is now, as bytes; empty when the system cannot say it whole.
QByteArray folderPath(int dir) { return SaveCommon::currentPath(dir); }

QString shown(const QByteArray& path) { return FileNameText::decode(path).text; }

// What a record says of a folder, and so what a folder is looked up by.
struct FolderId {
    QByteArray device;     // "device:inode"
    QByteArray fileSystem; // "fsid:inode", from the file system's own identity; empty without one
    QByteArray path;       // the path's bytes in hex; empty when it cannot be had whole

    static FolderId of(int dir)
    {
        FolderId id;
        struct stat st { };
        if (::fstat(dir, &st) != 0)
            return id;
        const QByteArray inode = QByteArray::number(quint64(st.st_ino));
        id.device = SaveCommon::identityKey(st);
        struct statfs fs { };
        if (::fstatfs(dir, &fs) == 0) {
            const QByteArray fsid = QByteArray(reinterpret_cast<const char*>(&fs.f_fsid), sizeof fs.f_fsid);
            if (fsid.count('\0') != fsid.size())
                id.fileSystem = fsid.toHex() + ':' + inode;
        }
        id.path = folderPath(dir).toHex();
        return id;
    }

    // The keys a copy of `name` in this folder is filed under in the index.
    QList<QByteArray> keys(const QByteArray& name) const
    {
        QList<QByteArray> out;
        const auto key = [&](const char* kind, const QByteArray& value) {
            if (!value.isEmpty())
                out << QCryptographicHash::hash(kind + value + '/' + name.toHex(), QCryptographicHash::Sha256)
                           .toHex()
                           .left(32);
        };
        key("device:", device);
        key("filesystem:", fileSystem);
        key("path:", path);
        return out;
    }
};

// The fields a copy is found by come first: the path, for a person reading the record,
// holds bytes of the name and folders as they are, line breaks included, and so must not
// be able to stand in for a field.
QByteArray record(int dir, const FolderId& id, const QByteArray& name)
{
    const QByteArray path = QByteArray::fromHex(id.path);
    return QByteArray(kRecordHead) + "folder: " + id.device + '\n' + "filesystem: " + id.fileSystem + '\n'
        + "path: " + id.path + '\n' + "name: " + name.toHex() + '\n'
        + "file: " + (path.isEmpty() ? folderPath(dir) : path) + '/' + name + '\n';
}

// The value of `key` in a record; empty when it has none.
QByteArray recordValue(const QByteArray& text, const QByteArray& key)
{
    for (const QByteArray& line : text.split('\n')) {
        if (line.startsWith(key + ": "))
            return line.mid(key.size() + 2);
    }
    return {};
}

QByteArray readRecord(int backups, const QByteArray& id)
{
    Fd file(
        ::openat(backups, (id + kRecordSuffix).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    QByteArray text;
    if (!file.isOpen() || SaveIo::readAll(file.get(), kLongestRecord, text) != 0)
        return {};
    return text;
}

// Makes each missing folder of `path` with mode 0700. Returns 0 or an errno.
int makeFolders(const QByteArray& path)
{
    for (qsizetype slash = path.indexOf('/', 1);; slash = path.indexOf('/', slash + 1)) {
        const QByteArray part = slash < 0 ? path : path.left(slash);
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST)
            return errno;
        if (slash < 0)
            return 0;
    }
}

int openFolderIn(int dir, const char* name)
{
    return ::openat(dir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Files `id` under `key` in the index and, when `sync` says so, makes the entry last.
// Returns 0 or an errno.
int fileUnder(int index, const QByteArray& key, const QByteArray& id, bool sync = true)
{
    if (::mkdirat(index, key.constData(), 0700) != 0 && errno != EEXIST)
        return errno;
    Fd folder(openFolderIn(index, key.constData()));
    if (!folder.isOpen())
        return errno;
    Fd entry(::openat(folder.get(), id.constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!entry.isOpen())
        return errno;
    if (!sync)
        return 0;
    if (const int error = SaveIo::syncFd(folder.get()))
        return error;
    return SaveIo::syncFd(index);
}

void unfile(int index, const QByteArray& key, const QByteArray& id)
{
    Fd folder(openFolderIn(index, key.constData()));
    if (folder.isOpen() && ::unlinkat(folder.get(), id.constData(), 0) == 0)
        ::unlinkat(index, key.constData(), AT_REMOVEDIR); // only once it is empty
}

// The index of the backups folder, beside it, made where missing, with every record of an
// older Cantorel filed in it once. Returns 0 or an errno.
int openIndex(int backups, Fd& index)
{
    Fd state(openFolderIn(backups, ".."));
    if (!state.isOpen())
        return errno;
    if (::mkdirat(state.get(), kIndex, 0700) != 0 && errno != EEXIST)
        return errno;
    index.reset(openFolderIn(state.get(), kIndex));
    if (!index.isOpen())
        return errno;
    struct stat st { };
    if (::fstatat(index.get(), kIndexed, &st, AT_SYMLINK_NOFOLLOW) == 0)
        return 0;
    FolderStream list(backups);
    while (const struct dirent* entry = list.next()) {
        const QByteArray entryName(entry->d_name);
        if (!entryName.endsWith(kRecordSuffix))
            continue;
        const QByteArray id = entryName.chopped(int(sizeof(kRecordSuffix) - 1));
        const QByteArray text = readRecord(backups, id);
        const QByteArray name = QByteArray::fromHex(recordValue(text, "name"));
        if (name.isEmpty())
            continue;
        FolderId folder;
        folder.device = recordValue(text, "folder");
        folder.fileSystem = recordValue(text, "filesystem");
        folder.path = recordValue(text, "path");
        const QByteArray file = recordValue(text, "file");
        if (folder.path.isEmpty() && file.endsWith('/' + name))
            folder.path = file.chopped(name.size() + 1).toHex();
        for (const QByteArray& key : folder.keys(name)) {
            if (const int error = fileUnder(index.get(), key, id, false))
                return error;
        }
    }
    // All of it lasts before the index says it is complete: one sync of the file system.
    if (::syncfs(index.get()) != 0)
        return errno;
    Fd done(::openat(index.get(), kIndexed, O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    return done.isOpen() ? SaveIo::syncFd(index.get()) : errno;
}

// The backups folder of the state folder, made where missing; only when it is the user's
// own, and then kept private. Returns 0 or an errno.
int openBackups(bool create, Fd& backups)
{
    const QByteArray path = OldContentCopy::stateFolder();
    if (path.isEmpty())
        return ENOENT;
    if (create) {
        if (const int error = makeFolders(path))
            return error;
    }
    backups.reset(::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!backups.isOpen())
        return errno;
    struct stat st { };
    if (::fstat(backups.get(), &st) != 0)
        return errno;
    if (st.st_uid != ::geteuid())
        return EACCES;
    if ((st.st_mode & 077) && ::fchmod(backups.get(), 0700) != 0)
        return errno;
    return 0;
}

// Whether what has a copy's name is a copy the user's own save made: a regular file of
// the user's with one link. An empty one is no copy worth naming.
bool isOwnCopy(int dir, const QByteArray& name)
{
    struct stat st { };
    return ::fstatat(dir, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)
        && st.st_nlink == 1 && st.st_uid == ::geteuid() && st.st_size > 0;
}

} // namespace

QByteArray OldContentCopy::stateFolder()
{
    QByteArray base = qgetenv("XDG_STATE_HOME");
    if (!base.startsWith('/')) {
        QByteArray home = qgetenv("HOME");
        if (!home.startsWith('/')) {
            const struct passwd* user = ::getpwuid(::geteuid());
            home = user && user->pw_dir ? QByteArray(user->pw_dir) : QByteArray();
        }
        if (!home.startsWith('/'))
            return {};
        base = home + "/.local/state";
    }
    while (base.size() > 1 && base.endsWith('/'))
        base.chop(1);
    return base + "/cantorel/backups";
}

QString OldContentCopy::stateFolderShown() const { return shown(stateFolder()); }

QString OldContentCopy::shownPath(int dir, const QByteArray& name)
{
    const QByteArray folder = folderPath(dir);
    return shown(folder.isEmpty() ? name : folder + '/' + name);
}

bool OldContentCopy::make(int dir, const QByteArray& name, const QByteArray& old, int fileFd)
{
    m_dir = dir;
    m_name = name;
    m_file.reset(::dup(fileFd));
    const QByteArray beside = SaveTypes::backupName(name);
    struct stat st { };
    if (::fstatat(dir, beside.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        m_olderCopyInTheWay = true;
    } else if (const int error = errno != ENOENT ? errno : makeBeside(old)) {
        m_besideError = error;
    } else {
        m_where = Where::Beside;
        m_path = shownPath(dir, beside);
        return true;
    }

    if (const int error = makeInStateFolder(old)) {
        m_stateError = error;
        return false;
    }
    m_where = Where::StateFolder;
    m_path = shown(stateFolder() + '/' + m_id + '/' + name);
    return true;
}

int OldContentCopy::makeBeside(const QByteArray& old)
{
    const QByteArray beside = SaveTypes::backupName(m_name);
    NewFile copy(m_dir);
    if (copy.error())
        return copy.error();
    if (const int error = copy.fill(old, nullptr))
        return error;
    // Where only O_EXCL could make the name, the copy goes to the state folder instead:
    // the name would hold a part of a copy while it is written.
    if (const int error = copy.placeAsNew(beside, NewFile::WithoutLinks::Refuse))
        return error;
    // Complete only once its name lasts too.
    if (const int error = SaveIo::syncFolder(m_dir, copy.fd())) {
        ::unlinkat(m_dir, beside.constData(), 0);
        return error;
    }
    return 0;
}

int OldContentCopy::makeInStateFolder(const QByteArray& old)
{
    if (const int error = openBackups(true, m_backups))
        return error;
    Fd index;
    if (const int error = openIndex(m_backups.get(), index))
        return error;
    for (int attempt = 0; attempt < 100 && m_id.isEmpty(); ++attempt) {
        const QByteArray id = SaveCommon::randomHex16();
        if (::mkdirat(m_backups.get(), id.constData(), 0700) == 0)
            m_id = id;
        else if (errno != EEXIST)
            return errno;
    }
    if (m_id.isEmpty())
        return EEXIST;
    const FolderId folderId = FolderId::of(m_dir);
    m_keys = folderId.keys(m_name);

    // The record and its index entries first, then the copy: a copy never lacks a record.
    // The backups folder is the user's alone, so a rename may give the names there.
    int error = 0;
    {
        NewFile note(m_backups.get());
        error = note.error();
        if (error == 0)
            error = note.fill(record(m_dir, folderId, m_name), nullptr);
        if (error == 0)
            error = note.placeOver(m_id + kRecordSuffix);
        if (error == 0)
            error = SaveIo::syncFd(m_backups.get());
    }
    for (const QByteArray& key : std::as_const(m_keys)) {
        if (error == 0)
            error = fileUnder(index.get(), key, m_id);
    }
    if (error == 0) {
        Fd folder(openFolderIn(m_backups.get(), m_id.constData()));
        error = folder.isOpen() ? 0 : errno;
        if (error == 0) {
            NewFile copy(folder.get());
            error = copy.error();
            if (error == 0)
                error = copy.fill(old, nullptr);
            if (error == 0)
                error = copy.placeOver(m_name);
            if (error == 0)
                error = SaveIo::syncFd(folder.get());
        }
    }
    if (error != 0) {
        m_where = Where::StateFolder;
        remove();
    }
    return error;
}

int OldContentCopy::remove()
{
    int error = 0;
    if (m_where == Where::Beside) {
        const QByteArray beside = SaveTypes::backupName(m_name);
        if (::unlinkat(m_dir, beside.constData(), 0) != 0)
            error = errno;
        else
            error = SaveIo::syncFolder(m_dir, m_file.get());
    } else if (m_where == Where::StateFolder) {
        // The copy first: a record without its copy is passed over by leftovers().
        Fd folder(openFolderIn(m_backups.get(), m_id.constData()));
        if (folder.isOpen() && ::unlinkat(folder.get(), m_name.constData(), 0) != 0 && errno != ENOENT)
            error = errno;
        ::unlinkat(m_backups.get(), m_id.constData(), AT_REMOVEDIR);
        Fd index;
        openIndex(m_backups.get(), index);
        for (const QByteArray& key : std::as_const(m_keys))
            unfile(index.get(), key, m_id);
        ::unlinkat(m_backups.get(), (m_id + kRecordSuffix).constData(), 0);
        if (error == 0)
            error = SaveIo::syncFd(m_backups.get());
        m_id.clear();
    }
    m_where = Where::Nowhere;
    return error;
}

OldContentCopy::Leftovers OldContentCopy::leftovers(int dir, const QByteArray& name)
{
    Leftovers found;
    const QByteArray beside = SaveTypes::backupName(name);
    if (isOwnCopy(dir, beside))
        found.copies << shownPath(dir, beside);

    Fd backups;
    Fd index;
    if (openBackups(false, backups) != 0 || openIndex(backups.get(), index) != 0)
        return found;
    const FolderId here = FolderId::of(dir);
    QList<QByteArray> seen;
    for (const QByteArray& key : here.keys(name)) {
        Fd filed(openFolderIn(index.get(), key.constData()));
        if (!filed.isOpen())
            continue;
        FolderStream ids(filed.get());
        while (const struct dirent* entry = ids.next()) {
            const QByteArray id(entry->d_name);
            if (id.startsWith('.') || seen.contains(id))
                continue;
            seen << id;
            const QByteArray text = readRecord(backups.get(), id);
            if (QByteArray::fromHex(recordValue(text, "name")) != name)
                continue;
            const QByteArray fileSystem = recordValue(text, "filesystem");
            const bool same = recordValue(text, "folder") == here.device
                || (!fileSystem.isEmpty() && fileSystem == here.fileSystem);
            const bool samePath = !here.path.isEmpty() && recordValue(text, "path") == here.path;
            Fd folder(openFolderIn(backups.get(), id.constData()));
            if ((!same && !samePath) || !folder.isOpen() || !isOwnCopy(folder.get(), name))
                continue;
            (same ? found.copies : found.samePath) << shown(stateFolder() + '/' + id + '/' + name);
        }
    }
    return found;
}

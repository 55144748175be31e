// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "oldcontentcopy.h"

#include "folderstream.h"

#include "filenametext.h"
#include "newfile.h"
#include "playlistwriter.h"

#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using SaveIo::Fd;

namespace {

constexpr char kRecordSuffix[] = ".origin";
constexpr char kRecordHead[] = "A copy of a file's content, kept by Cantorel while it rewrote the file in place.\n";

// Where the folder `dir` is now, as bytes; empty when the system cannot say.
QByteArray folderPath(int dir)
{
    const QByteArray link = "/proc/self/fd/"_ba + QByteArray::number(dir);
    QByteArray path(PATH_MAX, Qt::Uninitialized);
    const ssize_t n = ::readlink(link.constData(), path.data(), size_t(path.size()));
    if (n <= 0 || n >= path.size())
        return {};
    path.truncate(n);
    return path;
}

QString shown(const QByteArray& path)
{
    return FileNameText::decode(path).text;
}

// The folder's identity as a record holds it.
QByteArray folderKey(int dir)
{
    struct stat st {};
    if (::fstat(dir, &st) != 0)
        return {};
    return QByteArray::number(quint64(st.st_dev)) + ':' + QByteArray::number(quint64(st.st_ino));
}

// The fields a copy is found by come first: the path, for a person reading the record,
// holds bytes of the name and folders as they are, line breaks included, and so must not
// be able to stand in for a field.
QByteArray record(int dir, const QByteArray& name)
{
    return QByteArray(kRecordHead) + "folder: " + folderKey(dir) + '\n' + "name: "
        + name.toHex() + '\n' + "file: " + folderPath(dir) + '/' + name + '\n';
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

// Makes each missing folder of `path` with mode 0700. Returns 0 or an errno.
int makeFolders(const QByteArray& path)
{
    for (qsizetype slash = path.indexOf('/', 1); ; slash = path.indexOf('/', slash + 1)) {
        const QByteArray part = slash < 0 ? path : path.left(slash);
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST)
            return errno;
        if (slash < 0)
            return 0;
    }
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
    struct stat st {};
    if (::fstat(backups.get(), &st) != 0)
        return errno;
    if (st.st_uid != ::geteuid())
        return EACCES;
    if ((st.st_mode & 077) && ::fchmod(backups.get(), 0700) != 0)
        return errno;
    return 0;
}

QByteArray randomId()
{
    return QByteArray::number(QRandomGenerator::global()->generate64(), 16).rightJustified(16, '0');
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

QString OldContentCopy::stateFolderShown() const
{
    return shown(stateFolder());
}

bool OldContentCopy::make(int dir, const QByteArray& name, const QByteArray& old, int fileFd)
{
    m_dir = dir;
    m_name = name;
    m_file.reset(::dup(fileFd));
    const QByteArray beside = PlaylistWriter::backupName(name);
    struct stat st {};
    if (::fstatat(dir, beside.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        m_olderCopyInTheWay = true;
    } else if (const int error = errno != ENOENT ? errno : makeBeside(old)) {
        m_besideError = error;
    } else {
        m_where = Where::Beside;
        m_path = shown(folderPath(dir) + '/' + beside);
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
    const QByteArray beside = PlaylistWriter::backupName(m_name);
    NewFile copy(m_dir);
    if (copy.error())
        return copy.error();
    if (const int error = copy.fill(old, nullptr))
        return error;
    if (const int error = copy.placeAsNew(beside))
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
    for (int attempt = 0; attempt < 100 && m_id.isEmpty(); ++attempt) {
        const QByteArray id = randomId();
        if (::mkdirat(m_backups.get(), id.constData(), 0700) == 0)
            m_id = id;
        else if (errno != EEXIST)
            return errno;
    }
    if (m_id.isEmpty())
        return EEXIST;
    const QByteArray recordName = m_id + kRecordSuffix;
    Fd folder(::openat(m_backups.get(), m_id.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    int error = folder.isOpen() ? 0 : errno;
    bool copied = false;
    bool recorded = false;
    if (error == 0) {
        NewFile copy(folder.get());
        error = copy.error();
        if (error == 0)
            error = copy.fill(old, nullptr);
        if (error == 0)
            error = copy.placeAsNew(m_name);
        copied = error == 0;
        if (error == 0)
            error = SaveIo::syncFolder(folder.get(), copy.fd());
    }
    if (error == 0) {
        NewFile note(m_backups.get());
        error = note.error();
        if (error == 0)
            error = note.fill(record(m_dir, m_name), nullptr);
        if (error == 0)
            error = note.placeAsNew(recordName);
        recorded = error == 0;
        if (error == 0)
            error = SaveIo::syncFolder(m_backups.get(), note.fd());
    }
    if (error != 0) {
        if (copied)
            ::unlinkat(folder.get(), m_name.constData(), 0);
        ::unlinkat(m_backups.get(), m_id.constData(), AT_REMOVEDIR);
        if (recorded)
            ::unlinkat(m_backups.get(), recordName.constData(), 0);
        m_id.clear();
    }
    return error;
}

int OldContentCopy::remove()
{
    int error = 0;
    if (m_where == Where::Beside) {
        const QByteArray beside = PlaylistWriter::backupName(m_name);
        if (::unlinkat(m_dir, beside.constData(), 0) != 0)
            error = errno;
        else
            error = SaveIo::syncFolder(m_dir, m_file.get());
    } else if (m_where == Where::StateFolder) {
        // The copy first: a record without its copy is passed over by leftovers().
        Fd folder(::openat(m_backups.get(), m_id.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!folder.isOpen() || ::unlinkat(folder.get(), m_name.constData(), 0) != 0)
            error = errno;
        ::unlinkat(m_backups.get(), m_id.constData(), AT_REMOVEDIR);
        ::unlinkat(m_backups.get(), (m_id + kRecordSuffix).constData(), 0);
        if (error == 0)
            error = SaveIo::syncFd(m_backups.get());
    }
    m_where = Where::Nowhere;
    return error;
}

QStringList OldContentCopy::leftovers(int dir, const QByteArray& name)
{
    QStringList paths;
    const QByteArray beside = PlaylistWriter::backupName(name);
    struct stat st {};
    if (::fstatat(dir, beside.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
        paths << shown(folderPath(dir) + '/' + beside);

    Fd backups;
    if (openBackups(false, backups) != 0)
        return paths;
    FolderStream list(backups.get());
    const QByteArray key = folderKey(dir);
    const QByteArray hexName = name.toHex();
    while (const struct dirent* entry = list.next()) {
        const QByteArray entryName(entry->d_name);
        if (!entryName.endsWith(kRecordSuffix))
            continue;
        Fd file(::openat(backups.get(), entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        QByteArray text;
        if (!file.isOpen() || SaveIo::readAll(file.get(), 4 * PATH_MAX, text) != 0
            || recordValue(text, "folder") != key || recordValue(text, "name") != hexName)
            continue;
        const QByteArray copy = entryName.chopped(int(sizeof(kRecordSuffix) - 1)) + '/' + name;
        if (::fstatat(backups.get(), copy.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
            paths << shown(stateFolder() + '/' + copy);
    }
    return paths;
}

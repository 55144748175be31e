// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// Saves against real file systems: tiny and read-only mounts made by the test itself,
// immutable folders and files, hard links, other owners, links and pipes, and write faults
// injected through the writer. Mounting needs root; where the machine refuses, the case is
// skipped with the reason.
#include "folderhandle.h"
#include "playlist.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMetaEnum>
#include <QProcess>
#include <QScopeGuard>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <climits>
#include <ctime>
#include <cstring>
#include <functional>
#include <optional>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

using Fault = PlaylistWriter::WriteFault;

const QByteArray kOld = "#EXTM3U\r\nold.mp3\r\n"; // 18 bytes, an existing playlist
const QByteArray kMedia = "RIFF\x24\0\0\0WAVEfmt "_ba;
const QByteArray kNew = "<the new playlist>"; // stands for the bytes the save writes

QString reasonFor(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// A folder of the test's own where cases build what they need. Everything it mounts or
// makes immutable is undone when it goes, whatever the test's outcome.
class Disk
{
public:
    Disk() { Q_ASSERT(m_dir.isValid()); }
    ~Disk()
    {
        for (const QString& path : std::as_const(m_immutable))
            setImmutable(path, false);
        for (auto it = m_mounts.crbegin(); it != m_mounts.crend(); ++it)
            ::umount2(QFile::encodeName(*it).constData(), MNT_DETACH);
    }

    QString path(const QString& rel = {}) const
    {
        return rel.isEmpty() ? m_dir.path() : m_dir.path() + u'/' + rel;
    }

    // Set when the machine refuses a step the case needs.
    QString skipReason;

    bool mountTmpfs(const QString& rel, const QByteArray& options)
    {
        QDir().mkpath(path(rel));
        if (::mount("tmpfs", QFile::encodeName(path(rel)).constData(), "tmpfs", 0, options.constData()) != 0)
            return refuse(u"cannot mount a tmpfs here: "_s + reasonFor(errno));
        m_mounts.append(path(rel));
        return true;
    }

    // A file system of `type` made by `mkfs` on an image of `megabytes`, mounted at `rel`.
    bool mountImage(const QString& rel, const char* type, const QStringList& mkfs, int megabytes)
    {
        const QString image = path(rel + u".img"_s);
        QFile file(image);
        if (!file.open(QIODevice::WriteOnly) || !file.resize(qint64(megabytes) << 20))
            return refuse(u"cannot make an image file"_s);
        file.close();
        QProcess make;
        make.start(mkfs.first(), mkfs.mid(1) << image);
        if (!make.waitForFinished(120000) || make.exitStatus() != QProcess::NormalExit
            || make.exitCode() != 0)
            return refuse(
                mkfs.first() + u" failed: "_s + QString::fromLocal8Bit(make.readAllStandardError()));
        QDir().mkpath(path(rel));
        QProcess mount;
        mount.start(u"mount"_s, {u"-t"_s, QString::fromLatin1(type), u"-o"_s, u"loop"_s, image, path(rel)});
        if (!mount.waitForFinished(120000) || mount.exitStatus() != QProcess::NormalExit
            || mount.exitCode() != 0)
            return refuse(
                u"cannot mount the image: "_s + QString::fromLocal8Bit(mount.readAllStandardError()));
        m_mounts.append(path(rel));
        return true;
    }

    bool remountReadOnly(const QString& rel)
    {
        if (::mount(
                nullptr, QFile::encodeName(path(rel)).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr)
            != 0)
            return refuse(u"cannot remount read-only: "_s + reasonFor(errno));
        return true;
    }

    // Fills the file system holding `rel` until `leave` bytes are free.
    bool fill(const QString& rel, off_t leave)
    {
        const QByteArray name = QFile::encodeName(path(rel + u"/.filler"_s));
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0)
            return refuse(u"cannot make the filler: "_s + reasonFor(errno));
        const QByteArray block(4096, 'f');
        off_t size = 0;
        ssize_t n;
        while ((n = ::write(fd, block.constData(), size_t(block.size()))) > 0)
            size += n;
        if (leave > 0 && ::ftruncate(fd, size > leave ? size - leave : 0) != 0) {
            const int error = errno;
            ::close(fd);
            return refuse(u"cannot free room on the full disk: "_s + reasonFor(error));
        }
        ::close(fd);
        return true;
    }

    bool setImmutable(const QString& path, bool on)
    {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
        int flags = 0;
        const bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0
            && ::ioctl(fd, FS_IOC_SETFLAGS,
                   (flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL, &flags))
                == 0;
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        if (!done)
            return refuse(u"this file system has no immutable flag: "_s + reasonFor(error));
        if (on)
            m_immutable.append(path);
        return true;
    }

    void write(const QString& rel, const QByteArray& bytes) const
    {
        QDir().mkpath(QFileInfo(path(rel)).absolutePath());
        QFile file(path(rel));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }

    QByteArray read(const QString& rel) const
    {
        QFile file(path(rel));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>"_ba;
    }

    struct stat stat(const QString& rel) const
    {
        struct stat st { };
        ::lstat(QFile::encodeName(path(rel)).constData(), &st);
        return st;
    }

    // Every entry below the folder, hidden ones included; the filler is not counted.
    QSet<QString> entries() const
    {
        QSet<QString> names;
        QDirIterator it(path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
            QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString name = QDir(path()).relativeFilePath(it.next());
            if (!name.endsWith(u".filler"_s) && !name.endsWith(u".img"_s))
                names.insert(name);
        }
        return names;
    }

private:
    bool refuse(const QString& reason)
    {
        skipReason = reason;
        return false;
    }

    QTemporaryDir m_dir;
    QStringList m_mounts;
    QStringList m_immutable;
};

// What the writer says of a save: its reason (when the case knows it), the system's error
// (0: not checked), and how many older copies it tells of.
struct Said {
    std::optional<PlaylistWriter::Reason> reason = {};
    int error = 0;
    qsizetype olderCopies = 0;
};

Said failedWith(int error) { return {{}, error}; }

Said refused(PlaylistWriter::Reason reason) { return {reason}; }

struct DiskCase {
    const char* label;
    QString folder; // where the save goes, relative to the test's folder
    QString name;   // typed into the file-name box
    int entries;    // picks of a 204-byte file name
    std::function<bool(Disk&)> prepare;
    bool saved;
    Said said; // what the writer said: the refusal or failure, older copies
    // Files that must hold these bytes afterwards (kNew: the playlist just saved).
    QList<std::pair<QString, QByteArray>> files;
    std::function<void(const Disk&)> verify = nullptr; // further checks on the result
    Fault fault = {};
};

void PrintTo(const DiskCase& c, std::ostream* os) { *os << c.label; }

class SaveDiskTest : public ::testing::TestWithParam<DiskCase>
{ };

// Each case: the result tells the truth, the files hold what they should (an existing
// file exactly its old bytes after a failure), and no temporary file is left anywhere.
TEST_P(SaveDiskTest, SavesOrKeepsTheFile)
{
    const DiskCase& c = GetParam();
    Disk disk;
    // Copies of old content that cannot go beside a file go to a state folder of the test's.
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    if (c.prepare && !c.prepare(disk))
        GTEST_SKIP() << disk.skipReason.toStdString();

    Playlist list;
    list.start();
    const QString longName = QString(200, u'n') + u".mp3"_s;
    for (int i = 0; i < c.entries; ++i)
        list.addFile(longName);
    const QByteArray playlist = list.bytes();
    const QSet<QString> before = disk.entries();

    list.writer().setWriteFault(c.fault);
    list.setName(c.name);
    const PlaylistWriter::Result said = list.save(FolderHandle::open(disk.path(c.folder)));
    const std::string message
        = QByteArray(QMetaEnum::fromType<PlaylistWriter::Reason>().valueToKey(int(said.reason)))
              .toStdString();

    EXPECT_EQ(said.saved, c.saved);
    if (c.said.reason) {
        EXPECT_EQ(said.reason, *c.said.reason) << message;
    }
    if (c.said.error != 0) {
        EXPECT_EQ(said.error, c.said.error) << message;
    }
    EXPECT_EQ(said.olderCopies.size(), c.said.olderCopies) << message;
    for (const QString& copy : said.olderCopies)
        EXPECT_TRUE(copy.startsWith(u'/')) << "a copy named by its whole path: " << copy.toStdString();
    for (const auto& [rel, bytes] : c.files)
        EXPECT_EQ(disk.read(rel), bytes == kNew ? playlist : bytes) << rel.toStdString();

    QSet<QString> added = disk.entries() - before;
    if (c.saved)
        added.remove(QDir::cleanPath(c.folder + u'/' + c.name).remove(QRegularExpression(u"^/"_s)));
    EXPECT_TRUE(added.isEmpty()) << "left behind: "
                                 << QStringList(added.values()).join(u", "_s).toStdString();
    EXPECT_TRUE((before - disk.entries()).isEmpty()) << "a file went missing";
    EXPECT_EQ(list.bytes(), playlist) << "the playlist stays";
    EXPECT_EQ(QDir(state.filePath(u"cantorel/backups"_s)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        QStringList())
        << "a copy of old content was left in the state folder";
    if (c.verify)
        c.verify(disk);
}

bool smallDisk(Disk& d, off_t leave, bool hardLink = false)
{
    if (!d.mountTmpfs(u"small"_s, "size=64k"))
        return false;
    d.write(u"small/keep.m3u"_s, kOld);
    if (hardLink
        && ::link(QFile::encodeName(d.path(u"small/keep.m3u"_s)).constData(),
               QFile::encodeName(d.path(u"small/other.m3u"_s)).constData())
            != 0) {
        d.skipReason = u"cannot make a second link: "_s + reasonFor(errno);
        return false;
    }
    return d.fill(u"small"_s, leave);
}

bool readOnlyDisk(Disk& d)
{
    if (!d.mountTmpfs(u"ro"_s, "size=64k"))
        return false;
    d.write(u"ro/keep.m3u"_s, kOld);
    return d.remountReadOnly(u"ro"_s);
}

bool hardLinked(Disk& d)
{
    d.write(u"keep.m3u"_s, kOld);
    return ::link(QFile::encodeName(d.path(u"keep.m3u"_s)).constData(),
               QFile::encodeName(d.path(u"other.m3u"_s)).constData())
        == 0;
}

bool symlinkTo(Disk& d, const char* target)
{
    return ::symlink(target, QFile::encodeName(d.path(u"mix.m3u"_s)).constData()) == 0;
}

// The name still shares its file with the other link: the file was kept, not replaced.
std::function<void(const Disk&)> stillLinked(const QString& rel)
{
    return [rel](const Disk& d) { EXPECT_EQ(d.stat(rel).st_nlink, 2u) << rel.toStdString(); };
}

const std::function<bool(Disk&)> kOldPlaylist = [](Disk& d) {
    d.write(u"keep.m3u"_s, kOld);
    return true;
};

const QByteArray kMp3 = "ID3\x04\0\0\0\0\x10\x7F"_ba + QByteArray(64, '\x55');

// `name` is a second hard link to a media file holding `content`.
std::function<bool(Disk&)> hardLinkTo(const QString& media, const QByteArray& content)
{
    return [media, content](Disk& d) {
        d.write(media, content);
        return ::link(QFile::encodeName(d.path(media)).constData(),
                   QFile::encodeName(d.path(u"mix.m3u"_s)).constData())
            == 0;
    };
}

// Runs a tool of the acl or attr package on a file of the test's folder.
bool runTool(Disk& d, const QString& tool, const QStringList& args)
{
    QProcess process;
    process.start(tool, args);
    if (!process.waitForFinished() || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        d.skipReason = tool + u" refused: "_s + QString::fromLocal8Bit(process.readAllStandardError());
        return false;
    }
    return true;
}

QByteArray attribute(const Disk& d, const QString& rel, const char* name)
{
    QByteArray value(4096, '\0');
    const ssize_t n
        = ::getxattr(QFile::encodeName(d.path(rel)).constData(), name, value.data(), size_t(value.size()));
    return n < 0 ? "<none>"_ba : value.left(n);
}

// A playlist whose ACL lets one more user write it, with a narrower owning group, and a
// user attribute; the save must keep all three and the mode as it was.
bool withAclAndAttribute(Disk& d)
{
    kOldPlaylist(d);
    const QString file = d.path(u"keep.m3u"_s);
    return ::chmod(QFile::encodeName(file).constData(), 0640) == 0
        && runTool(d, u"setfacl"_s, {u"-m"_s, u"u:1234:rw,g::r,m::rw"_s, file})
        && runTool(d, u"setfattr"_s, {u"-n"_s, u"user.cantorel.note"_s, u"-v"_s, u"kept"_s, file});
}

// A sticky folder everyone may write (like /tmp), holding a link to a playlist elsewhere
// made by the user `linkOwner`; the folder belongs to `folderOwner`.
std::function<bool(Disk&)> stickyFolderLink(uid_t linkOwner, uid_t folderOwner)
{
    return [=](Disk& d) {
        d.write(u"home/list.m3u"_s, kOld);
        QDir().mkpath(d.path(u"shared"_s));
        const QByteArray folder = QFile::encodeName(d.path(u"shared"_s));
        const QByteArray link = QFile::encodeName(d.path(u"shared/party.m3u"_s));
        if (::chmod(folder.constData(), 01777) != 0 || ::symlink("../home/list.m3u", link.constData()) != 0
            || ::lchown(link.constData(), linkOwner, linkOwner) != 0
            || ::chown(folder.constData(), folderOwner, folderOwner) != 0) {
            d.skipReason = u"cannot give a link to another user: "_s + reasonFor(errno);
            return false;
        }
        return true;
    };
}

// Files whose names begin like the writer's temporaries, untouched for two minutes.
bool likeTemporaries(Disk& d)
{
    const struct timespec twoMinutesAgo[2] = {{std::time(nullptr) - 120, 0}, {std::time(nullptr) - 120, 0}};
    for (const QString& name : {u".cantorel-save-my-notes.txt"_s, u".cantorel-save-x.cantorel-backup"_s}) {
        d.write(name, kOld);
        ::utimensat(AT_FDCWD, QFile::encodeName(d.path(name)).constData(), twoMinutesAgo, 0);
    }
    return true;
}

INSTANTIATE_TEST_SUITE_P(Cases, SaveDiskTest, ::testing::Values(
    // A full disk: a temporary file can be made (tmpfs counts inodes apart), no byte fits.
    DiskCase{"full_disk", u"small"_s, u"keep.m3u"_s, 1,
             [](Disk& d) { return smallDisk(d, 0); },
             false, failedWith(ENOSPC), {{u"small/keep.m3u"_s, kOld}}},
    DiskCase{"full_after_four_kib", u"small"_s, u"keep.m3u"_s, 60,
             [](Disk& d) { return smallDisk(d, 4096); },
             false, failedWith(ENOSPC), {{u"small/keep.m3u"_s, kOld}}},
    DiskCase{"spans_many_buffer_fills", u"big"_s, u"keep.m3u"_s, 400,
             [](Disk& d) {
                 if (!d.mountTmpfs(u"big"_s, "size=1m"))
                     return false;
                 d.write(u"big/keep.m3u"_s, kOld);
                 return ::chmod(QFile::encodeName(d.path(u"big/keep.m3u"_s)).constData(), 0640) == 0;
             },
             true, {}, {{u"big/keep.m3u"_s, kNew}},
             [](const Disk& d) { EXPECT_EQ(d.stat(u"big/keep.m3u"_s).st_mode & 07777, 0640u); }},
    // Rewritten in place (hard link) on a disk that fills up: the old text comes back.
    DiskCase{"hard_linked_on_a_full_disk", u"small"_s, u"keep.m3u"_s, 60,
             [](Disk& d) { return smallDisk(d, 4096, true); },
             false, failedWith(ENOSPC),
             {{u"small/keep.m3u"_s, kOld}, {u"small/other.m3u"_s, kOld}},
             stillLinked(u"small/keep.m3u"_s)},
    DiskCase{"read_only_mount_existing_file", u"ro"_s, u"keep.m3u"_s, 1, readOnlyDisk,
             false, failedWith(EROFS), {{u"ro/keep.m3u"_s, kOld}}},
    DiskCase{"read_only_mount_new_file", u"ro"_s, u"new.m3u"_s, 1, readOnlyDisk,
             false, failedWith(EROFS), {{u"ro/keep.m3u"_s, kOld}}},
    // No new file can be made in an immutable folder, but its file may still be rewritten.
    DiskCase{"immutable_folder", u"locked"_s, u"keep.m3u"_s, 3,
             [](Disk& d) {
                 d.write(u"locked/keep.m3u"_s, kOld);
                 return d.setImmutable(d.path(u"locked"_s), true);
             },
             true, {}, {{u"locked/keep.m3u"_s, kNew}}},
    // Nowhere to keep a copy of the old content (no new file in the folder, no state
    // folder): the file is not rewritten at all.
    DiskCase{"no_copy_anywhere_is_refused", u"locked"_s, u"keep.m3u"_s, 3,
             [](Disk& d) {
                 d.write(u"locked/keep.m3u"_s, kOld);
                 qputenv("XDG_STATE_HOME", "/proc/cantorel-state");
                 return d.setImmutable(d.path(u"locked"_s), true);
             },
             false, refused(PlaylistWriter::Reason::NoCopyKept), {{u"locked/keep.m3u"_s, kOld}}},
    DiskCase{"immutable_file", {}, u"keep.m3u"_s, 3,
             [](Disk& d) { return kOldPlaylist(d) && d.setImmutable(d.path(u"keep.m3u"_s), true); },
             false, failedWith(EPERM), {{u"keep.m3u"_s, kOld}}},
    DiskCase{"hard_links_share_the_new_text", {}, u"keep.m3u"_s, 3, hardLinked,
             true, {}, {{u"keep.m3u"_s, kNew}, {u"other.m3u"_s, kNew}},
             stillLinked(u"keep.m3u"_s)},
    DiskCase{"another_owner_keeps_the_file", {}, u"keep.m3u"_s, 3,
             [](Disk& d) {
                 kOldPlaylist(d);
                 if (::chown(QFile::encodeName(d.path(u"keep.m3u"_s)).constData(), 1234, 1234) == 0)
                     return true;
                 d.skipReason = u"cannot give a file to another user: "_s + reasonFor(errno);
                 return false;
             },
             true, {}, {{u"keep.m3u"_s, kNew}},
             [](const Disk& d) {
                 EXPECT_EQ(d.stat(u"keep.m3u"_s).st_uid, 1234u);
                 EXPECT_EQ(d.stat(u"keep.m3u"_s).st_gid, 1234u);
             }},
    DiskCase{"a_media_file", {}, u"a.wav"_s, 1,
             [](Disk& d) { d.write(u"a.wav"_s, kMedia); return true; },
             false, refused(PlaylistWriter::Reason::MediaName), {{u"a.wav"_s, kMedia}}},
    DiskCase{"a_media_file_in_other_case", {}, u"Song.MP3"_s, 1,
             [](Disk& d) { d.write(u"Song.MP3"_s, kMedia); return true; },
             false, refused(PlaylistWriter::Reason::MediaName), {{u"Song.MP3"_s, kMedia}}},
    DiskCase{"a_new_file_may_take_a_media_name", {}, u"new.wav"_s, 1, nullptr,
             true, {}, {{u"new.wav"_s, kNew}}},
    DiskCase{"link_to_a_media_file", {}, u"mix.m3u"_s, 1,
             [](Disk& d) { d.write(u"song.wav"_s, kMedia); return symlinkTo(d, "song.wav"); },
             false, refused(PlaylistWriter::Reason::LinkToMedia), {{u"song.wav"_s, kMedia}},
             [](const Disk& d) { EXPECT_TRUE(S_ISLNK(d.stat(u"mix.m3u"_s).st_mode)); }},
    DiskCase{"link_into_another_folder", {}, u"mix.m3u"_s, 3,
             [](Disk& d) { d.write(u"other/list.m3u"_s, kOld); return symlinkTo(d, "other/list.m3u"); },
             true, {}, {{u"other/list.m3u"_s, kNew}},
             [](const Disk& d) { EXPECT_TRUE(S_ISLNK(d.stat(u"mix.m3u"_s).st_mode)); }},
    DiskCase{"link_to_a_missing_file", {}, u"mix.m3u"_s, 1,
             [](Disk& d) { return symlinkTo(d, "missing.m3u"); },
             false, refused(PlaylistWriter::Reason::LinkToNothing), {},
             [](const Disk& d) { EXPECT_FALSE(QFileInfo::exists(d.path(u"missing.m3u"_s))); }},
    DiskCase{"a_fifo_named_like_a_playlist", {}, u"party.m3u"_s, 1,
             [](Disk& d) {
                 return ::mkfifo(QFile::encodeName(d.path(u"party.m3u"_s)).constData(), 0644) == 0;
             },
             false, refused(PlaylistWriter::Reason::NotAFile), {}},
    // Faults no mount produces on demand: short writes must still write everything, and a
    // write that fails or takes nothing must never end in "Saved".
    DiskCase{"short_writes", {}, u"keep.m3u"_s, 20, kOldPlaylist,
             true, {}, {{u"keep.m3u"_s, kNew}}, nullptr, Fault{-1, 0, 7}},
    DiskCase{"write_fails_at_the_first_byte", {}, u"keep.m3u"_s, 20, kOldPlaylist,
             false, failedWith(ENOSPC), {{u"keep.m3u"_s, kOld}}, nullptr, Fault{0, ENOSPC, 0}},
    DiskCase{"write_fails_mid_file", {}, u"keep.m3u"_s, 20, kOldPlaylist,
             false, failedWith(EIO), {{u"keep.m3u"_s, kOld}}, nullptr, Fault{1000, EIO, 300}},
    DiskCase{"write_takes_nothing_mid_file", {}, u"keep.m3u"_s, 20, kOldPlaylist,
             false, failedWith(PlaylistWriter::kNoProgress), {{u"keep.m3u"_s, kOld}}, nullptr, Fault{50, 0, 0}},
    DiskCase{"in_place_write_fails_mid_file", {}, u"keep.m3u"_s, 20, hardLinked,
             false, failedWith(EIO), {{u"keep.m3u"_s, kOld}, {u"other.m3u"_s, kOld}},
             stillLinked(u"keep.m3u"_s), Fault{1000, EIO, 300}},
    DiskCase{"in_place_short_writes", {}, u"keep.m3u"_s, 20, hardLinked,
             true, {}, {{u"keep.m3u"_s, kNew}, {u"other.m3u"_s, kNew}}, nullptr, Fault{-1, 0, 5}},
    // Media is known by its content too, whatever the name it is reached by.
    DiskCase{"hard_link_to_a_wav", {}, u"mix.m3u"_s, 1, hardLinkTo(u"song.wav"_s, kMedia),
             false, refused(PlaylistWriter::Reason::MediaContent), {{u"song.wav"_s, kMedia}, {u"mix.m3u"_s, kMedia}}},
    DiskCase{"hard_link_to_an_mp3", {}, u"mix.m3u"_s, 1, hardLinkTo(u"song.mp3"_s, kMp3),
             false, refused(PlaylistWriter::Reason::MediaContent), {{u"song.mp3"_s, kMp3}}},
    DiskCase{"media_renamed_like_a_playlist", {}, u"song.m3u"_s, 1,
             [](Disk& d) { d.write(u"song.m3u"_s, kMedia); return true; },
             false, refused(PlaylistWriter::Reason::MediaContent), {{u"song.m3u"_s, kMedia}}},
    DiskCase{"acl_and_attributes_kept", {}, u"keep.m3u"_s, 3, withAclAndAttribute,
             true, {}, {{u"keep.m3u"_s, kNew}},
             [](const Disk& d) {
                 EXPECT_EQ(d.stat(u"keep.m3u"_s).st_mode & 07777, 0660u) << "group bits = ACL mask";
                 EXPECT_EQ(attribute(d, u"keep.m3u"_s, "user.cantorel.note"), "kept"_ba);
                 QProcess getfacl;
                 getfacl.start(u"getfacl"_s, {u"-c"_s, u"-n"_s, d.path(u"keep.m3u"_s)});
                 getfacl.waitForFinished();
                 const QByteArray acl = getfacl.readAllStandardOutput();
                 EXPECT_TRUE(acl.contains("user:1234:rw-") && acl.contains("group::r--")
                             && acl.contains("mask::rw-")) << acl.constData();
             }},
    DiskCase{"other_users_link_in_a_sticky_folder", u"shared"_s, u"party.m3u"_s, 1,
             stickyFolderLink(1234, 0),
             false, refused(PlaylistWriter::Reason::SharedFolderLink), {{u"home/list.m3u"_s, kOld}}},
    // The folder's owner may plant links as well as anyone who may write it.
    DiskCase{"folder_owners_link_in_a_sticky_folder", u"shared"_s, u"party.m3u"_s, 1,
             stickyFolderLink(1234, 1234),
             false, refused(PlaylistWriter::Reason::SharedFolderLink), {{u"home/list.m3u"_s, kOld}}},
    // A new file gets the mode the folder's default ACL gives, not the umask's.
    DiskCase{"default_acl_gives_the_new_mode", u"acl"_s, u"new.m3u"_s, 1,
             [](Disk& d) {
                 QDir().mkpath(d.path(u"acl"_s));
                 return runTool(d, u"setfacl"_s, {u"-d"_s, u"-m"_s, u"u::rw,g::r,o::-,m::rw"_s, d.path(u"acl"_s)});
             },
             true, {}, {{u"acl/new.m3u"_s, kNew}},
             [](const Disk& d) { EXPECT_EQ(d.stat(u"acl/new.m3u"_s).st_mode & 07777, 0660u) << "mask, not umask"; }},
    // A copy that a cut-off save left is kept as it is, and the user is told where.
    DiskCase{"older_copy_is_kept_and_told", {}, u"keep.m3u"_s, 3,
             [](Disk& d) {
                 d.write(u".keep.m3u.cantorel-backup"_s, "older"_ba);
                 return hardLinked(d);
             },
             true, Said{{}, 0, 1},
             {{u"keep.m3u"_s, kNew}, {u".keep.m3u.cantorel-backup"_s, "older"_ba}}},
    // Only the writer's own temporaries are leftovers: these stay, as everything else.
    DiskCase{"names_like_temporaries_are_kept", {}, u"new.m3u"_s, 1, likeTemporaries,
             true, {}, {{u".cantorel-save-my-notes.txt"_s, kOld}, {u".cantorel-save-x.cantorel-backup"_s, kOld}}}),
    [](const auto& info) { return std::string(info.param.label); });

// On a nearly full copy-on-write file system (btrfs) rewriting a file needs new room, and
// so may putting its old content back: a rewrite in place that fails there says truly what
// the file holds, and where a damaged file's whole old content is kept.
TEST(SaveNearlyFullTest, CopyOnWriteDiskTellsTheTruth)
{
    Disk disk;
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    if (::geteuid() != 0
        || !disk.mountImage(u"cow"_s, "btrfs", {u"mkfs.btrfs"_s, u"-q"_s, u"-f"_s, u"-M"_s}, 64)) {
        GTEST_SKIP() << (::geteuid() != 0 ? "mounting needs root" : disk.skipReason.toStdString());
    }
    QByteArray old = "#EXTM3U\r\n";
    while (old.size() < (256 << 10))
        old += "an old entry of the playlist.mp3\r\n";
    disk.write(u"cow/keep.m3u"_s, old);
    ASSERT_EQ(::link(QFile::encodeName(disk.path(u"cow/keep.m3u"_s)).constData(),
                  QFile::encodeName(disk.path(u"cow/other.m3u"_s)).constData()),
        0);
    ::sync();
    ASSERT_TRUE(disk.fill(u"cow"_s, 0)) << disk.skipReason.toStdString();
    ::sync();

    Playlist playlist;
    playlist.start();
    for (int i = 0; i < 20000; ++i)
        playlist.addFile(u"a new entry of the playlist, longer than the old ones were.mp3"_s);
    playlist.setName(u"keep.m3u"_s);
    const PlaylistWriter::Result said = playlist.save(FolderHandle::open(disk.path(u"cow"_s)));
    if (said.saved) {
        GTEST_SKIP() << "the disk had room after all";
    }
    if (said.holds == PlaylistWriter::Holds::OldContent) {
        EXPECT_EQ(disk.read(u"cow/keep.m3u"_s), old);
    } else {
        ASSERT_EQ(said.holds, PlaylistWriter::Holds::Damaged);
        ASSERT_FALSE(said.copyPath.isEmpty()) << "damaged, and no copy named";
        QFile copy(said.copyPath);
        ASSERT_TRUE(copy.open(QIODevice::ReadOnly)) << said.copyPath.toStdString();
        EXPECT_EQ(copy.readAll(), old);
    }
}

// --- what only looks like a copy of an older save --------------------------------------

// Writes a file by its path's bytes (relative to the working folder, too).
bool writeBytes(const QByteArray& path, const QByteArray& bytes)
{
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

struct PlantedCopyCase {
    const char* label;
    // Puts something under the name of keep.m3u's copy beside it (in the folder `dir`).
    std::function<bool(const QString& dir)> plant;
};

void PrintTo(const PlantedCopyCase& c, std::ostream* os) { *os << c.label; }

class PlantedCopyTest : public ::testing::TestWithParam<PlantedCopyCase>
{ };

// Only a copy the user's own save made is announced as an older copy of the file: what
// another user, or nothing at all, put under that name is neither named nor touched.
TEST_P(PlantedCopyTest, IsNotAnnounced)
{
    QTemporaryDir dir;
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    const QString copy = dir.filePath(u".keep.m3u.cantorel-backup"_s);
    ASSERT_TRUE(writeBytes(QFile::encodeName(dir.filePath(u"keep.m3u"_s)), kOld));
    if (!GetParam().plant(dir.path())) {
        GTEST_SKIP() << "the system refuses: " << std::strerror(errno);
    }
    QFile planted(copy);
    ASSERT_TRUE(planted.open(QIODevice::ReadOnly));
    const QByteArray before = planted.readAll();

    PlaylistWriter writer;
    const PlaylistWriter::Result result
        = writer.write(FolderHandle::open(dir.path()), u"keep.m3u"_s, "#EXTM3U\r\n");
    EXPECT_TRUE(result.saved);
    EXPECT_EQ(result.olderCopies, QStringList());
    planted.seek(0);
    EXPECT_EQ(planted.readAll(), before);
}

INSTANTIATE_TEST_SUITE_P(Plants, PlantedCopyTest,
    ::testing::Values(PlantedCopyCase {"another_users_file",
                          [](const QString& dir) {
                              const QByteArray copy
                                  = QFile::encodeName(dir + u"/.keep.m3u.cantorel-backup"_s);
                              return writeBytes(copy, kOld) && ::chown(copy.constData(), 1234, 1234) == 0;
                          }},
        PlantedCopyCase {"empty",
            [](const QString& dir) {
                return writeBytes(QFile::encodeName(dir + u"/.keep.m3u.cantorel-backup"_s), {});
            }},
        PlantedCopyCase {"hard_link_to_another_file",
            [](const QString& dir) {
                return writeBytes(QFile::encodeName(dir + u"/notes.txt"_s), "mine")
                    && ::link(QFile::encodeName(dir + u"/notes.txt"_s).constData(),
                           QFile::encodeName(dir + u"/.keep.m3u.cantorel-backup"_s).constData())
                    == 0;
            }}),
    [](const auto& info) { return std::string(info.param.label); });

// A folder whose path is longer than the system gives out names a copy by the file name
// alone, to be shown in "the folder Cantorel was started in", never by a path cut short
// (such as the name in the root folder).
TEST(SaveDeepFolderTest, CopyIsNamedInTheFolderCantorelWasStartedIn)
{
    QTemporaryDir dir;
    const QString component(200, u'd');
    const int start = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(start, 0);
    const auto back = qScopeGuard([&] {
        EXPECT_EQ(::fchdir(start), 0);
        ::close(start);
        QProcess::execute(u"rm"_s, {u"-rf"_s, u"--"_s, dir.filePath(component)});
    });
    ASSERT_EQ(::chdir(QFile::encodeName(dir.path()).constData()), 0);
    for (int depth = 0; depth * (component.size() + 1) <= PATH_MAX; ++depth)
        ASSERT_TRUE(::mkdir(QFile::encodeName(component).constData(), 0700) == 0
            && ::chdir(QFile::encodeName(component).constData()) == 0);
    ASSERT_TRUE(writeBytes("keep.m3u", kOld) && writeBytes(".keep.m3u.cantorel-backup", kOld));
    const FolderHandle folder = FolderHandle::openWorkingDirectory();

    PlaylistWriter writer;
    const PlaylistWriter::Result result = writer.write(folder, u"keep.m3u"_s, "#EXTM3U\r\n");
    EXPECT_TRUE(result.saved);
    EXPECT_EQ(result.olderCopies, QStringList {u".keep.m3u.cantorel-backup"_s});
}

// --- other programs holding the file ----------------------------------------------

struct HoldCase {
    const char* label;
    // Holds keep.m3u (open as `fd`) as another program would; false when the system refuses.
    std::function<bool(int fd)> hold;
    int openFlags;
    bool saved;
    PlaylistWriter::Reason reason = PlaylistWriter::Reason::None;
};

void PrintTo(const HoldCase& c, std::ostream* os) { *os << c.label; }

class SaveHeldFileTest : public ::testing::TestWithParam<HoldCase>
{ };

int g_leaseFd = -1;

// A lease holder lets go when told that someone opens the file, as a file server does.
void letGoOfLease(int) { ::fcntl(g_leaseFd, F_SETLEASE, F_UNLCK); }

// Another program's hold is waited for within the lock wait; a lock still held then is
// reported as what it is.
TEST_P(SaveHeldFileTest, WaitsAndSaysWhoHoldsIt)
{
    const HoldCase& c = GetParam();
    Disk disk;
    kOldPlaylist(disk);
    const int fd = ::open(QFile::encodeName(disk.path(u"keep.m3u"_s)).constData(), c.openFlags | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const auto closeIt = qScopeGuard([&] { ::close(fd); });
    if (!c.hold(fd)) {
        GTEST_SKIP() << "the system refuses the hold: " << std::strerror(errno);
    }
    PlaylistWriter writer;
    writer.setLockWait(300);
    const PlaylistWriter::Result result = writer.write(FolderHandle::open(disk.path()), u"keep.m3u"_s, kNew);
    EXPECT_EQ(result.saved, c.saved);
    EXPECT_EQ(result.reason, c.reason);
    EXPECT_EQ(disk.read(u"keep.m3u"_s), c.saved ? kNew : kOld);
}

INSTANTIATE_TEST_SUITE_P(Holds, SaveHeldFileTest,
    ::testing::Values(HoldCase {"flock_of_a_writer", [](int fd) { return ::flock(fd, LOCK_EX) == 0; }, O_RDWR,
                          false, PlaylistWriter::Reason::AnotherWriter},
        HoldCase {"read_lock",
            [](int fd) {
                struct flock lock { };
                lock.l_type = F_RDLCK;
                lock.l_whence = SEEK_SET;
                return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
            },
            O_RDONLY, false, PlaylistWriter::Reason::AnotherReader},
        HoldCase {"lease_let_go",
            [](int fd) {
                g_leaseFd = fd;
                struct sigaction action { };
                action.sa_handler = letGoOfLease;
                ::sigaction(SIGIO, &action, nullptr);
                return ::fcntl(fd, F_SETLEASE, F_RDLCK) == 0;
            },
            O_RDONLY, true}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace

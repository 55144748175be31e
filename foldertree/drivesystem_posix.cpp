// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// The drive-and-folder layer on POSIX systems (Linux): drive letters for the mounted
// volumes as MountTable assigns them, folders read with opendir/readdir, attributes
// with stat.
#include "DirTree/drivesystem.h"
#include "mounttable.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <vector>

namespace Cantorel {

namespace {

constexpr const char* kMountInfo = "/proc/self/mountinfo";
constexpr const char* kLabelFolder = "/dev/disk/by-label/";

bool isHiddenName(const std::string& name) { return name.size() > 1 && name[0] == '.' && name != ".."; }

bool isSystemMode(mode_t mode) { return S_ISSOCK(mode) || S_ISFIFO(mode) || S_ISCHR(mode) || S_ISBLK(mode); }

bool isFolder(const std::string& path)
{
    struct stat st { };
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The volumes of the mount table, read once and again only after the kernel has said
// that the table changed (it flags an open /proc/self/mountinfo as readable with POLLPRI
// then), so one pass over the 26 letters reads it once, yet a drive letter that changes
// its volume between two passes is seen. Safe to use from several threads at once: the
// table is read under a lock, and the volumes are worked out outside it (that asks bind
// mount points whether they are folders, which a dead server may never answer), so a
// thread held there holds no other; a table read later never gives way to one read before.
class MountCache
{
public:
    MountCache() : m_fd(::open(kMountInfo, O_RDONLY | O_CLOEXEC)) { }
    ~MountCache()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    MountCache(const MountCache&) = delete;
    MountCache& operator=(const MountCache&) = delete;

    std::optional<MountTable::Mount> mountOf(char letter)
    {
        std::string table;
        std::uint64_t read = 0;
        {
            std::lock_guard lock(m_mutex);
            if (!m_read || changed()) {
                table = readTable();
                read = ++m_tablesRead;
            }
        }
        if (read) {
            std::vector<MountTable::Volume> volumes = MountTable::parse(table).volumes(isFolder);
            std::lock_guard lock(m_mutex);
            if (read > m_volumesOf) {
                m_volumes = std::move(volumes);
                m_volumesOf = read;
                m_read = m_fd >= 0;
            }
        }
        std::lock_guard lock(m_mutex);
        for (const MountTable::Volume& v : m_volumes) {
            if (v.letter == letter)
                return v.mount;
        }
        return std::nullopt;
    }

private:
    bool changed() const
    {
        pollfd p {m_fd, POLLPRI, 0};
        return ::poll(&p, 1, 0) != 0;
    }

    // Reading the table to its end also clears the kernel's flag.
    std::string readTable() const
    {
        if (m_fd < 0)
            return readFile(kMountInfo);
        std::string text;
        char buffer[16384];
        if (::lseek(m_fd, 0, SEEK_SET) != 0)
            return readFile(kMountInfo);
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            text.append(buffer, static_cast<std::size_t>(n));
        }
        return text;
    }

    int m_fd;
    std::mutex m_mutex;
    bool m_read = false;                       // a table's volumes are in, under m_mutex
    std::uint64_t m_tablesRead = 0;            // under m_mutex
    std::uint64_t m_volumesOf = 0;             // the table m_volumes comes from, under m_mutex
    std::vector<MountTable::Volume> m_volumes; // under m_mutex
};

// The block device behind a mount: the device node named as its source where there is
// one (btrfs and others report an anonymous device number in the table), else the
// table's own number.
dev_t deviceOf(const MountTable::Mount& m)
{
    struct stat st { };
    if (m.source.rfind("/dev/", 0) == 0 && ::stat(m.source.c_str(), &st) == 0 && S_ISBLK(st.st_mode))
        return st.st_rdev;
    return makedev(m.major, m.minor);
}

bool isRemovableDevice(const MountTable::Mount& m)
{
    const dev_t dev = deviceOf(m);
    const std::string link
        = "/sys/dev/block/" + std::to_string(major(dev)) + ':' + std::to_string(minor(dev));
    char* resolved = ::realpath(link.c_str(), nullptr);
    if (!resolved)
        return false;
    std::string disk = resolved;
    std::free(resolved);
    // A partition carries no "removable" file of its own; its disk is the folder above.
    if (::access((disk + "/partition").c_str(), F_OK) == 0)
        disk.erase(disk.rfind('/'));
    return readFile(disk + "/removable").rfind('1', 0) == 0;
}

std::string labelOf(const MountTable::Mount& m)
{
    if (m.source.rfind("/dev/", 0) != 0)
        return {};
    const dev_t dev = deviceOf(m);
    DIR* dir = ::opendir(kLabelFolder);
    if (!dir)
        return {};
    std::string label;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        struct stat st { };
        if (name == "." || name == ".." || ::stat((kLabelFolder + name).c_str(), &st) != 0)
            continue;
        if (S_ISBLK(st.st_mode) && st.st_rdev == dev) {
            label = MountTable::decodeLabel(name);
            break;
        }
    }
    ::closedir(dir);
    return label;
}

class PosixFolderEnumeration : public FolderEnumeration
{
public:
    explicit PosixFolderEnumeration(DIR* dir) : m_dir(dir) { }
    ~PosixFolderEnumeration() override { close(); }
    PosixFolderEnumeration(const PosixFolderEnumeration&) = delete;
    PosixFolderEnumeration& operator=(const PosixFolderEnumeration&) = delete;

    Step next(std::string& name) override
    {
        while (m_dir) {
            errno = 0;
            const dirent* e = ::readdir(m_dir);
            if (!e) {
                const Step step = errno != 0 ? Step::Failed : Step::End;
                close();
                return step;
            }
            std::string entry = e->d_name;
            if (isHiddenName(entry) || isSystemEntry(*e))
                continue;
            name = std::move(entry);
            m_type = typeOf(e->d_type);
            return Step::Entry;
        }
        return Step::End;
    }

    EntryType entryType() const override { return m_type; }

private:
    // The directory entry's own type, where the file system gives one: a folder that
    // can be read but not searched still tells its files from its folders this way. A
    // link is left to the attributes, which follow it.
    static EntryType typeOf(unsigned char type)
    {
        switch (type) {
        case DT_DIR: return EntryType::Folder;
        case DT_REG: return EntryType::File;
        default: return EntryType::Unknown;
        }
    }

    bool isSystemEntry(const dirent& e) const
    {
        switch (e.d_type) {
        case DT_SOCK:
        case DT_FIFO:
        case DT_CHR:
        case DT_BLK: return true;
        case DT_UNKNOWN: {
            // Some file systems leave the type to a stat of their own.
            struct stat st { };
            return ::fstatat(::dirfd(m_dir), e.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0
                && isSystemMode(st.st_mode);
        }
        default: return false;
        }
    }

    void close()
    {
        if (m_dir)
            ::closedir(m_dir);
        m_dir = nullptr;
    }

    DIR* m_dir;
    EntryType m_type = EntryType::Unknown;
};

class PosixDriveSystem : public DriveSystem
{
public:
    int driveType(char letter) const override
    {
        const auto mount = m_mounts.mountOf(letter);
        return mount ? MountTable::driveTypeOf(*mount, isRemovableDevice(*mount)) : NoRootDir;
    }

    std::optional<std::string> volumeLabel(char letter) const override
    {
        const auto mount = m_mounts.mountOf(letter);
        // Only a bind mount can be of a file; a file system's own root is not asked.
        if (!mount || (mount->root != "/" && !isFolder(mount->mountPoint)))
            return std::nullopt;
        return labelOf(*mount);
    }

    std::string rootPath(char letter) const override
    {
        const auto mount = m_mounts.mountOf(letter);
        if (!mount)
            return {};
        return mount->mountPoint == "/" ? mount->mountPoint : mount->mountPoint + '/';
    }

    char separator() const override { return '/'; }

    std::unique_ptr<FolderEnumeration> enumerate(const std::string& folder) const override
    {
        DIR* dir = ::opendir(folder.c_str());
        if (!dir)
            return nullptr;
        return std::make_unique<PosixFolderEnumeration>(dir);
    }

    std::optional<Attributes> attributes(const std::string& path) const override
    {
        const std::size_t slash = path.find_last_of('/');
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        struct stat st { };
        if (::stat(path.c_str(), &st) != 0) {
            // A link whose target is missing or loops back on itself is still an entry
            // of its own, and not a folder; anything else that cannot be read is a
            // failure.
            if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
                return std::nullopt;
        }
        Attributes a;
        a.directory = S_ISDIR(st.st_mode);
        a.hidden = isHiddenName(name);
        a.system = isSystemMode(st.st_mode);
        return a;
    }

private:
    mutable MountCache m_mounts;
};

} // namespace

std::unique_ptr<DriveSystem> DriveSystem::createPlatform() { return std::make_unique<PosixDriveSystem>(); }

} // namespace Cantorel

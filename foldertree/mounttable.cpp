// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "mounttable.h"

#include "DirTree/drivesystem.h"

#include <algorithm>
#include <map>
#include <utility>

namespace Cantorel {

namespace {

// File systems that hold no user files: kernel interfaces, control groups, containers'
// plumbing, desktop helpers, and read-only package images.
constexpr std::string_view kPseudoTypes[] = {
    "autofs",
    "binfmt_misc",
    "bpf",
    "cgroup",
    "cgroup2",
    "configfs",
    "debugfs",
    "devfs",
    "devpts",
    "devtmpfs",
    "efivarfs",
    "fusectl",
    "fuse.gvfsd-fuse",
    "fuse.lxcfs",
    "fuse.portal",
    "fuse.snapfuse",
    "hugetlbfs",
    "mqueue",
    "nfsd",
    "nsfs",
    "proc",
    "pstore",
    "rootfs",
    "rpc_pipefs",
    "securityfs",
    "selinuxfs",
    "squashfs",
    "sysfs",
    "tracefs",
};

constexpr std::string_view kRemoteTypes[] = {
    "nfs",
    "nfs4",
    "cifs",
    "smb3",
    "smbfs",
    "ncpfs",
    "afs",
    "9p",
    "ceph",
    "glusterfs",
    "lustre",
    "davfs",
    "fuse.sshfs",
    "fuse.rclone",
    "fuse.davfs2",
    "fuse.s3fs",
};

constexpr std::string_view kRamTypes[] = {"tmpfs", "ramfs"};
constexpr std::string_view kOpticalTypes[] = {"iso9660", "udf"};

// Areas of the system that hold its running state, not anyone's files.
constexpr std::string_view kRuntimeAreas[] = {"/proc", "/sys", "/dev", "/run"};
constexpr std::string_view kRemovableMediaArea = "/run/media";

template <std::size_t N> bool isOneOf(std::string_view value, const std::string_view (&list)[N])
{
    return std::find(std::begin(list), std::end(list), value) != std::end(list);
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// Whether `path` is `area` or lies below it.
bool isInside(std::string_view path, std::string_view area)
{
    return startsWith(path, area) && (path.size() == area.size() || path[area.size()] == '/');
}

bool isOctal(char c) { return c >= '0' && c <= '7'; }

// The kernel writes blank, tab, line feed and backslash in paths as \040, \011, \012, \134.
std::string unescapeOctal(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) && isOctal(field[i + 2])
            && isOctal(field[i + 3])) {
            out.push_back(static_cast<char>(
                ((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0')));
            i += 3;
        } else {
            out.push_back(field[i]);
        }
    }
    return out;
}

std::vector<std::string_view> splitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const std::size_t end = std::min(line.find(' ', pos), line.size());
        if (end > pos)
            fields.push_back(line.substr(pos, end - pos));
        pos = end + 1;
    }
    return fields;
}

bool parseDevice(std::string_view field, unsigned& major, unsigned& minor)
{
    const std::size_t colon = field.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 == field.size())
        return false;
    auto number = [](std::string_view digits, unsigned& value) {
        value = 0;
        for (char c : digits) {
            if (c < '0' || c > '9')
                return false;
            value = value * 10 + static_cast<unsigned>(c - '0');
        }
        return true;
    };
    return number(field.substr(0, colon), major) && number(field.substr(colon + 1), minor);
}

bool holdsUserFiles(const MountTable::Mount& m)
{
    if (isOneOf(m.fsType, kPseudoTypes) || startsWith(m.source, "/dev/loop"))
        return false;
    if (isInside(m.mountPoint, kRemovableMediaArea))
        return true;
    return std::none_of(std::begin(kRuntimeAreas), std::end(kRuntimeAreas),
        [&](std::string_view area) { return isInside(m.mountPoint, area); });
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

MountTable MountTable::parse(std::string_view mountinfo)
{
    MountTable table;
    std::size_t pos = 0;
    while (pos < mountinfo.size()) {
        const std::size_t end = std::min(mountinfo.find('\n', pos), mountinfo.size());
        const std::vector<std::string_view> f = splitFields(mountinfo.substr(pos, end - pos));
        pos = end + 1;

        // id parent major:minor root mount-point options [optional...] - type source super
        const auto dash = std::find(f.begin(), f.end(), std::string_view("-"));
        if (f.size() < 6 || dash == f.end() || dash - f.begin() < 6 || f.end() - dash < 3)
            continue;
        Mount m;
        if (!parseDevice(f[2], m.major, m.minor))
            continue;
        m.root = unescapeOctal(f[3]);
        m.mountPoint = unescapeOctal(f[4]);
        m.fsType = std::string(dash[1]);
        m.source = unescapeOctal(dash[2]);
        table.m_mounts.push_back(std::move(m));
    }
    return table;
}

std::vector<MountTable::Volume> MountTable::volumes(
    const std::function<bool(const std::string&)>& isFolder) const
{
    // A later mount on the same mount point hides the earlier one. The map also keeps
    // the mount points in byte order, which is the order of the letters from D: on.
    std::map<std::string, const Mount*> visible;
    for (const Mount& m : m_mounts)
        visible[m.mountPoint] = &m;

    std::vector<Volume> result;
    std::pair<unsigned, unsigned> rootDevice {~0u, ~0u};
    if (const auto root = visible.find("/"); root != visible.end()) {
        result.push_back(Volume {'C', *root->second});
        rootDevice = {root->second->major, root->second->minor};
    }

    // One mount per file system: its own root first, then the shortest root, then the
    // first mount point in byte order. The file system on "/" is held by C: already.
    std::map<std::pair<unsigned, unsigned>, const Mount*> perDevice;
    for (const auto& [point, m] : visible) {
        const std::pair<unsigned, unsigned> device {m->major, m->minor};
        // A file system's own root is a folder: only a mount of a part of one (a bind
        // mount, which may be of a file) is asked, so a server that does not answer
        // never holds the table.
        if (point == "/" || device == rootDevice || !holdsUserFiles(*m)
            || (isFolder && m->root != "/" && !isFolder(point)))
            continue;
        auto [it, inserted] = perDevice.try_emplace(device, m);
        if (inserted)
            continue;
        const Mount* held = it->second;
        if (held->root != "/" && (m->root == "/" || m->root.size() < held->root.size()))
            it->second = m;
    }

    std::vector<const Mount*> chosen;
    for (const auto& [device, m] : perDevice)
        chosen.push_back(m);
    std::sort(chosen.begin(), chosen.end(),
        [](const Mount* a, const Mount* b) { return a->mountPoint < b->mountPoint; });

    char next = 'D';
    for (const Mount* m : chosen) {
        if (next > 'Z')
            break;
        result.push_back(Volume {next++, *m});
    }
    return result;
}

int MountTable::driveTypeOf(const Mount& mount, bool removableDevice)
{
    const std::string_view type = mount.fsType;
    const std::string_view source = mount.source;
    if (isOneOf(type, kRemoteTypes) || startsWith(source, "//")
        || (source.find(":/") != std::string_view::npos && !startsWith(source, "/")))
        return DriveSystem::Remote;
    if (isOneOf(type, kRamTypes))
        return DriveSystem::RamDisk;
    if (isOneOf(type, kOpticalTypes) || startsWith(source, "/dev/sr") || startsWith(source, "/dev/scd"))
        return DriveSystem::CdRom;
    if (removableDevice)
        return DriveSystem::Removable;
    if (startsWith(source, "/dev/") || type == "overlay" || type == "btrfs" || type == "zfs"
        || type == "fuseblk")
        return DriveSystem::Fixed;
    return DriveSystem::Unknown;
}

std::string MountTable::decodeLabel(std::string_view name)
{
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            const int hi = hexDigit(name[i + 2]);
            const int lo = hexDigit(name[i + 3]);
            if (hi >= 0 && lo >= 0) {
                out.push_back(static_cast<char>(hi * 16 + lo));
                i += 3;
                continue;
            }
        }
        out.push_back(name[i]);
    }
    return out;
}

} // namespace Cantorel

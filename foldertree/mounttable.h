// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace Cantorel {

// The mount table of a POSIX system, read from the text of /proc/self/mountinfo, and
// the drive letters the folder tree gives its volumes. Pure: it reads nothing itself,
// so every rule can be tried with lines written out by hand.
//
// Drive letters, in this order:
//  1. C: is the mount on "/", whatever its file system.
//  2. Every other mount that holds files a user keeps takes the next free letter from D:
//     on, in the byte order of the mount points ("/boot" before "/home" before
//     "/media/ann/STICK"). Mounts beyond Z: get no letter. A: and B: stay unused.
//  Skipped, so they never take a letter:
//  - pseudo file systems (proc, sysfs, devtmpfs, devpts, cgroup, ... see kPseudoTypes),
//    snap and other squashfs images and anything mounted from a loop device;
//  - everything mounted inside /proc, /sys, /dev and /run (the system's runtime areas),
//    except under /run/media, where desktops mount removable media;
//  - a mount hidden by a later mount on the same mount point;
//  - a second mount of the same file system (a bind mount of a folder that is already
//    reachable): the file system on "/" belongs to C:; for any other, the mount of the
//    file system's own root wins, else the one with the shortest root, else the first
//    mount point in byte order;
//  - with a folder test supplied, mount points that are not folders (a container's
//    bind-mounted /etc/hosts).
class MountTable
{
public:
    struct Mount {
        unsigned major = 0;
        unsigned minor = 0;
        std::string root;       // the folder of the file system that is mounted here
        std::string mountPoint; // unescaped
        std::string fsType;     // "ext4", "fuse.sshfs", ...
        std::string source;     // unescaped: "/dev/sda1", "server:/export", "tmpfs"
    };

    struct Volume {
        char letter = 0;
        Mount mount;
    };

    // Lines that do not have the fields of a mountinfo line are skipped.
    static MountTable parse(std::string_view mountinfo);

    const std::vector<Mount>& mounts() const { return m_mounts; }

    // The volumes in letter order. `isFolder`, when given, is asked about each
    // candidate mount point that mounts a part of a file system (root other than "/").
    std::vector<Volume> volumes(const std::function<bool(const std::string&)>& isFolder = {}) const;

    // The drive type (numbered as DriveSystem::DriveType) of a mount; `removableDevice`
    // says whether its block device reports removable media.
    static int driveTypeOf(const Mount& mount, bool removableDevice);

    // Undoes the \xNN escapes that udev writes into /dev/disk/by-label names.
    static std::string decodeLabel(std::string_view name);

private:
    std::vector<Mount> m_mounts;
};

} // namespace Cantorel

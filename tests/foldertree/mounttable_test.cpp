// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// The mount table parser and the drive letters it hands out, with lines as the kernel
// writes them into /proc/self/mountinfo.
#include "DirTree/drivesystem.h"
#include "mounttable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Cantorel;

namespace {

// A desktop machine: a second disk on /home, a USB stick with a blank in its label, a
// disc, a network share, /tmp in memory, and the mounts that must not get a letter.
constexpr const char* kDesktop
    = "22 28 0:21 / /proc rw,nosuid,nodev,noexec,relatime shared:13 - proc proc rw\n"
      "23 28 0:22 / /sys rw,nosuid,nodev,noexec,relatime shared:2 - sysfs sysfs rw\n"
      "24 28 0:5 / /dev rw,nosuid,relatime shared:8 - devtmpfs udev rw,size=8052020k\n"
      "28 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw,errors=remount-ro\n"
      "30 23 0:26 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime shared:9 - cgroup2 cgroup2 rw\n"
      "45 28 8:17 / /home rw,relatime shared:30 - ext4 /dev/sdb1 rw\n"
      "46 28 7:3 / /snap/core22/1380 ro,nodev,relatime shared:31 - squashfs /dev/loop3 ro\n"
      "47 28 0:44 / /tmp rw,nosuid,nodev shared:32 - tmpfs tmpfs rw,size=4096k\n"
      "48 28 8:1 /srv/share /export/share rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
      "49 28 8:17 /ann/Music /music rw,relatime shared:30 - ext4 /dev/sdb1 rw\n"
      "50 28 8:33 / /media/ann/My\\040Stick rw,nosuid,nodev shared:40 - vfat /dev/sdc1 rw,uid=1000\n"
      "51 28 11:0 / /media/cdrom ro,nosuid,nodev shared:41 - iso9660 /dev/sr0 ro\n"
      "52 28 0:50 / /mnt/nas rw,relatime shared:42 - nfs4 server:/export/nas rw,vers=4.2\n"
      "53 28 0:51 / /run/user/1000 rw,nosuid,nodev shared:43 - tmpfs tmpfs rw,mode=700\n"
      "54 28 8:49 / /run/media/ann/CARD rw,nosuid shared:44 - exfat /dev/sdd1 rw\n"
      "55 28 0:52 / /mnt/win rw,relatime shared:45 - cifs //nas/public rw,vers=3.0\n"
      "56 53 0:53 / /run/user/1000/gvfs rw,nosuid shared:46 - fuse.gvfsd-fuse gvfsd-fuse rw\n";

// A container: an overlay root, the runtime's file bind mounts, one bind-mounted
// project folder from the host's disk.
constexpr const char* kContainer
    = "600 550 0:120 / / rw,relatime master:300 - overlay overlay "
      "rw,lowerdir=/var/lib/docker/overlay2/l/A:/var/lib/docker/overlay2/l/B,upperdir=/var/lib/docker/"
      "overlay2/x/diff,workdir=/var/lib/docker/overlay2/x/work\n"
      "601 600 0:123 / /proc rw,nosuid,nodev,noexec,relatime - proc proc rw\n"
      "602 600 0:124 / /dev rw,nosuid - tmpfs tmpfs rw,size=65536k,mode=755\n"
      "603 602 0:125 / /dev/pts rw,nosuid,noexec,relatime - devpts devpts rw,gid=5,mode=620\n"
      "604 600 0:126 / /sys ro,nosuid,nodev,noexec,relatime - sysfs sysfs ro\n"
      "605 604 0:30 / /sys/fs/cgroup ro,nosuid,nodev,noexec,relatime - cgroup2 cgroup ro\n"
      "606 602 0:122 / /dev/mqueue rw,nosuid,nodev,noexec,relatime - mqueue mqueue rw\n"
      "607 600 254:1 /var/lib/docker/containers/abc/resolv.conf /etc/resolv.conf rw,relatime - ext4 "
      "/dev/vda1 rw\n"
      "608 600 254:1 /var/lib/docker/containers/abc/hostname /etc/hostname rw,relatime - ext4 /dev/vda1 rw\n"
      "609 600 254:1 /var/lib/docker/containers/abc/hosts /etc/hosts rw,relatime - ext4 /dev/vda1 rw\n"
      "610 600 254:1 /home/ann/project\\040one /work rw,relatime - ext4 /dev/vda1 rw\n"
      "611 602 0:127 / /dev/shm rw,nosuid,nodev,noexec,relatime - tmpfs shm rw,size=65536k\n";

struct Letter {
    char letter;
    std::string mountPoint;
    bool operator==(const Letter&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Letter& l) { return os << l.letter << ": " << l.mountPoint; }

std::vector<Letter> lettersOf(
    const MountTable& table, const std::function<bool(const std::string&)>& isFolder = {})
{
    std::vector<Letter> letters;
    for (const MountTable::Volume& v : table.volumes(isFolder))
        letters.push_back({v.letter, v.mount.mountPoint});
    return letters;
}

TEST(MountTable, DesktopGetsLettersInMountPointOrder)
{
    const std::vector<Letter> expected {
        {'C', "/"},
        {'D', "/home"},
        {'E', "/media/ann/My Stick"},
        {'F', "/media/cdrom"},
        {'G', "/mnt/nas"},
        {'H', "/mnt/win"},
        {'I', "/run/media/ann/CARD"},
        {'J', "/tmp"},
    };
    EXPECT_EQ(lettersOf(MountTable::parse(kDesktop)), expected);
    // Whole file systems are never asked whether their mount point is a folder (a server
    // that does not answer would hold the table): only bind mounts, which may be of files.
    std::vector<std::string> asked;
    const auto isFolder = [&asked](const std::string& path) {
        asked.push_back(path);
        return true;
    };
    EXPECT_EQ(lettersOf(MountTable::parse(kDesktop), isFolder), expected);
    EXPECT_EQ(asked, std::vector<std::string> {"/music"});
}

TEST(MountTable, ContainerKeepsItsRootAndBoundFoldersButNotBoundFiles)
{
    const auto isFolder = [](const std::string& path) { return path.rfind("/etc/", 0) != 0; };
    const std::vector<Letter> expected {{'C', "/"}, {'D', "/work"}};
    const MountTable table = MountTable::parse(kContainer);
    EXPECT_EQ(lettersOf(table, isFolder), expected);
    // Even without the folder test, the project folder wins over the files of its disk.
    EXPECT_EQ(lettersOf(table), expected);
    EXPECT_EQ(table.mounts().back().mountPoint, "/dev/shm");
    EXPECT_EQ(table.mounts()[10].root, "/home/ann/project one");
    EXPECT_EQ(MountTable::driveTypeOf(table.mounts().front(), false), DriveSystem::Fixed);
}

TEST(MountTable, FieldsAreUnescaped)
{
    const MountTable table = MountTable::parse("70 28 8:2 /a\\134b /mnt/tab\\011and\\040blank\\012line rw "
                                               "shared:7 master:2 - ext4 /dev/disk\\040x rw\n");
    ASSERT_EQ(table.mounts().size(), 1u);
    const MountTable::Mount& m = table.mounts()[0];
    EXPECT_EQ(m.major, 8u);
    EXPECT_EQ(m.minor, 2u);
    EXPECT_EQ(m.root, "/a\\b");
    EXPECT_EQ(m.mountPoint, "/mnt/tab\tand blank\nline");
    EXPECT_EQ(m.fsType, "ext4");
    EXPECT_EQ(m.source, "/dev/disk x");
}

TEST(MountTable, MalformedLinesAreSkipped)
{
    const MountTable table = MountTable::parse("\n"
                                               "garbage\n"
                                               "71 28 8:2 / /no-separator rw ext4 /dev/sda2 rw\n"
                                               "72 28 x:2 / /bad-device rw - ext4 /dev/sda2 rw\n"
                                               "73 28 8:2 / /short rw -\n"
                                               "74 28 8:2 / /good rw - ext4 /dev/sda2 rw");
    ASSERT_EQ(table.mounts().size(), 1u);
    EXPECT_EQ(table.mounts()[0].mountPoint, "/good");
}

TEST(MountTable, LaterMountHidesTheEarlierOne)
{
    const MountTable table = MountTable::parse("28 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                               "40 28 8:17 / /data rw - ext4 /dev/sdb1 rw\n"
                                               "41 28 8:33 / /data rw - xfs /dev/sdc1 rw\n");
    const auto volumes = table.volumes();
    ASSERT_EQ(volumes.size(), 2u);
    EXPECT_EQ(volumes[1].mount.source, "/dev/sdc1");
}

TEST(MountTable, LettersStopAtZ)
{
    std::string text = "28 1 8:1 / / rw - ext4 /dev/sda1 rw\n";
    for (int i = 0; i < 30; ++i) {
        const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
        text += std::to_string(100 + i) + " 28 0:" + std::to_string(200 + i) + " / /mnt/d" + n
            + " rw - tmpfs tmpfs rw\n";
    }
    const auto volumes = MountTable::parse(text).volumes();
    ASSERT_EQ(volumes.size(), 24u); // C: to Z:
    EXPECT_EQ(volumes.back().letter, 'Z');
    EXPECT_EQ(volumes.back().mount.mountPoint, "/mnt/d22");
}

struct TypeCase {
    const char* name;
    const char* fsType;
    const char* source;
    bool removable;
    int expected;
};

class DriveTypeOf : public ::testing::TestWithParam<TypeCase>
{ };

TEST_P(DriveTypeOf, ClassifiesTheMount)
{
    MountTable::Mount m;
    m.fsType = GetParam().fsType;
    m.source = GetParam().source;
    EXPECT_EQ(MountTable::driveTypeOf(m, GetParam().removable), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Mounts, DriveTypeOf,
    ::testing::Values(TypeCase {"Disk", "ext4", "/dev/nvme0n1p2", false, DriveSystem::Fixed},
        TypeCase {"Stick", "vfat", "/dev/sdc1", true, DriveSystem::Removable},
        TypeCase {"UsbHardDisk", "ntfs3", "/dev/sde1", false, DriveSystem::Fixed},
        TypeCase {"Disc", "iso9660", "/dev/sr0", true, DriveSystem::CdRom},
        TypeCase {"UdfDisc", "udf", "/dev/sr1", false, DriveSystem::CdRom},
        TypeCase {"Nfs", "nfs4", "server:/export", false, DriveSystem::Remote},
        TypeCase {"Samba", "cifs", "//nas/public", false, DriveSystem::Remote},
        TypeCase {"Sshfs", "fuse.sshfs", "ann@host:", false, DriveSystem::Remote},
        TypeCase {"Tmpfs", "tmpfs", "tmpfs", false, DriveSystem::RamDisk},
        TypeCase {"Ramfs", "ramfs", "ramfs", false, DriveSystem::RamDisk},
        TypeCase {"ContainerRoot", "overlay", "overlay", false, DriveSystem::Fixed},
        TypeCase {"Btrfs", "btrfs", "/dev/mapper/root", false, DriveSystem::Fixed},
        TypeCase {"StrangeFuse", "fuse.something", "something", false, DriveSystem::Unknown}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MountTable, LabelsLoseTheirUdevEscapes)
{
    EXPECT_EQ(MountTable::decodeLabel("My\\x20Stick"), "My Stick");
    EXPECT_EQ(MountTable::decodeLabel("A\\x2fB\\x5c"), "A/B\\");
    EXPECT_EQ(MountTable::decodeLabel("half\\x2"), "half\\x2");
    EXPECT_EQ(MountTable::decodeLabel("not\\xzz"), "not\\xzz");
}

} // namespace

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// The POSIX drive-and-folder layer against real folders: what a listing yields, what
// the attributes say, and failures that happen for every user, root included.
#include "DirTree/drivesystem.h"

#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

using namespace Cantorel;
#include <set>

namespace fs = std::filesystem;

namespace {

class PosixDrives : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/cantorel-drives-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_root = pattern;
        folder = m_root.string() + '/';

        fs::create_directory(m_root / "Alpha");
        fs::create_directory(m_root / ".hidden");
        fs::create_directory(m_root / "with blank");
        fs::create_directory(m_root / "Größe ñ 日本");
        std::ofstream(m_root / "file.txt") << "x";
        fs::create_directory_symlink("Alpha", m_root / "linked");
        fs::create_symlink("loop", m_root / "loop");
        fs::create_symlink("missing", m_root / "dangling");
        ASSERT_EQ(::mkfifo((m_root / "pipe").c_str(), 0600), 0);

        m_socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        const std::string socketPath = (m_root / "sock").string();
        ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
        std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
        ASSERT_EQ(::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    }

    void TearDown() override
    {
        if (m_socket >= 0)
            ::close(m_socket);
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    std::set<std::string> listing(const std::string& path) const
    {
        std::set<std::string> names;
        const auto entries = drives->enumerate(path);
        EXPECT_TRUE(entries);
        if (!entries)
            return names;
        std::string name;
        FolderEnumeration::Step step;
        while ((step = entries->next(name)) == FolderEnumeration::Step::Entry)
            names.insert(name);
        EXPECT_EQ(step, FolderEnumeration::Step::End);
        EXPECT_EQ(entries->next(name), FolderEnumeration::Step::End);
        return names;
    }

    std::unique_ptr<DriveSystem> drives = DriveSystem::createPlatform();
    std::string folder;

private:
    fs::path m_root;
    int m_socket = -1;
};

TEST_F(PosixDrives, ListingLeavesOutHiddenAndSystemEntries)
{
    const std::set<std::string> expected {
        ".", "..", "Alpha", "with blank", "Größe ñ 日本", "file.txt", "linked", "loop", "dangling"};
    EXPECT_EQ(listing(folder), expected);
}

struct AttributeCase {
    const char* name;
    const char* entry;
    bool readable;
    bool directory;
    bool hidden;
    bool system;
};

class PosixAttributes : public PosixDrives, public ::testing::WithParamInterface<AttributeCase>
{ };

TEST_P(PosixAttributes, AreReadOrFail)
{
    const auto a = drives->attributes(folder + GetParam().entry);
    ASSERT_EQ(a.has_value(), GetParam().readable);
    if (!a)
        return;
    EXPECT_EQ(a->directory, GetParam().directory);
    EXPECT_EQ(a->hidden, GetParam().hidden);
    EXPECT_EQ(a->system, GetParam().system);
}

INSTANTIATE_TEST_SUITE_P(Entries, PosixAttributes,
    ::testing::Values(AttributeCase {"Folder", "Alpha", true, true, false, false},
        AttributeCase {"NonAsciiFolder", "Größe ñ 日本", true, true, false, false},
        AttributeCase {"File", "file.txt", true, false, false, false},
        AttributeCase {"HiddenFolder", ".hidden", true, true, true, false},
        AttributeCase {"LinkToFolderIsAFolder", "linked", true, true, false, false},
        AttributeCase {"LinkLoopIsNoFolder", "loop", true, false, false, false},
        AttributeCase {"DanglingLinkIsNoFolder", "dangling", true, false, false, false},
        AttributeCase {"Pipe", "pipe", true, false, false, true},
        AttributeCase {"Socket", "sock", true, false, false, true},
        AttributeCase {"Missing", "nothing-here", false, false, false, false},
        AttributeCase {"ThroughAFile", "file.txt/inner", false, false, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PosixDrives, ListingsThatCannotStart)
{
    EXPECT_EQ(drives->enumerate(folder + "nothing-here/"), nullptr);
    EXPECT_EQ(drives->enumerate(folder + "file.txt/"), nullptr);
    EXPECT_EQ(drives->enumerate(folder + "loop/"), nullptr);
    EXPECT_EQ(drives->enumerate(folder + "file.txt/inner/"), nullptr);
}

TEST_F(PosixDrives, ListingThroughALinkedFolder)
{
    std::ofstream(folder + "Alpha/inside.txt") << "x";
    EXPECT_EQ(listing(folder + "linked/"), (std::set<std::string> {".", "..", "inside.txt"}));
}

TEST(PosixDriveLetters, RootIsCAndLettersWithoutVolumesFail)
{
    const auto drives = DriveSystem::createPlatform();
    EXPECT_EQ(drives->separator(), '/');
    EXPECT_EQ(drives->rootPath('C'), "/");
    const int type = drives->driveType('C');
    EXPECT_TRUE(type == DriveSystem::Fixed || type == DriveSystem::Unknown || type == DriveSystem::Remote
        || type == DriveSystem::RamDisk)
        << type;
    EXPECT_TRUE(drives->volumeLabel('C').has_value());
    for (char letter : {'A', 'B'}) {
        EXPECT_EQ(drives->driveType(letter), DriveSystem::NoRootDir);
        EXPECT_FALSE(drives->volumeLabel(letter).has_value());
        EXPECT_EQ(drives->rootPath(letter), "");
    }
}

// The mount table is read once per change, not per question: a volume mounted after a
// pass is seen by the next one, and gone once unmounted.
TEST(PosixDriveLetters, MountsBetweenPassesAreSeen)
{
    char pattern[] = "/tmp/cantorel-mount-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string point = pattern;
    const auto drives = DriveSystem::createPlatform();
    const auto letterOf = [&]() -> char {
        for (char letter = 'D'; letter <= 'Z'; ++letter) {
            if (drives->rootPath(letter) == point + '/')
                return letter;
        }
        return 0;
    };
    EXPECT_EQ(letterOf(), 0);
    if (::mount("cantorel-test", point.c_str(), "tmpfs", 0, "size=64k") != 0) {
        const int error = errno;
        ::rmdir(point.c_str());
        GTEST_SKIP() << "the machine refuses to mount a tmpfs: " << std::strerror(error);
    }
    const char letter = letterOf();
    EXPECT_NE(letter, 0);
    if (letter) {
        EXPECT_EQ(drives->driveType(letter), DriveSystem::RamDisk);
    }
    ::umount(point.c_str());
    EXPECT_EQ(letterOf(), 0);
    ::rmdir(point.c_str());
}

} // namespace

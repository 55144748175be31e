// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// cantorel_testfs: a FUSE file system for the save tests, passing everything through to a
// backing folder, that on the test's command holds writes at a chosen byte and refuses
// what some real file systems refuse.
//
//   cantorel_testfs BACKING MOUNTPOINT
//
// It mounts, prints "ready", and then reads commands on standard input, one a line, each
// answered by "ok" on standard output:
//   stall N        every write that would pass byte N of a file writes up to N and stops
//                  there; a write starting at N or later waits until the next release or
//                  drop, after printing "stalled PATH OFFSET" (and fails after 30 seconds
//                  without either, printing "gave up PATH OFFSET")
//   release        the held writes go on, and writes are no longer held
//   drop           the held writes fail (EIO) without writing: what a killed writer leaves
//   chmod off|on   changing a mode fails with ENOSYS (FAT through FUSE), or works
//   noreplace off|on  renaming with RENAME_NOREPLACE fails with EINVAL, or works
//   setxattr off|on   setting an extended attribute fails with EOPNOTSUPP, or works
//   link off|on    making a hard link fails with EPERM (FAT through FUSE), or works
//   fsyncdir eio|erofs|on  syncing a folder fails with EIO or EROFS (a file system that
//                  turned read-only after an error), or works
//   fsync eio|on   syncing a file fails with EIO, or works
//   holdrename     the next rename waits until the next release or drop, after printing
//                  "renaming FROM TO" (a drop makes it fail with EIO)
//   creates        prints "create PATH MODE" (MODE in octal, as the file was made) for each
//                  file made since the start, before its "ok"
// Reads held for the folder tree's tests (see "Held reads" below):
//   holdreaddir PATH  a listing of the folder PATH (as the mount names it: "/", "/a/b")
//                  waits after printing "held readdir PATH", until the next releaseread
//   holdgetattr PATH  the same for reading the attributes of PATH ("held getattr PATH")
//   holdopendir PATH  the same for opening the folder PATH ("held opendir PATH")
//   releaseread    the held reads go on, and reads are no longer held; a held read nobody
//                  lets go of goes on after 30 seconds, printing "gave up read PATH"
// A file is never made unnamed (O_TMPFILE): this file system has no operation for it.
// At the end of its input it drops the held writes, unmounts and exits.
//
// Every file is opened for direct I/O, so each write of a program reaches the write
// handler at once and nothing is cached between the program and the backing folder.
#define FUSE_USE_VERSION 31

#include <fuse.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <set>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

int g_root = -1;
std::string g_backingPath; // for the attribute calls, which have no folder-relative form
constexpr std::chrono::seconds kLongest {30};
std::string g_mountPoint;

struct Control {
    std::mutex mutex;
    std::condition_variable changed;
    long long stallAt = -1;
    int generation = 0;          // counts releases and drops
    std::map<int, bool> dropped; // generation ended -> whether its writes failed
    std::atomic<bool> noChmod {false};
    std::atomic<bool> noReplaceFlag {false};
    std::atomic<bool> noSetXattr {false};
    std::atomic<bool> noLink {false};
    std::atomic<int> failFsyncDir {0}; // the errno a folder sync fails with
    std::atomic<bool> failFsync {false};
    std::atomic<bool> holdRename {false};
    std::vector<std::string> creates; // under `mutex`
} g_control;

std::mutex g_outMutex;

void say(const std::string& line)
{
    std::lock_guard lock(g_outMutex);
    std::cout << line << '\n' << std::flush;
}

// ---- Held reads: listings and attributes that wait for the test's word ----

struct ReadHolds {
    std::mutex mutex;
    std::condition_variable changed;
    std::map<std::string, std::set<std::string>> held; // by operation, the paths that wait
    int generation = 0;                                // counts releases
} g_readHolds;

// Waits while `path` is held for the operation `op` ("readdir", "getattr", "opendir").
void waitIfHeld(const char* op, const char* path)
{
    std::unique_lock lock(g_readHolds.mutex);
    if (!g_readHolds.held[op].count(path))
        return;
    const int generation = g_readHolds.generation;
    say("held " + std::string(op) + ' ' + path);
    if (!g_readHolds.changed.wait_for(lock, kLongest, [&] { return g_readHolds.generation != generation; }))
        say("gave up read " + std::string(path));
}

// The commands of held reads; false for any other line.
bool readHoldCommand(const std::string& line)
{
    std::lock_guard lock(g_readHolds.mutex);
    for (const char* op : {"readdir", "getattr", "opendir"}) {
        const std::string command = "hold" + std::string(op) + ' ';
        if (line.rfind(command, 0) == 0) {
            g_readHolds.held[op].insert(line.substr(command.size()));
            return true;
        }
    }
    if (line == "releaseread") {
        g_readHolds.held.clear();
        ++g_readHolds.generation;
        g_readHolds.changed.notify_all();
    } else {
        return false;
    }
    return true;
}

// ---- End of held reads ----

// The backing folder's relative name for a path of the mount.
std::string rel(const char* path) { return path[1] ? std::string(path + 1) : std::string("."); }

int fail() { return -errno; }

void* tfsInit(fuse_conn_info* conn, fuse_config* cfg)
{
    conn->want &= ~unsigned(FUSE_CAP_WRITEBACK_CACHE);
    cfg->use_ino = 1;
    cfg->hard_remove = 1;
    cfg->direct_io = 1;
    cfg->entry_timeout = 0;
    cfg->attr_timeout = 0;
    cfg->negative_timeout = 0;
    return nullptr;
}

int tfsGetattr(const char* path, struct stat* st, fuse_file_info* fi)
{
    waitIfHeld("getattr", path);
    if (fi)
        return ::fstat(int(fi->fh), st) == 0 ? 0 : fail();
    return ::fstatat(g_root, rel(path).c_str(), st, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : fail();
}

int tfsAccess(const char* path, int mask)
{
    return ::faccessat(g_root, rel(path).c_str(), mask, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : fail();
}

int tfsReadlink(const char* path, char* buf, size_t size)
{
    const ssize_t n = ::readlinkat(g_root, rel(path).c_str(), buf, size - 1);
    if (n < 0)
        return fail();
    buf[n] = '\0';
    return 0;
}

int tfsOpendir(const char* path, fuse_file_info*)
{
    waitIfHeld("opendir", path);
    return 0; // each listing opens the backing folder itself
}

int tfsReaddir(
    const char* path, void* buf, fuse_fill_dir_t filler, off_t, fuse_file_info*, fuse_readdir_flags)
{
    waitIfHeld("readdir", path);
    const int fd = ::openat(g_root, rel(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return fail();
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return fail();
    }
    while (const dirent* entry = ::readdir(dir)) {
        struct stat st { };
        st.st_ino = entry->d_ino;
        st.st_mode = mode_t(entry->d_type) << 12;
        if (filler(buf, entry->d_name, &st, 0, fuse_fill_dir_flags(0)))
            break;
    }
    ::closedir(dir);
    return 0;
}

int tfsMkdir(const char* path, mode_t mode)
{
    return ::mkdirat(g_root, rel(path).c_str(), mode) == 0 ? 0 : fail();
}

int tfsUnlink(const char* path) { return ::unlinkat(g_root, rel(path).c_str(), 0) == 0 ? 0 : fail(); }

int tfsRmdir(const char* path)
{
    return ::unlinkat(g_root, rel(path).c_str(), AT_REMOVEDIR) == 0 ? 0 : fail();
}

int tfsSymlink(const char* target, const char* path)
{
    return ::symlinkat(target, g_root, rel(path).c_str()) == 0 ? 0 : fail();
}

int tfsRename(const char* from, const char* to, unsigned int flags)
{
    if (g_control.holdRename.exchange(false)) {
        std::unique_lock lock(g_control.mutex);
        const int generation = g_control.generation;
        say("renaming " + std::string(from) + ' ' + std::string(to));
        if (!g_control.changed.wait_for(lock, kLongest, [&] { return g_control.generation != generation; })
            || g_control.dropped[generation + 1])
            return -EIO;
    }
    if ((flags & RENAME_NOREPLACE) && g_control.noReplaceFlag)
        return -EINVAL;
    return ::renameat2(g_root, rel(from).c_str(), g_root, rel(to).c_str(), flags) == 0 ? 0 : fail();
}

int tfsLink(const char* from, const char* to)
{
    if (g_control.noLink)
        return -EPERM;
    return ::linkat(g_root, rel(from).c_str(), g_root, rel(to).c_str(), 0) == 0 ? 0 : fail();
}

int tfsChmod(const char* path, mode_t mode, fuse_file_info* fi)
{
    if (g_control.noChmod)
        return -ENOSYS;
    if (fi)
        return ::fchmod(int(fi->fh), mode) == 0 ? 0 : fail();
    return ::fchmodat(g_root, rel(path).c_str(), mode, 0) == 0 ? 0 : fail();
}

int tfsChown(const char* path, uid_t uid, gid_t gid, fuse_file_info* fi)
{
    if (fi)
        return ::fchown(int(fi->fh), uid, gid) == 0 ? 0 : fail();
    return ::fchownat(g_root, rel(path).c_str(), uid, gid, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : fail();
}

int tfsTruncate(const char* path, off_t size, fuse_file_info* fi)
{
    if (fi)
        return ::ftruncate(int(fi->fh), size) == 0 ? 0 : fail();
    const int fd = ::openat(g_root, rel(path).c_str(), O_WRONLY);
    if (fd < 0)
        return fail();
    const int result = ::ftruncate(fd, size) == 0 ? 0 : fail();
    ::close(fd);
    return result;
}

int tfsUtimens(const char* path, const timespec tv[2], fuse_file_info* fi)
{
    if (fi)
        return ::futimens(int(fi->fh), tv) == 0 ? 0 : fail();
    return ::utimensat(g_root, rel(path).c_str(), tv, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : fail();
}

int tfsCreate(const char* path, mode_t mode, fuse_file_info* fi)
{
    const int fd = ::openat(g_root, rel(path).c_str(), fi->flags | O_CREAT, mode);
    if (fd < 0)
        return fail();
    {
        char octal[16];
        std::snprintf(octal, sizeof octal, "%04o", unsigned(mode & 07777));
        std::lock_guard lock(g_control.mutex);
        g_control.creates.push_back("create " + std::string(path) + ' ' + octal);
    }
    fi->fh = uint64_t(fd);
    fi->direct_io = 1;
    return 0;
}

int tfsOpen(const char* path, fuse_file_info* fi)
{
    const int fd = ::openat(g_root, rel(path).c_str(), fi->flags & ~O_NOFOLLOW);
    if (fd < 0)
        return fail();
    fi->fh = uint64_t(fd);
    fi->direct_io = 1;
    return 0;
}

int tfsRead(const char*, char* buf, size_t size, off_t offset, fuse_file_info* fi)
{
    const ssize_t n = ::pread(int(fi->fh), buf, size, offset);
    return n < 0 ? fail() : int(n);
}

int tfsWrite(const char* path, const char* buf, size_t size, off_t offset, fuse_file_info* fi)
{
    {
        std::unique_lock lock(g_control.mutex);
        const long long at = g_control.stallAt;
        if (at >= 0 && offset + (long long)size > at) {
            if (offset < at) {
                size = size_t(at - offset); // up to the byte, then the next write waits
            } else {
                const int generation = g_control.generation;
                say("stalled " + std::string(path) + ' ' + std::to_string(offset));
                // A write nobody lets go of fails after a while, so that a test whose
                // program misbehaves fails instead of hanging.
                if (!g_control.changed.wait_for(
                        lock, kLongest, [&] { return g_control.generation != generation; })) {
                    say("gave up " + std::string(path) + ' ' + std::to_string(offset));
                    return -EIO;
                }
                if (g_control.dropped[generation + 1])
                    return -EIO;
            }
        }
    }
    const ssize_t n = ::pwrite(int(fi->fh), buf, size, offset);
    return n < 0 ? fail() : int(n);
}

std::string backingPath(const char* path) { return g_backingPath + path; }

int tfsSetxattr(const char* path, const char* name, const char* value, size_t size, int flags)
{
    if (g_control.noSetXattr)
        return -EOPNOTSUPP;
    return ::lsetxattr(backingPath(path).c_str(), name, value, size, flags) == 0 ? 0 : fail();
}

int tfsGetxattr(const char* path, const char* name, char* value, size_t size)
{
    const ssize_t n = ::lgetxattr(backingPath(path).c_str(), name, value, size);
    return n < 0 ? fail() : int(n);
}

int tfsListxattr(const char* path, char* list, size_t size)
{
    const ssize_t n = ::llistxattr(backingPath(path).c_str(), list, size);
    return n < 0 ? fail() : int(n);
}

int tfsRemovexattr(const char* path, const char* name)
{
    return ::lremovexattr(backingPath(path).c_str(), name) == 0 ? 0 : fail();
}

int tfsStatfs(const char*, struct statvfs* st) { return ::fstatvfs(g_root, st) == 0 ? 0 : fail(); }

int tfsRelease(const char*, fuse_file_info* fi)
{
    ::close(int(fi->fh));
    return 0;
}

int tfsFsync(const char*, int dataOnly, fuse_file_info* fi)
{
    if (g_control.failFsync)
        return -EIO;
    const int result = dataOnly ? ::fdatasync(int(fi->fh)) : ::fsync(int(fi->fh));
    return result == 0 ? 0 : fail();
}

int tfsFsyncdir(const char* path, int, fuse_file_info*)
{
    if (const int error = g_control.failFsyncDir)
        return -error;
    const int fd = ::openat(g_root, rel(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return fail();
    const int result = ::fsync(fd) == 0 ? 0 : fail();
    ::close(fd);
    return result;
}

void endHeldWrites(bool drop)
{
    std::lock_guard lock(g_control.mutex);
    g_control.stallAt = -1;
    ++g_control.generation;
    g_control.dropped[g_control.generation] = drop;
    g_control.changed.notify_all();
}

void readCommands(fuse* fs)
{
    std::string line;
    while (std::getline(std::cin, line)) {
        if (readHoldCommand(line)) {
            say("ok");
            continue;
        }
        if (line.rfind("stall ", 0) == 0) {
            std::lock_guard lock(g_control.mutex);
            g_control.stallAt = std::stoll(line.substr(6));
        } else if (line == "release" || line == "drop") {
            endHeldWrites(line == "drop");
        } else if (line.rfind("chmod ", 0) == 0) {
            g_control.noChmod = line == "chmod off";
        } else if (line.rfind("noreplace ", 0) == 0) {
            g_control.noReplaceFlag = line == "noreplace off";
        } else if (line.rfind("setxattr ", 0) == 0) {
            g_control.noSetXattr = line == "setxattr off";
        } else if (line.rfind("link ", 0) == 0) {
            g_control.noLink = line == "link off";
        } else if (line.rfind("fsyncdir ", 0) == 0) {
            g_control.failFsyncDir = line == "fsyncdir eio" ? EIO : line == "fsyncdir erofs" ? EROFS : 0;
        } else if (line.rfind("fsync ", 0) == 0) {
            g_control.failFsync = line == "fsync eio";
        } else if (line == "holdrename") {
            g_control.holdRename = true;
        } else if (line == "creates") {
            std::lock_guard lock(g_control.mutex);
            for (const std::string& create : g_control.creates)
                say(create);
        } else {
            say("unknown " + line);
            continue;
        }
        say("ok");
    }
    endHeldWrites(true);
    readHoldCommand("releaseread");
    fuse_exit(fs);
    // The loop waits for the kernel's next request; unmounting ends the connection.
    ::umount2(g_mountPoint.c_str(), MNT_DETACH);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: cantorel_testfs BACKING MOUNTPOINT\n";
        return 2;
    }
    g_root = ::open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (g_root < 0) {
        std::cerr << "cannot open " << argv[1] << ": " << std::strerror(errno) << '\n';
        return 1;
    }
    g_mountPoint = argv[2];
    g_backingPath = argv[1];

    fuse_operations ops {};
    ops.init = tfsInit;
    ops.getattr = tfsGetattr;
    ops.access = tfsAccess;
    ops.readlink = tfsReadlink;
    ops.opendir = tfsOpendir;
    ops.readdir = tfsReaddir;
    ops.mkdir = tfsMkdir;
    ops.unlink = tfsUnlink;
    ops.rmdir = tfsRmdir;
    ops.symlink = tfsSymlink;
    ops.rename = tfsRename;
    ops.link = tfsLink;
    ops.chmod = tfsChmod;
    ops.chown = tfsChown;
    ops.truncate = tfsTruncate;
    ops.utimens = tfsUtimens;
    ops.create = tfsCreate;
    ops.open = tfsOpen;
    ops.read = tfsRead;
    ops.write = tfsWrite;
    ops.statfs = tfsStatfs;
    ops.release = tfsRelease;
    ops.fsync = tfsFsync;
    ops.fsyncdir = tfsFsyncdir;
    ops.setxattr = tfsSetxattr;
    ops.getxattr = tfsGetxattr;
    ops.listxattr = tfsListxattr;
    ops.removexattr = tfsRemovexattr;

    char arg0[] = "cantorel_testfs";
    char optFlag[] = "-o";
    char options[] = "fsname=cantorel-testfs,subtype=cantorel,default_permissions";
    char* fuseArgv[] = {arg0, optFlag, options};
    fuse_args args = FUSE_ARGS_INIT(3, fuseArgv);
    fuse* fs = fuse_new(&args, &ops, sizeof(ops), nullptr);
    if (!fs) {
        std::cerr << "cannot set up the file system\n";
        return 1;
    }
    if (fuse_mount(fs, argv[2]) != 0) {
        fuse_destroy(fs);
        std::cerr << "cannot mount on " << argv[2] << '\n';
        return 1;
    }
    say("ready");
    std::thread commands(readCommands, fs);
    const int result = fuse_loop_mt(fs, 0);
    fuse_unmount(fs);
    // Standard input may still be open (a test that kills the mount by unmounting).
    if (commands.joinable())
        commands.detach();
    fuse_destroy(fs);
    ::close(g_root);
    std::_Exit(result == 0 ? 0 : 1);
}

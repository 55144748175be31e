// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "linkfollower.h"

#include "fileattributes.h"
#include "savecommon.h"

#include <QList>

#include <cerrno>
#include <climits>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kMaxLinks = 40; // as the system's own limit

bool isOtherUser(uid_t uid) { return uid != ::geteuid() && uid != 0; }

// Whether someone besides the user and root belongs to the group `gid`: a listed member,
// or a user whose own group it is. An unknown group counts as shared.
bool hasOtherMembers(gid_t gid)
{
    std::vector<char> buffer(16384);
    struct group entry { };
    struct group* found = nullptr;
    while (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == ERANGE)
        buffer.resize(buffer.size() * 2);
    if (!found)
        return true;
    for (char** member = found->gr_mem; member && *member; ++member) {
        std::vector<char> userBuffer(16384);
        struct passwd user { };
        struct passwd* known = nullptr;
        if (::getpwnam_r(*member, &user, userBuffer.data(), userBuffer.size(), &known) != 0 || !known
            || isOtherUser(known->pw_uid))
            return true;
    }
    bool other = false;
    ::setpwent();
    struct passwd user { };
    struct passwd* next = nullptr;
    std::vector<char> userBuffer(16384);
    while (!other && ::getpwent_r(&user, userBuffer.data(), userBuffer.size(), &next) == 0 && next)
        other = next->pw_gid == gid && isOtherUser(next->pw_uid);
    ::endpwent();
    return other;
}

} // namespace

namespace LinkFollower {

bool mayOthersChange(int dirFd)
{
    struct stat st { };
    if (::fstat(dirFd, &st) != 0)
        return true;
    if (isOtherUser(st.st_uid) || (st.st_mode & S_IWOTH))
        return true;
    const auto acl = FileAttributes::acl(dirFd, FileAttributes::AclKind::Access);
    if (!acl)
        return (st.st_mode & S_IWGRP) && hasOtherMembers(st.st_gid);
    using Entry = FileAttributes::AclEntry;
    bool mask = true;
    for (const Entry& entry : *acl) {
        if (entry.tag == Entry::Mask)
            mask = entry.write;
    }
    for (const Entry& entry : *acl) {
        if (!entry.write)
            continue;
        switch (entry.tag) {
        case Entry::Others: return true;
        case Entry::User:
            if (mask && isOtherUser(uid_t(entry.id)))
                return true;
            break;
        case Entry::OwningGroup:
            if (mask && hasOtherMembers(st.st_gid))
                return true;
            break;
        case Entry::Group:
            if (mask && hasOtherMembers(gid_t(entry.id)))
                return true;
            break;
        case Entry::Owner:
        case Entry::Mask: break;
        }
    }
    return false;
}

int follow(int dirFd, const QByteArray& name, SavePlace& place, Stop& stop)
{
    // The components still to walk; a link's text takes its place at the front.
    QList<QByteArray> rest = {name};
    int dir = dirFd;
    QByteArray lastLink;
    const auto enter = [&](int fd) {
        if (fd < 0)
            return false;
        place.folder.reset(fd);
        dir = fd;
        return true;
    };
    const auto missing = [&](int error) {
        if (error == ENOENT)
            stop.dangling = lastLink;
        return error;
    };
    for (int links = 0;;) {
        const QByteArray part = rest.takeFirst();
        const bool last = rest.isEmpty();
        if (part.isEmpty() || part == ".") {
            if (last)
                break; // the link names a folder; examining "." says so
            continue;
        }
        if (part == "..") {
            if (!enter(::openat(dir, "..", O_PATH | O_DIRECTORY | O_CLOEXEC)))
                return errno;
            if (last)
                break;
            continue;
        }
        struct stat st { };
        if (::fstatat(dir, part.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return missing(errno);
        if (S_ISLNK(st.st_mode)) {
            if (++links > kMaxLinks)
                return ELOOP;
            if (isOtherUser(st.st_uid) && mayOthersChange(dir)) {
                stop.refused = true;
                stop.linkOwner = st.st_uid;
                return EACCES;
            }
            QByteArray text(PATH_MAX, Qt::Uninitialized);
            const ssize_t n = ::readlinkat(dir, part.constData(), text.data(), size_t(text.size()));
            if (n < 0)
                return errno;
            if (n >= text.size())
                return ENAMETOOLONG;
            text.truncate(n);
            lastLink = text;
            // Search permission is all a folder on the way needs, as for the system.
            if (text.startsWith('/') && !enter(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC)))
                return errno;
            rest = text.split('/') + rest;
            continue;
        }
        if (last) {
            place.dir = dir;
            place.name = part;
            return 0;
        }
        if (!enter(::openat(dir, part.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)))
            return missing(errno);
    }
    place.dir = dir;
    place.name = "."_ba;
    return 0;
}

} // namespace LinkFollower

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "linkfollower.h"

#include <cerrno>
#include <climits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// In a folder that is sticky and writable by all (/tmp), a link is followed only when it
// belongs to the user following it or to the folder's owner, so that no user can make
// another write through a link of theirs. Returns whether the link is refused.
bool isSharedFolderLinkRefused(int dirFd, const struct stat& link)
{
    struct stat folder {};
    if (::fstat(dirFd, &folder) != 0)
        return false;
    const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    return shared && link.st_uid != ::geteuid() && link.st_uid != folder.st_uid;
}

} // namespace

namespace LinkFollower {

int follow(int dirFd, const QByteArray& name, SavePlace& place, QByteArray& dangling,
           bool& refused)
{
    place.dir = dirFd;
    place.name = name;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::fstatat(place.dir, place.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return errno;
        if (!S_ISLNK(st.st_mode))
            return 0;
        refused = isSharedFolderLinkRefused(place.dir, st);
        if (refused)
            return EACCES;

        QByteArray text(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlinkat(place.dir, place.name.constData(), text.data(), size_t(text.size()));
        if (n < 0)
            return errno;
        if (n >= text.size())
            return ENAMETOOLONG;
        text.truncate(n);

        const qsizetype slash = text.lastIndexOf('/');
        QByteArray last = slash < 0 ? text : text.mid(slash + 1);
        if (slash >= 0) {
            // Search permission is all a folder on the way needs, as for the system.
            const QByteArray parent = slash == 0 ? "/"_ba : text.left(slash);
            const int fd = ::openat(place.dir, parent.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            if (fd < 0) {
                if (errno == ENOENT)
                    dangling = text;
                return errno;
            }
            place.folder.reset(fd);
            place.dir = fd;
        }
        if (last.isEmpty() || last == "." || last == "..")
            last = "."; // the link names a folder; examining "." says so
        place.name = last;

        if (::fstatat(place.dir, place.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT)
                dangling = text;
            return errno;
        }
    }
    return ELOOP;
}

} // namespace LinkFollower

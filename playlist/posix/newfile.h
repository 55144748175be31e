// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "saveio.h"

#include <QByteArray>

#include <sys/stat.h>
#include <sys/types.h>

// The new content of a file (a playlist, or a copy of old content) before it takes its
// name. It is made unnamed where the file system allows (O_TMPFILE), so that a killed save
// leaves nothing; elsewhere under a temporary name of this writer's own pattern
// (isTemporaryName()). Either way it is made with mode 0600, so that no one reads it
// before it has the mode it is given (setMode()). Dropped, its temporary name removed,
// unless it was put in place.
class NewFile
{
public:
    explicit NewFile(int dir);
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    ~NewFile();

    // 0 when the file was made, else why not.
    int error() const { return m_error; }
    int fd() const { return m_fd.get(); }

    // Writes the content and syncs it. Returns 0, an errno or SaveIo::kNoProgress.
    int fill(const QByteArray& bytes, const SaveIo::Fault* fault);

    // Gives the file its final permission bits. Returns 0 or an errno.
    int setMode(mode_t mode);

    // Where the file system can neither rename without replacing nor link (FAT through
    // FUSE), what placeAsNew() does.
    enum class WithoutLinks {
        CreateExclusive, // makes the name with O_EXCL and writes the content into it again
        Refuse,          // fails with ENOTSUP: the name never holds a file being written
    };

    // Gives the file `name` unless something has that name already (EEXIST), atomically:
    // a rename that replaces nothing, or a second link; else as `withoutLinks` says.
    // Returns 0 or an errno. Once placed, fd() is the file under `name`.
    int placeAsNew(const QByteArray& name, WithoutLinks withoutLinks = WithoutLinks::CreateExclusive);

    // What came of placeInstead().
    enum class Swap { Done, Unsupported, NotExpected, Failed };
    // Puts the file in the place of `name` by swapping the two atomically, provided what
    // comes out is `expected` (the same device, inode, size and modification time: the swap
    // itself sets the change time); otherwise it
    // is swapped back and left alone. Called once the file is closed. Done: what came out
    // is removed. Unsupported: the file system cannot swap, nothing happened. Failed:
    // `error` says why.
    Swap placeInstead(const QByteArray& name, const struct stat& expected, int& error);

    // Gives the file `name`, replacing what has it. Returns 0 or an errno.
    int placeOver(const QByteArray& name);

    // Closes the file, reporting a late write error. Unplaced, it gets its temporary name
    // first, as a rename needs one.
    int close();

    // Whether `name` is one this writer gives a new file before it takes its place: its
    // fixed prefix and exactly sixteen lower-case hexadecimal digits, nothing else.
    static bool isTemporaryName(const char* name);

    // Removes what killed saves left in the folder: files of the temporary pattern, made
    // by this user, untouched for over a minute (a running save writes its file, then names
    // it just before it takes its place). Nothing else, backups above all, is touched.
    static void removeLeftovers(int dirFd);

private:
    int nameIt();
    int linkUnnamed(const QByteArray& name);
    int createExclusive(const QByteArray& name);
    void drop();

    int m_dir;
    SaveIo::Fd m_fd;
    QByteArray m_name;  // the temporary name, empty while unnamed
    QByteArray m_bytes; // what fill() wrote, for a name made with O_EXCL
    const SaveIo::Fault* m_fault = nullptr;
    int m_error = 0;
    bool m_placed = false;
};

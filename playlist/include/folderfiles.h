// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArrayView>

#include <atomic>
#include <functional>

class FolderHandle;

// The plain files of one folder, read in one pass.
class FolderFiles
{
public:
    // Calls `take` with the name of each plain file of `folder` and of each link to a plain
    // file, in the order the folder yields them. Hidden files, folders, devices, pipes,
    // sockets and broken links are left out. The folder is read through its handle, never
    // by its path. A name is given as stored: the bytes of the name on POSIX, whatever their
    // encoding; UTF-8 where the platform stores names as UTF-16. The view is valid during
    // the call only, and is followed by a zero byte.
    //
    // Returns 0, or the system's reason (an errno value) why the folder could not be read
    // (removed, no permission, an I/O error part way: the names before it were given).
    // Reading stops early, returning 0, once `stop` is set. Safe on any thread.
    static int read(const FolderHandle& folder, const std::function<void(QByteArrayView name)>& take,
        const std::atomic<bool>* stop = nullptr);
};

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

/// @file
/// FolderEnumeration: one pass over the entries of a folder.

#include <string>

namespace Cantorel {

/// One pass over the entries of a folder, as DriveSystem::enumerate starts it.
///
/// Plain files and folders are yielded, "." and ".." too where the platform has them;
/// hidden and system entries are not. Names are the platform's own bytes (UTF-8 on
/// Windows, the file name bytes as stored on POSIX), never re-cased. Plain C++17, no Qt.
class FolderEnumeration
{
public:
    /// What a call of next() found.
    enum class Step {
        Entry,  ///< `name` holds the next entry
        End,    ///< no more entries
        Failed, ///< the platform could not fetch the next entry; the pass is over
    };

    /// What the folder's own listing says an entry is, where it says so at all.
    enum class EntryType {
        Unknown, ///< not given (or a link): the entry's attributes decide
        Folder,  ///< a folder
        File,    ///< anything else: a file, a device, ...
    };

    virtual ~FolderEnumeration() = default;

    /// Fetches the next entry into `name`. After End or Failed every further call
    /// returns End.
    virtual Step next(std::string& name) = 0;

    /// The type of the entry that next() yielded last, as the listing gave it (the
    /// directory entry's type on POSIX). Unknown when the listing did not say; the
    /// default for implementations that never say.
    virtual EntryType entryType() const { return EntryType::Unknown; }
};

} // namespace Cantorel

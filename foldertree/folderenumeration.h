#pragma once

#include <string>

// One pass over the entries of a folder, as DriveSystem::enumerate starts it.
// Plain files and folders are yielded, "." and ".." too where the platform has them;
// hidden and system entries are not. Names are the platform's own bytes (UTF-8 on
// Windows, the file name bytes as stored on POSIX), never re-cased.
class FolderEnumeration
{
public:
    enum class Step {
        Entry,  // `name` holds the next entry
        End,    // no more entries
        Failed, // the platform could not fetch the next entry; the pass is over
    };

    virtual ~FolderEnumeration() = default;

    // After End or Failed every further call returns End.
    virtual Step next(std::string& name) = 0;
};

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

/// @file
/// DriveSystem: the drives and folders that DirTree shows.

#include "folderenumeration.h"

#include <memory>
#include <optional>
#include <string>

// What the shared library exports of this layer: createPlatform(), so that a host links
// DirTree alone. Plain C++17, without the control's generated export header.
#if defined(DIRTREE_STATIC_DEFINE)
#define DIRTREE_DRIVES_EXPORT
#elif defined(_WIN32)
#if defined(DIRTREE_BUILDING_LIBRARY)
#define DIRTREE_DRIVES_EXPORT __declspec(dllexport)
#else
#define DIRTREE_DRIVES_EXPORT __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define DIRTREE_DRIVES_EXPORT __attribute__((visibility("default")))
#else
#define DIRTREE_DRIVES_EXPORT
#endif

namespace Cantorel {

/// The machine's drives and folders as the folder tree sees them: a drive letter per
/// volume, a type per drive, a volume label, the entries of a folder and the attributes
/// of one entry. Free of Qt so that every platform's implementation builds with any
/// C++17 compiler. Every call reads the platform afresh; nothing is cached. A host may
/// hand DirTree an implementation of its own (a fake machine in tests, a remote one).
///
/// **Threads.** DirTree calls separator() once, on its own thread, when it is made; every
/// other call comes from worker threads of that control, so that a drive that does not
/// answer holds no other drive. The calls about one drive never overlap and come in the
/// order the control asks them: volumeLabel(letter), and enumerate() and attributes() of
/// the paths under its root (under the longest root that starts them: a drive mounted in a
/// folder of another is a drive of its own). driveType() and rootPath(), which make the
/// drive table, never overlap one another. Calls about different drives, and the drive
/// table's calls, may run at the same time on different threads: an implementation keeps
/// whatever it shares between them (a cache, a handle) safe for that. It is destroyed on
/// the last of those threads to end, or on the control's thread when none ever ran. A call
/// may take as long as the platform does: the control's thread does not wait for it.
///
/// Paths are native and end in the separator when they name a folder: a drive's root is
/// what rootPath gives ("C:\" on Windows, "/" or "/media/usb/" on POSIX); a folder below
/// it is that root, the entry names and a separator after each.
class DriveSystem
{
public:
    /// Drive types, numbered as the Windows drive-type service numbers them. driveType
    /// may return a value outside this list; callers treat it like NoRootDir.
    enum DriveType : int {
        Unknown = 0,   ///< a drive of a kind not known
        NoRootDir = 1, ///< no drive: gets no node
        Removable = 2, ///< a floppy, card or stick drive: its medium is read only on a click
        Fixed = 3,     ///< a hard disk
        Remote = 4,    ///< a network drive
        CdRom = 5,     ///< an optical drive
        RamDisk = 6,   ///< a drive in memory
    };

    /// The attributes of one entry of a folder.
    struct Attributes {
        bool directory = false; ///< the entry is a folder (or a link to one)
        bool hidden = false;    ///< the entry is hidden
        bool system = false;    ///< the entry belongs to the system (or is a device, pipe, socket)
    };

    /// Frees the implementation.
    virtual ~DriveSystem() = default;

    /// The type of the drive whose root is letter + ":\" ('A' to 'Z').
    virtual int driveType(char letter) const = 0;

    /// The volume label of the drive, as stored (not re-cased). nullopt when it cannot be
    /// read, for instance a drive without a medium or a letter without a drive; an empty
    /// string when the volume has no label.
    virtual std::optional<std::string> volumeLabel(char letter) const = 0;

    /// The native path of the drive's root, ending in the separator; empty when the
    /// letter names no drive.
    virtual std::string rootPath(char letter) const = 0;

    /// The separator of native paths.
    virtual char separator() const = 0;

    /// Starts a pass over the entries of `folder` (a native path ending in the
    /// separator). nullptr when the pass cannot start: the folder is missing, is not a
    /// folder, cannot be read, or its medium is absent.
    virtual std::unique_ptr<FolderEnumeration> enumerate(const std::string& folder) const = 0;

    /// The attributes of the entry at `path` (a folder's path plus the entry's name).
    /// nullopt when they cannot be read; a failure is never reported as attributes.
    virtual std::optional<Attributes> attributes(const std::string& path) const = 0;

    /// The implementation for the platform this program was built for (what
    /// DirTree(QWidget*) reads): for a host that hands DirTree an implementation of its
    /// own which asks the platform for part of its answers. Exported by the shared
    /// library; linking DirTree::DirTree (or `pkg-config --libs dirtree`) is enough.
    static DIRTREE_DRIVES_EXPORT std::unique_ptr<DriveSystem> createPlatform();
};

} // namespace Cantorel

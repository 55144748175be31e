// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "DirTree/drivesystem.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

// An in-memory machine for the folder tree's tests, with Windows-style paths ("C:\",
// "C:\Windows\"): drives of any type, labels that cannot be read, folders whose listing
// cannot start or breaks off, entries whose attributes cannot be read. Names are
// compared exactly, case included, so a test sees whether the tree reaches a folder by
// its name on disk. It counts the reads the tree makes.
class FakeDriveSystem : public Cantorel::DriveSystem
{
public:
    // Listings give each entry's type (folder or file), as a directory entry does.
    void listEntryTypes() { m_entryTypesListed = true; }

    // A drive whose label is nullopt cannot have it read (no medium).
    void addDrive(char letter, int type, std::optional<std::string> label);

    // Entries by their full path without a final "\" ("C:\Program Files\Common Files");
    // missing parent folders are added as plain folders. Entries are enumerated in the
    // order they were added.
    void addFolder(const std::string& path, Attributes attributes = {true, false, false});
    void addFile(const std::string& path);

    void removeEntry(const std::string& path);       // a file or an empty folder
    void failEnumeration(const std::string& folder); // the listing of `folder` cannot start
    // The listing of `folder` waits, on the thread that asks for it, until release();
    // held() says whether one waits now.
    void holdEnumeration(const std::string& folder);
    bool held() const;
    void release();
    void failEnumerationAfter(const std::string& folder, int entries); // breaks off after `entries`
    void failAttributes(const std::string& path);

    int enumerations(const std::string& folder) const; // starts asked for, failed ones too
    int labelReads(char letter) const;

    int driveType(char letter) const override;
    std::optional<std::string> volumeLabel(char letter) const override;
    std::string rootPath(char letter) const override;
    char separator() const override { return '\\'; }
    std::unique_ptr<Cantorel::FolderEnumeration> enumerate(const std::string& folder) const override;
    std::optional<Attributes> attributes(const std::string& path) const override;

private:
    struct Drive {
        int type = Unknown;
        std::optional<std::string> label;
    };

    static std::string withoutSeparator(const std::string& path);
    void addEntry(const std::string& path, Attributes attributes);

    std::map<char, Drive> m_drives;
    std::map<std::string, Attributes> m_entries;                // by full path
    std::map<std::string, std::vector<std::string>> m_children; // folder -> names
    std::set<std::string> m_unlistable;
    std::map<std::string, int> m_breakAfter;
    std::set<std::string> m_unreadable;
    bool m_entryTypesListed = false;
    // The tree reads different drives on different threads at once.
    mutable std::mutex m_countMutex;
    mutable std::map<std::string, int> m_enumerations; // under m_countMutex
    mutable std::mutex m_holdMutex;
    mutable std::condition_variable m_holdChanged;
    std::string m_held;                       // under m_holdMutex
    mutable bool m_waiting = false;           // under m_holdMutex
    mutable std::map<char, int> m_labelReads; // under m_countMutex
};

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "fakedrivesystem.h"

using namespace Cantorel;

namespace {

class FakeEnumeration : public FolderEnumeration
{
public:
    FakeEnumeration(std::vector<std::string> names, std::vector<EntryType> types, int breakAfter)
        : m_names(std::move(names)), m_types(std::move(types)), m_breakAfter(breakAfter)
    { }

    EntryType entryType() const override
    {
        return m_given > 0 && !m_types.empty() ? m_types[static_cast<std::size_t>(m_given - 1)]
                                               : EntryType::Unknown;
    }

    Step next(std::string& name) override
    {
        if (m_done)
            return Step::End;
        if (m_breakAfter >= 0 && m_given == m_breakAfter) {
            m_done = true;
            return Step::Failed;
        }
        if (m_given >= static_cast<int>(m_names.size())) {
            m_done = true;
            return Step::End;
        }
        name = m_names[static_cast<std::size_t>(m_given++)];
        return Step::Entry;
    }

private:
    std::vector<std::string> m_names;
    std::vector<EntryType> m_types; // empty when the listing gives no types
    int m_breakAfter;
    int m_given = 0;
    bool m_done = false;
};

} // namespace

std::string FakeDriveSystem::withoutSeparator(const std::string& path)
{
    return !path.empty() && path.back() == '\\' ? path.substr(0, path.size() - 1) : path;
}

void FakeDriveSystem::addDrive(char letter, int type, std::optional<std::string> label)
{
    m_drives[letter] = Drive {type, std::move(label)};
}

void FakeDriveSystem::addEntry(const std::string& path, Attributes attributes)
{
    const std::size_t cut = path.rfind('\\');
    const std::string parent = path.substr(0, cut);
    if (parent.size() > 2 && !m_entries.count(parent))
        addEntry(parent, Attributes {true, false, false});
    if (!m_entries.count(path))
        m_children[parent].push_back(path.substr(cut + 1));
    m_entries[path] = attributes;
}

void FakeDriveSystem::addFolder(const std::string& path, Attributes attributes)
{
    addEntry(path, attributes);
}

void FakeDriveSystem::removeEntry(const std::string& path)
{
    m_entries.erase(path);
    std::vector<std::string>& siblings = m_children[path.substr(0, path.rfind('\\'))];
    std::erase(siblings, path.substr(path.rfind('\\') + 1));
}

void FakeDriveSystem::holdEnumeration(const std::string& folder)
{
    std::lock_guard lock(m_holdMutex);
    m_held = withoutSeparator(folder);
}

bool FakeDriveSystem::held() const
{
    std::lock_guard lock(m_holdMutex);
    return m_waiting;
}

void FakeDriveSystem::release()
{
    std::lock_guard lock(m_holdMutex);
    m_held.clear();
    m_holdChanged.notify_all();
}

void FakeDriveSystem::addFile(const std::string& path) { addEntry(path, Attributes {false, false, false}); }

void FakeDriveSystem::failEnumeration(const std::string& folder) { m_unlistable.insert(folder); }

void FakeDriveSystem::failEnumerationAfter(const std::string& folder, int entries)
{
    m_breakAfter[folder] = entries;
}

void FakeDriveSystem::failAttributes(const std::string& path) { m_unreadable.insert(path); }

int FakeDriveSystem::enumerations(const std::string& folder) const
{
    std::lock_guard lock(m_countMutex);
    const auto it = m_enumerations.find(folder);
    return it == m_enumerations.end() ? 0 : it->second;
}

int FakeDriveSystem::labelReads(char letter) const
{
    std::lock_guard lock(m_countMutex);
    const auto it = m_labelReads.find(letter);
    return it == m_labelReads.end() ? 0 : it->second;
}

int FakeDriveSystem::driveType(char letter) const
{
    const auto it = m_drives.find(letter);
    return it == m_drives.end() ? NoRootDir : it->second.type;
}

std::optional<std::string> FakeDriveSystem::volumeLabel(char letter) const
{
    {
        std::lock_guard lock(m_countMutex);
        ++m_labelReads[letter];
    }
    const auto it = m_drives.find(letter);
    return it == m_drives.end() ? std::nullopt : it->second.label;
}

std::string FakeDriveSystem::rootPath(char letter) const
{
    return m_drives.count(letter) ? std::string {letter, ':', '\\'} : std::string();
}

std::unique_ptr<FolderEnumeration> FakeDriveSystem::enumerate(const std::string& folder) const
{
    const std::string path = withoutSeparator(folder);
    {
        std::unique_lock lock(m_holdMutex);
        if (!m_held.empty() && m_held == path) {
            m_waiting = true;
            m_holdChanged.notify_all();
            m_holdChanged.wait(lock, [this] { return m_held.empty(); });
            m_waiting = false;
        }
    }
    {
        std::lock_guard lock(m_countMutex);
        ++m_enumerations[path];
    }
    const bool isRoot = path.size() == 2 && path[1] == ':' && m_drives.count(path[0]);
    const auto entry = m_entries.find(path);
    if (m_unlistable.count(path) || (!isRoot && (entry == m_entries.end() || !entry->second.directory)))
        return nullptr;

    // Like the desktop's own listing: "." and ".." first below a root, no hidden or
    // system entries.
    std::vector<std::string> names;
    std::vector<FolderEnumeration::EntryType> types;
    if (!isRoot) {
        names = {".", ".."};
        types = {FolderEnumeration::EntryType::Folder, FolderEnumeration::EntryType::Folder};
    }
    if (const auto children = m_children.find(path); children != m_children.end()) {
        for (const std::string& name : children->second) {
            const Attributes& a = m_entries.at(path + '\\' + name);
            if (!a.hidden && !a.system) {
                names.push_back(name);
                types.push_back(
                    a.directory ? FolderEnumeration::EntryType::Folder : FolderEnumeration::EntryType::File);
            }
        }
    }
    if (!m_entryTypesListed)
        types.clear();
    const auto breakAfter = m_breakAfter.find(path);
    return std::make_unique<FakeEnumeration>(
        std::move(names), std::move(types), breakAfter == m_breakAfter.end() ? -1 : breakAfter->second);
}

std::optional<DriveSystem::Attributes> FakeDriveSystem::attributes(const std::string& path) const
{
    const auto it = m_entries.find(path);
    if (it == m_entries.end() || m_unreadable.count(path))
        return std::nullopt;
    return it->second;
}

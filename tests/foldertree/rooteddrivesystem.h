// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "DirTree/drivesystem.h"

#include <string>

// The platform's folders, seen as one fixed drive C: (label "Test") whose root is a
// folder of the caller's choosing; no other drive exists. Lets the tree run against
// real folders on disk without depending on the machine's mounts.
class RootedDriveSystem : public Cantorel::DriveSystem
{
public:
    explicit RootedDriveSystem(std::string root)
        : m_platform(Cantorel::DriveSystem::createPlatform()), m_root(std::move(root))
    {
        if (m_root.empty() || m_root.back() != m_platform->separator())
            m_root += m_platform->separator();
    }

    int driveType(char letter) const override { return letter == 'C' ? Fixed : NoRootDir; }
    std::optional<std::string> volumeLabel(char letter) const override
    {
        return letter == 'C' ? std::optional<std::string>("Test") : std::nullopt;
    }
    std::string rootPath(char letter) const override { return letter == 'C' ? m_root : std::string(); }
    char separator() const override { return m_platform->separator(); }
    std::unique_ptr<Cantorel::FolderEnumeration> enumerate(const std::string& folder) const override
    {
        return m_platform->enumerate(folder);
    }
    std::optional<Attributes> attributes(const std::string& path) const override
    {
        return m_platform->attributes(path);
    }

private:
    std::unique_ptr<Cantorel::DriveSystem> m_platform;
    std::string m_root;
};

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// The drive-and-folder layer on Windows. Every call goes through the wide-character
// functions, so names outside the ANSI code page survive; names and paths cross the
// interface as UTF-8.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "DirTree/drivesystem.h"

#include <string>

namespace Cantorel {

namespace {

constexpr std::size_t kLabelCapacity = MAX_PATH + 1;

// An empty floppy or card drive must not bring up the system's "insert a disk" dialog;
// the call is to fail instead. Held for the length of one call.
class CriticalErrorsFail
{
public:
    CriticalErrorsFail() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &m_old); }
    ~CriticalErrorsFail() { ::SetThreadErrorMode(m_old, nullptr); }
    CriticalErrorsFail(const CriticalErrorsFail&) = delete;
    CriticalErrorsFail& operator=(const CriticalErrorsFail&) = delete;

private:
    DWORD m_old = 0;
};

std::wstring widen(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int size
        = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

std::string narrow(const wchar_t* wide)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), size, nullptr, nullptr);
    utf8.resize(static_cast<std::size_t>(size) - 1);
    return utf8;
}

// Paths of MAX_PATH characters or more take the prefix that lifts the limit.
std::wstring widePath(const std::string& utf8)
{
    std::wstring path = widen(utf8);
    if (path.size() >= MAX_PATH && path.size() > 2 && path[1] == L':')
        path.insert(0, L"\\\\?\\");
    return path;
}

std::wstring rootOf(char letter) { return {static_cast<wchar_t>(letter), L':', L'\\'}; }

bool isHiddenOrSystem(DWORD attributes)
{
    return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

class WinFolderEnumeration : public FolderEnumeration
{
public:
    // `find` may be INVALID_HANDLE_VALUE for a folder without a single entry.
    WinFolderEnumeration(HANDLE find, const WIN32_FIND_DATAW& first)
        : m_find(find), m_data(first), m_pending(find != INVALID_HANDLE_VALUE)
    { }
    ~WinFolderEnumeration() override { close(); }
    WinFolderEnumeration(const WinFolderEnumeration&) = delete;
    WinFolderEnumeration& operator=(const WinFolderEnumeration&) = delete;

    Step next(std::string& name) override
    {
        CriticalErrorsFail guard;
        while (m_find != INVALID_HANDLE_VALUE) {
            if (!m_pending) {
                if (!::FindNextFileW(m_find, &m_data)) {
                    const Step step = ::GetLastError() == ERROR_NO_MORE_FILES ? Step::End : Step::Failed;
                    close();
                    return step;
                }
            }
            m_pending = false;
            if (isHiddenOrSystem(m_data.dwFileAttributes))
                continue;
            name = narrow(m_data.cFileName);
            return Step::Entry;
        }
        return Step::End;
    }

private:
    void close()
    {
        if (m_find != INVALID_HANDLE_VALUE)
            ::FindClose(m_find);
        m_find = INVALID_HANDLE_VALUE;
    }

    HANDLE m_find;
    WIN32_FIND_DATAW m_data;
    bool m_pending;
};

class WinDriveSystem : public DriveSystem
{
public:
    int driveType(char letter) const override
    {
        CriticalErrorsFail guard;
        return static_cast<int>(::GetDriveTypeW(rootOf(letter).c_str()));
    }

    std::optional<std::string> volumeLabel(char letter) const override
    {
        CriticalErrorsFail guard;
        wchar_t label[kLabelCapacity] = {};
        if (!::GetVolumeInformationW(rootOf(letter).c_str(), label, static_cast<DWORD>(kLabelCapacity),
                nullptr, nullptr, nullptr, nullptr, 0))
            return std::nullopt;
        return narrow(label);
    }

    std::string rootPath(char letter) const override
    {
        if (driveType(letter) == NoRootDir)
            return {};
        return {letter, ':', '\\'};
    }

    char separator() const override { return '\\'; }

    std::unique_ptr<FolderEnumeration> enumerate(const std::string& folder) const override
    {
        CriticalErrorsFail guard;
        WIN32_FIND_DATAW data {};
        const std::wstring pattern = widePath(folder) + L'*';
        HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
            nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (find == INVALID_HANDLE_VALUE) {
            // Only a drive's root can be a folder without "." and "..": empty, not failed.
            if (::GetLastError() == ERROR_FILE_NOT_FOUND)
                return std::make_unique<WinFolderEnumeration>(INVALID_HANDLE_VALUE, data);
            return nullptr;
        }
        return std::make_unique<WinFolderEnumeration>(find, data);
    }

    std::optional<Attributes> attributes(const std::string& path) const override
    {
        CriticalErrorsFail guard;
        // INVALID_FILE_ATTRIBUTES has every bit set, the directory bit too: test it first.
        const DWORD value = ::GetFileAttributesW(widePath(path).c_str());
        if (value == INVALID_FILE_ATTRIBUTES)
            return std::nullopt;
        Attributes a;
        a.directory = (value & FILE_ATTRIBUTE_DIRECTORY) != 0;
        a.hidden = (value & FILE_ATTRIBUTE_HIDDEN) != 0;
        a.system = (value & FILE_ATTRIBUTE_SYSTEM) != 0;
        return a;
    }
};

} // namespace

std::unique_ptr<DriveSystem> DriveSystem::createPlatform() { return std::make_unique<WinDriveSystem>(); }

} // namespace Cantorel

// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// Checks the Windows drive-and-folder layer on Windows (or Wine): builds a small folder
// tree with hidden, system and non-ASCII names in the temporary folder and reads it back
// through DriveSystem. Prints one line per failed check; exits 1 if any failed.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "DirTree/drivesystem.h"

#include <cstdio>
#include <set>
#include <string>

using namespace Cantorel;

namespace {

int failures = 0;

void check(bool ok, const char* what, const std::string& detail = {})
{
    std::printf("%s %s%s%s\n", ok ? "ok  " : "FAIL", what, detail.empty() ? "" : ": ", detail.c_str());
    if (!ok)
        ++failures;
}

std::string utf8(const std::wstring& wide)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(size) - 1);
    return out;
}

std::string join(const std::set<std::string>& names)
{
    std::string out;
    for (const std::string& n : names)
        out += (out.empty() ? "" : ", ") + n;
    return out;
}

} // namespace

int main()
{
    std::printf("drivesystem check: start\n");
    const auto drives = DriveSystem::createPlatform();
    check(drives->separator() == '\\', "separator is a backslash");

    // The drives as the tree would list them.
    std::string strayLetters;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const int type = drives->driveType(letter);
        if (type == DriveSystem::NoRootDir) {
            if (drives->volumeLabel(letter) || !drives->rootPath(letter).empty())
                strayLetters += letter;
            continue;
        }
        const auto label = drives->volumeLabel(letter);
        std::printf("     drive %c: type %d, label %s, root %s\n", letter, type,
            label ? ("'" + *label + "'").c_str() : "(unreadable)", drives->rootPath(letter).c_str());
    }
    check(strayLetters.empty(), "letters without a drive have no label and no root", strayLetters);
    check(drives->driveType('C') == DriveSystem::Fixed, "C: is a fixed drive");
    check(drives->rootPath('C') == "C:\\", "C:'s root is C:\\");

    // A folder of our own below the temporary folder.
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring base
        = std::wstring(temp) + L"cantorel-check-" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring unicodeName = L"Gr\u00f6\u00dfe \u65e5\u672c \u0416";
    ::CreateDirectoryW(base.c_str(), nullptr);
    for (const wchar_t* name : {L"Alpha", L"with blank", L"Hidden", L"System"})
        ::CreateDirectoryW((base + L"\\" + name).c_str(), nullptr);
    ::CreateDirectoryW((base + L"\\" + unicodeName).c_str(), nullptr);
    ::SetFileAttributesW((base + L"\\Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ::SetFileAttributesW((base + L"\\System").c_str(), FILE_ATTRIBUTE_SYSTEM);
    HANDLE file = ::CreateFileW((base + L"\\notes.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);

    const std::string folder = utf8(base) + '\\';
    std::set<std::string> names;
    if (const auto entries = drives->enumerate(folder)) {
        std::string name;
        while (entries->next(name) == FolderEnumeration::Step::Entry)
            names.insert(name);
        check(entries->next(name) == FolderEnumeration::Step::End, "a finished listing stays finished");
    } else {
        check(false, "the folder can be listed", folder);
    }
    const std::set<std::string> expected {".", "..", "Alpha", "with blank", "notes.txt", utf8(unicodeName)};
    check(names == expected, "the listing yields files and folders, not hidden or system ones", join(names));

    const auto alpha = drives->attributes(folder + "Alpha");
    check(alpha && alpha->directory && !alpha->hidden, "a folder's attributes");
    const auto unicode = drives->attributes(folder + utf8(unicodeName));
    check(unicode && unicode->directory, "a non-ASCII folder's attributes, through its UTF-8 name");
    const auto notes = drives->attributes(folder + "notes.txt");
    check(notes && !notes->directory, "a file's attributes");
    const auto hidden = drives->attributes(folder + "Hidden");
    check(hidden && hidden->directory && hidden->hidden, "a hidden folder's attributes");
    check(
        !drives->attributes(folder + "missing"), "a missing entry's attributes are a failure, not a folder");
    check(!drives->attributes(folder + "notes.txt\\inner"), "a path through a file is a failure");
    check(!drives->enumerate(folder + "missing\\"), "a missing folder cannot be listed");
    check(!drives->enumerate(folder + "notes.txt\\"), "a file cannot be listed");

    std::string deep = folder;
    while (deep.size() < MAX_PATH + 40) {
        deep += "long folder name\\";
        ::CreateDirectoryW((L"\\\\?\\" + std::wstring(deep.begin(), deep.end())).c_str(), nullptr);
    }
    const auto longPath = drives->attributes(deep.substr(0, deep.size() - 1));
    check(longPath && longPath->directory, "a folder beyond MAX_PATH characters");

    // Clean up: remove the folders bottom-up.
    while (deep.size() > folder.size()) {
        deep.resize(deep.size() - 1);
        ::RemoveDirectoryW((L"\\\\?\\" + std::wstring(deep.begin(), deep.end())).c_str());
        deep.resize(deep.rfind('\\') + 1);
    }
    ::DeleteFileW((base + L"\\notes.txt").c_str());
    ::SetFileAttributesW((base + L"\\Hidden").c_str(), FILE_ATTRIBUTE_NORMAL);
    ::SetFileAttributesW((base + L"\\System").c_str(), FILE_ATTRIBUTE_NORMAL);
    for (const std::wstring& name : {std::wstring(L"Alpha"), std::wstring(L"with blank"),
             std::wstring(L"Hidden"), std::wstring(L"System"), unicodeName})
        ::RemoveDirectoryW((base + L"\\" + name).c_str());
    ::RemoveDirectoryW(base.c_str());

    std::printf("drivesystem check: %s\n", failures ? "FAILED" : "passed");
    return failures ? 1 : 0;
}

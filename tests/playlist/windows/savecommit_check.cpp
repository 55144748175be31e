// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// Checks the last steps of a save on Windows (or Wine), one row per case, each in a fresh
// folder under the temporary folder: what the target holds afterwards, that nothing else is
// left in the folder, and which step failed with which error. The rows of a disk that fails
// every file sync run in a fresh folder under the folder given as the argument, and only
// when one is given (check.sh gives one on the test file system with its syncs failing).
// Prints one line per row; exits 1 if any failed.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "win/savecommit.h"

#include <cstdio>
#include <string>
#include <vector>

using SaveCommit::Step;

namespace {

enum class Before { Nothing, OldFile, Folder, NoParent };

struct Row {
    const char* label;
    bool failingDisk;
    Before before;
    SaveCommit::Fault fault;
    Step failed;
    unsigned long error; // 0: any
};

const char kOld[] = "#EXTM3U\r\nold.mp3\r\n";
const char kNew[] = "#EXTM3U\r\nnew one.mp3\r\nCaf\xC3\xA9.mp3\r\n";

const Row kRows[] = {
    {"replaces an existing file", false, Before::OldFile, {}, Step::None, 0},
    {"makes a new file", false, Before::Nothing, {}, Step::None, 0},
    {"failed flush: not done, old content kept", false, Before::OldFile, {Step::Flush, ERROR_IO_DEVICE},
        Step::Flush, ERROR_IO_DEVICE},
    {"failed write: not done, old content kept", false, Before::OldFile, {Step::Write, ERROR_DISK_FULL},
        Step::Write, ERROR_DISK_FULL},
    {"a folder under the name is not replaced", false, Before::Folder, {}, Step::Place, 0},
    {"a folder that is gone: nothing made", false, Before::NoParent, {}, Step::Create, 0},
    {"the disk fails the flush: not done, old content kept", true, Before::OldFile, {}, Step::Flush, 0},
};

const char* stepName(Step step)
{
    static const char* const kNames[] = {"none", "create", "write", "flush", "close", "place"};
    return kNames[static_cast<int>(step)];
}

std::string utf8(const std::wstring& wide)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(size) - 1);
    return out;
}

bool writeFile(const std::wstring& path, const std::string& bytes)
{
    const HANDLE file = ::CreateFileW(
        path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE
        && ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    return ok;
}

// The file's bytes, or "<none>" when it cannot be read as a file.
std::string readFile(const std::wstring& path)
{
    const HANDLE file = ::CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<none>";
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    ::CloseHandle(file);
    return bytes;
}

// Bytes as one line: line breaks written as \r and \n.
std::string shown(const std::string& bytes)
{
    std::string out;
    for (const char c : bytes)
        out += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
}

std::vector<std::wstring> entries(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

void removeTree(const std::wstring& path)
{
    for (const std::wstring& name : entries(path)) {
        const std::wstring child = path + L"\\" + name;
        if (::GetFileAttributesW(child.c_str()) & FILE_ATTRIBUTE_DIRECTORY)
            removeTree(child);
        else
            ::DeleteFileW(child.c_str());
    }
    ::RemoveDirectoryW(path.c_str());
}

// Runs one row; returns what went wrong, empty when nothing did. `said` gets the failed
// step and the system's words for its error.
std::string runRow(const Row& row, const std::wstring& folder, std::string& said)
{
    const std::wstring target
        = (row.before == Before::NoParent ? folder + L"\\gone" : folder) + L"\\Mix \u00e9t\u00e9.m3u";
    if (row.before == Before::OldFile && !writeFile(target, kOld))
        return "cannot set the row up";
    if (row.before == Before::Folder && !::CreateDirectoryW(target.c_str(), nullptr))
        return "cannot set the row up";

    const std::string bytes = kNew;
    const SaveCommit::Outcome outcome = SaveCommit::replace(target, bytes.data(), bytes.size(), row.fault);

    std::string wrong;
    if (outcome.failed != row.failed || (row.error != 0 && outcome.error != row.error))
        wrong += std::string("failed at ") + stepName(outcome.failed) + " with error "
            + std::to_string(outcome.error) + "; ";
    if (outcome.failed != Step::None && (outcome.error == 0 || outcome.errorText.empty()))
        wrong += "a failure without the system's error; ";
    const std::string holds = readFile(target);
    const std::string expected = row.failed == Step::None ? kNew
        : row.before == Before::OldFile                   ? kOld
                                                          : "<none>";
    if (holds != expected)
        wrong += "the target holds \"" + shown(holds) + "\"; ";
    const std::vector<std::wstring> left = entries(folder);
    const std::size_t expectedEntries = row.before == Before::NoParent
        ? 0
        : (row.failed == Step::None || row.before != Before::Nothing ? 1 : 0);
    if (left.size() != expectedEntries) {
        wrong += "the folder holds";
        for (const std::wstring& name : left)
            wrong += " \"" + utf8(name) + "\"";
        wrong += "; ";
    }
    if (row.before == Before::Folder && !(::GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_DIRECTORY))
        wrong += "the folder under the name is gone; ";
    if (outcome.failed != Step::None)
        said = std::string(stepName(outcome.failed)) + ": " + utf8(outcome.errorText);
    return wrong;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    std::printf("savecommit check: start\n");
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring name = L"cantorel-savecommit-" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring base = std::wstring(temp, length) + name;
    const std::wstring failingBase = argc > 1 ? std::wstring(argv[1]) + L"\\" + name : std::wstring();
    int failures = 0;
    int index = 0;
    for (const Row& row : kRows) {
        if (row.failingDisk && failingBase.empty()) {
            std::printf("skip %s -- no disk that fails its syncs was given\n", row.label);
            continue;
        }
        const std::wstring folder = (row.failingDisk ? failingBase : base) + L"-" + std::to_wstring(index++);
        removeTree(folder);
        std::string said;
        const std::string wrong = ::CreateDirectoryW(folder.c_str(), nullptr)
            ? runRow(row, folder, said)
            : "cannot make the folder " + utf8(folder);
        removeTree(folder);
        const std::string detail = wrong.empty() ? said : wrong;
        std::printf("%s %s%s%s\n", wrong.empty() ? "ok  " : "FAIL", row.label, detail.empty() ? "" : " -- ",
            detail.c_str());
        if (!wrong.empty())
            ++failures;
    }
    std::printf("savecommit check: %s\n", failures ? "FAILED" : "passed");
    return failures ? 1 : 0;
}

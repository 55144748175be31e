// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "savecommit.h"

#include <algorithm>
#include <cstdio>
#include <random>

#include <windows.h>

namespace SaveCommit {

namespace {

// The folder part of `target`, with its separator; empty for a bare name.
std::wstring folderOf(const std::wstring& target)
{
    const std::size_t slash = target.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : target.substr(0, slash + 1);
}

std::wstring temporaryName(std::mt19937_64& random)
{
    wchar_t digits[17];
    std::swprintf(digits, 17, L"%016llx", static_cast<unsigned long long>(random()));
    return std::wstring(L".cantorel-save-") + digits;
}

// A step's result: done, or failed as the system or the fault says.
bool run(Step step, const Fault& fault, bool done)
{
    if (fault.at == step) {
        ::SetLastError(fault.error);
        return false;
    }
    return done;
}

} // namespace

std::wstring errorText(unsigned long error)
{
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring words = length > 0 ? std::wstring(text, length) : std::wstring();
    ::LocalFree(text);
    while (!words.empty()
        && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L' ' || words.back() == L'.'))
        words.pop_back();
    if (words.empty())
        words = L"Error " + std::to_wstring(error);
    return words;
}

Outcome replace(const std::wstring& target, const char* data, std::size_t size, const Fault& fault)
{
    Outcome outcome;
    const auto fail = [&](Step step) {
        outcome.failed = step;
        outcome.error = ::GetLastError();
        outcome.errorText = errorText(outcome.error);
        return outcome;
    };

    // A name no one else holds: CREATE_NEW never opens an existing file.
    std::mt19937_64 random(std::random_device {}() ^ ::GetTickCount64() ^ ::GetCurrentProcessId());
    const std::wstring folder = folderOf(target);
    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = folder + temporaryName(random);
        if (fault.at != Step::Create)
            file = ::CreateFileW(
                temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (!run(Step::Create, fault, file != INVALID_HANDLE_VALUE) && ::GetLastError() != ERROR_FILE_EXISTS)
            return fail(Step::Create);
    }
    if (file == INVALID_HANDLE_VALUE)
        return fail(Step::Create);

    // Any failure from here on: the file beside goes, the target stays as it was.
    const auto drop = [&](Step step) {
        fail(step);
        if (file != INVALID_HANDLE_VALUE)
            ::CloseHandle(file);
        ::DeleteFileW(temporary.c_str());
        return outcome;
    };

    for (std::size_t at = 0; at < size;) {
        const DWORD chunk = DWORD(std::min<std::size_t>(size - at, 1u << 30));
        DWORD written = 0;
        if (!run(Step::Write, fault, ::WriteFile(file, data + at, chunk, &written, nullptr)))
            return drop(Step::Write);
        if (written == 0) {
            ::SetLastError(ERROR_WRITE_FAULT);
            return drop(Step::Write);
        }
        at += written;
    }
    if (!run(Step::Flush, fault, ::FlushFileBuffers(file)))
        return drop(Step::Flush);
    const bool closed = ::CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
    if (!run(Step::Close, fault, closed))
        return drop(Step::Close);
    // Renamed on the same volume, so no copy is made; write-through covers a system that
    // would copy all the same.
    if (!run(Step::Place, fault,
            ::MoveFileExW(
                temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)))
        return drop(Step::Place);
    return outcome;
}

} // namespace SaveCommit

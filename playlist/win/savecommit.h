// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <string>

// The last steps of a save on Windows, in plain Win32: the new content is written to a file
// beside the target, flushed to the disk (FlushFileBuffers), and only then renamed over the
// target. Done means every step said so; a failed step is reported with the system's error
// code and words, the target is left as it was and the file beside it removed. No Qt here,
// so that the steps are built and run on their own under Wine.
namespace SaveCommit {

enum class Step { None, Create, Write, Flush, Close, Place };

struct Outcome {
    Step failed = Step::None; // Step::None: the target holds the new content, flushed
    unsigned long error = 0;  // the failed step's GetLastError()
    std::wstring errorText;   // the system's words for `error`
};

// Test seam for failures a real disk cannot be made to give on demand: the step `at` fails
// with `error`, whatever the system did.
struct Fault {
    Step at = Step::None;
    unsigned long error = 0;
};

// Puts `size` bytes at `data` in place of the file `target` (a whole path, created when it
// does not exist). The file beside is named `.cantorel-save-` and 16 hex digits.
Outcome replace(const std::wstring& target, const char* data, std::size_t size, const Fault& fault = {});

// The system's words for a Win32 error code, without the full stop and line break at the end.
std::wstring errorText(unsigned long error);

} // namespace SaveCommit

#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Cantorel developers
#
# SPDX-License-Identifier: MIT

# Builds the playlist writer's Windows steps that need no Qt (playlist/win/) and their check
# program with mingw-w64, into the folder given (tests/foldertree/windows/check.sh runs it
# under Wine). The core's other Windows files are built on Qt Core, which Debian does not
# ship for mingw-w64: they are compiled for syntax and types only, against this machine's Qt
# Core headers (the same on every platform but for the configuration), and not linked.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
top="$(cd "$here/../../.." && pwd)"
out="$1"
mkdir -p "$out"

x86_64-w64-mingw32-g++ -std=c++20 -O1 -Wall -Wextra -Wpedantic -Werror -D_WIN32_WINNT=0x0601 \
  -I"$top/playlist" \
  "$top/playlist/win/savecommit.cpp" "$here/savecommit_check.cpp" \
  -municode -static -o "$out/savecommit_check.exe"
echo "check-windows: built $out/savecommit_check.exe (mingw-w64)"

# The test file system, whose file syncs fail on command, for the disk's own failed flush;
# where libfuse3 is missing, check.sh says that check did not run.
if pkg-config --exists fuse3; then
  g++ -std=c++20 -O1 "$top/tests/support/testfs.cpp" $(pkg-config --cflags --libs fuse3) -pthread \
    -o "$out/cantorel_testfs"
fi

qt="$(pkg-config --variable=includedir Qt6Core)"
for source in playlistwriter_win.cpp folderhandle_win.cpp folderfiles_win.cpp; do
  x86_64-w64-mingw32-g++ -std=c++20 -fsyntax-only -Wall -Wextra -Werror -Wno-attributes \
    -D_WIN32_WINNT=0x0601 -I"$qt" -I"$qt/QtCore" -I"$top/playlist/include" -I"$top/playlist" \
    "$top/playlist/$source"
done
echo "check-windows: compiled the core's Windows files against Qt Core's headers (not linked)"

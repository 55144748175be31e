#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Cantorel developers
#
# SPDX-License-Identifier: MIT

# Builds the Windows drive-and-folder layer and its check program with mingw-w64, and the
# playlist writer's Windows steps with theirs (tests/playlist/windows/build.sh), then runs
# the checks under Wine when Wine is there and starts; otherwise says why they did not.
# Under CI (CI=true) a check that did not run is a failure: a green CI must mean it ran.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
top="$(cd "$here/../../.." && pwd)"
out="${1:-$top/build/windows-check}"
mkdir -p "$out"

cxx=x86_64-w64-mingw32-g++
"$cxx" -std=c++20 -O1 -Wall -Wextra -Wpedantic -Werror -D_WIN32_WINNT=0x0601 -DDIRTREE_STATIC_DEFINE \
  -I"$top/foldertree/include" -I"$top/foldertree" \
  "$top/foldertree/drivesystem_win.cpp" "$here/drivesystem_check.cpp" \
  -static -o "$out/drivesystem_check.exe"
echo "check-windows: built $out/drivesystem_check.exe with $($cxx -dumpversion | head -1) (mingw-w64)"
"$top/tests/playlist/windows/build.sh" "$out"

# Not run: fails under CI, otherwise says why and passes.
not_run() {
  echo "check-windows: $1"
  if [ "${CI:-}" = true ]; then echo "check-windows: under CI the check must run"; exit 1; fi
  exit 0
}

command -v wine >/dev/null 2>&1 || not_run "Wine is not installed; the check programs were built but not run."

export WINEPREFIX="$out/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY

# Runs one check program (its first line is "NAME check: start") with the arguments after
# its name; fails when it failed.
run_check() {
  local name="$1" status
  shift
  local log="$out/$name.log"
  set +e
  timeout 300 wine "$out/${name}_check.exe" "$@" >"$log" 2>&1
  status=$?
  set -e
  if ! grep -q "$name check: start" "$log"; then
    tail -n 5 "$log" | sed 's/^/  Wine said: /'
    not_run "Wine did not start the $name check program (exit $status); skipped."
  fi
  grep -v "^\s*$" "$log" | grep -E "^(ok|FAIL|skip|     |$name)" || true
  [ "$status" -eq 0 ] || { echo "check-windows: the $name check failed under Wine"; exit 1; }
}

run_check drivesystem

# A disk whose flush fails: the test file system with its file syncs failing, mounted where
# the machine allows FUSE; elsewhere the save's check says that row did not run.
failing_disk=()
if [ ! -x "$out/cantorel_testfs" ]; then
  echo "check-windows: libfuse3 is missing: no disk that fails its flush"
elif [ ! -r /dev/fuse ] || [ ! -w /dev/fuse ]; then
  echo "check-windows: no usable /dev/fuse: no disk that fails its flush"
else
  umount -l "$out/syncfails" 2>/dev/null || true # left mounted by a run that was killed
  rm -rf "$out/syncfails" "$out/syncfails-backing"
  mkdir -p "$out/syncfails" "$out/syncfails-backing"
  coproc testfs { exec "$out/cantorel_testfs" "$out/syncfails-backing" "$out/syncfails" 2>&1; }
  testfs_in=${testfs[1]} testfs_out=${testfs[0]} testfs_pid=$testfs_PID
  # At its input's end the test file system unmounts and exits.
  trap 'exec {testfs_in}>&-; wait "$testfs_pid" 2>/dev/null || true' EXIT
  answer=""
  while read -r -t 20 answer <&"$testfs_out" && [ "$answer" != ready ]; do :; done
  if [ "$answer" = ready ]; then
    echo "fsync eio" >&"$testfs_in"
    read -r -t 20 answer <&"$testfs_out" || true
  fi
  if [ "$answer" = ok ]; then
    failing_disk=("Z:${out//\//\\}\\syncfails")
  else
    echo "check-windows: the machine refuses the FUSE mount ($answer): no disk that fails its flush"
  fi
fi
run_check savecommit "${failing_disk[@]}"
echo "check-windows: passed under $(wine --version 2>/dev/null)"

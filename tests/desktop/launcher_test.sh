#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Cantorel developers
#
# SPDX-License-Identifier: MIT

# The launcher cantorel-open, with a stand-in Cantorel beside it that records the folder it
# was started in and the arguments it got, and a stand-in notify-send that records the
# desktop's error messages.
#
# usage: launcher_test.sh CANTOREL_OPEN VERSION
set -euo pipefail

launcher=$(realpath "$1")
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

mkdir -p "$work/bin" "$work/tools" "$work/home" "$work/config"
cp "$launcher" "$work/bin/cantorel-open"
cat >"$work/bin/Cantorel" <<'STUB'
#!/bin/sh
pwd -P >"$RECORD/cwd"
echo "$#" >"$RECORD/argc"
STUB
cat >"$work/tools/notify-send" <<'STUB'
#!/bin/sh
printf '%s\n' "$@" >"$RECORD/notified"
STUB
chmod +x "$work/bin/Cantorel" "$work/tools/notify-send"
# Started by its full path through a link, as a desktop might: it still finds Cantorel.
mkdir "$work/elsewhere"
ln -s "$work/bin/cantorel-open" "$work/elsewhere/cantorel-open"

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" RECORD="$work/record"

# run [ARG...]: runs the launcher (as LAUNCHER, by default its full path through a link, in
# the folder RUN_IN, by default /); sets status, cwd, argc, notified, stdout, stderr.
run() {
    rm -rf "$RECORD"; mkdir "$RECORD"
    status=0
    (cd "${RUN_IN:-/}" && "${LAUNCHER:-$work/elsewhere/cantorel-open}" "$@") >"$RECORD/stdout" 2>"$RECORD/stderr" || status=$?
    stdout=$(cat "$RECORD/stdout")
    cwd=$(cat "$RECORD/cwd" 2>/dev/null || true)
    argc=$(cat "$RECORD/argc" 2>/dev/null || true)
    notified=$(cat "$RECORD/notified" 2>/dev/null || true)
    stderr=$(cat "$RECORD/stderr")
}

expect_started_in() { # label folder
    [ "$status" -eq 0 ] || fail "$1: status $status ($stderr)"
    [ "$cwd" = "$(cd "$2" && pwd -P)" ] || fail "$1: Cantorel started in '$cwd', not $2"
    [ "$argc" = 0 ] || fail "$1: Cantorel got $argc arguments"
}

expect_refused() { # label words-of-the-message
    [ "$status" -ne 0 ] || fail "$1: exit status 0"
    [ -z "$cwd" ] || fail "$1: Cantorel was started"
    [[ "$stderr" == *"$2"* ]] || fail "$1: standard error '$stderr' lacks '$2'"
}

mkdir -p "$work/music/Jazz & Blues" "$work/-" "$work/Musik"
printf 'x' >"$work/music/a.mp3"

PATH="/usr/bin:/bin"    # no notify-send: errors go to standard error only

run "$work/music/Jazz & Blues"
expect_started_in "a folder with blanks and an ampersand" "$work/music/Jazz & Blues"
RUN_IN=$work run "-"
expect_started_in "a relative folder named -" "$work/-"

# A file URL, as a desktop entry's %u hands it over: its escapes are the name's bytes, one
# that is not UTF-8 too. Other schemes name no folder here; a name whose bad byte a file
# manager replaced with U+FFFD is told apart from a missing folder.
cafe=$work/music/$(printf 'caf\351')
mkdir "$cafe"
run "file://$work/music/caf%E9"
expect_started_in "a file URL to a name not in UTF-8" "$cafe"
run "sftp://host/music"
expect_refused "a URL of another scheme" "not a folder on this computer"
run "$work/music/caf$(printf '\357\277\275')"
expect_refused "a name with U+FFFD for its bad byte" "not UTF-8"

# Started by a relative path, it finds the Cantorel beside it, never one in the folder it
# opens: a trap there records that it ran.
mkdir "$work/trap"
printf '#!/bin/sh\necho ran >"$RECORD/trapped"\n' >"$work/trap/Cantorel"
cp "$work/trap/Cantorel" "$work/trap/cantorel-open"
chmod +x "$work/trap/Cantorel" "$work/trap/cantorel-open"
# started_by FOLDER LAUNCHER TARGET: run from FOLDER as LAUNCHER on TARGET.
started_by() {
    RUN_IN=$1 LAUNCHER=$2 run "$3"
    [ ! -e "$RECORD/trapped" ] || fail "started as $2 in $1, it ran the trap in the target folder"
    expect_started_in "started as $2 in $1 on $3" "$work/trap"
}
started_by "$work/bin" ./cantorel-open "$work/trap"
started_by "$work/bin" ./cantorel-open ../trap
started_by "$work" bin/cantorel-open trap
started_by "$work/home" ../bin/cantorel-open "$work/trap"
started_by "$work/trap" ../elsewhere/cantorel-open .

# --help and --version, alone, answer and start nothing; a folder of that name is ./--help.
expect_answered() { # label words-of-the-answer
    [ "$status" -eq 0 ] || fail "$1: exit status $status ($stderr)"
    [ -z "$cwd" ] || fail "$1: Cantorel was started"
    [[ "$stdout" == *"$2"* ]] || fail "$1: standard output '$stdout' lacks '$2'"
}
run --help
expect_answered "--help" "Usage: cantorel-open [FOLDER]"
run --version
[ "$stdout" = "cantorel-open $version" ] || fail "--version says '$stdout', not the version $version"
expect_answered "--version" "$version"
mkdir "$work/--help"
RUN_IN=$work run ./--help
expect_started_in "a folder named --help" "$work/--help"
run --help "$work/music"
expect_refused "--help with a folder" "one folder"

run "$work/missing"
expect_refused "a missing folder" "does not exist"
run "$work/music/a.mp3"
expect_refused "a file" "is not a folder"
run ""
expect_refused "an empty name" "no folder"
run "$work/music" "$work/Musik"
expect_refused "two folders" "one folder"

# No folder: the music folder of xdg-user-dirs, or home when it is missing or unset.
if command -v xdg-user-dir >/dev/null; then
    printf 'XDG_MUSIC_DIR="$HOME/../Musik"\n' >"$XDG_CONFIG_HOME/user-dirs.dirs"
    run
    expect_started_in "the music folder" "$work/Musik"
    rmdir "$work/Musik"
    run
    expect_started_in "a music folder that is gone" "$HOME"
else
    echo "note: xdg-user-dir is not installed; only the home folder is checked"
fi
rm -f "$XDG_CONFIG_HOME/user-dirs.dirs"
run
expect_started_in "no music folder" "$HOME"

# With notify-send present the desktop shows the error too.
PATH="$work/tools:/usr/bin:/bin"
run "$work/missing"
expect_refused "a missing folder, on a desktop" "does not exist"
[[ "$notified" == *"$work/missing does not exist"* ]] || fail "notify-send got '$notified'"

[ "$failures" -eq 0 ] || exit 1
echo "PASS: launcher"

#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Cantorel developers
#
# SPDX-License-Identifier: MIT

# The file managers' menus of a folder, as a package installs them under USR: Dolphin's
# service menu, Nemo's action and the FileManager-Actions entry (PCManFM-Qt, Caja). Each
# has the keys its file manager needs to offer "Make a playlist here" on one folder, and
# its command line, with a folder substituted as that file manager does it, runs the
# launcher of USR/bin on that folder (with a stand-in Cantorel beside it that records
# where it was started).
#
# usage: filemanager_test.sh USR
set -euo pipefail

usr=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

id=org.example.cantorel
name="Make a playlist here"

# key FILE GROUP KEY: the value of KEY in [GROUP] of a key file (desktop entry syntax).
key() {
    awk -v group="[$2]" -v key="$3" '
        /^\[/ { in_group = ($0 == group); next }
        in_group && index($0, key "=") == 1 { print substr($0, length(key) + 2); exit }
    ' "$1"
}

# expect FILE GROUP KEY VALUE
expect() {
    local value
    value=$(key "$1" "$2" "$3")
    [ "$value" = "$4" ] || fail "$(basename "$(dirname "$1")")/$(basename "$1"): [$2] $3 is '$value', not '$4'"
}

mkdir -p "$work/bin" "$work/record"
cp "$usr/bin/cantorel-open" "$work/bin/cantorel-open"
cat >"$work/bin/Cantorel" <<'STUB'
#!/bin/sh
pwd -P >"$RECORD/cwd"
echo "$#" >"$RECORD/argc"
STUB
chmod +x "$work/bin/Cantorel"
export RECORD="$work/record"
# A folder whose name a shell would split and run in the background if it were not quoted.
folder="$work/Jazz & Blues (live)"
mkdir "$folder"

# put COMMAND_LINE CODE TEXT: the command line with its one field code CODE replaced by TEXT
# (not bash's ${//}, whose replacement treats & specially in newer versions).
put() {
    [[ "$1" == *"$2"* ]] || { echo "$1"; return; }
    printf '%s%s%s\n' "${1%%"$2"*}" "$3" "${1#*"$2"}"
}

# runs COMMAND_LINE LABEL: runs a command line, as the file manager would after putting the
# folder in, with the launcher first on the PATH; it must start Cantorel in the folder.
runs() {
    rm -f "$RECORD/cwd" "$RECORD/argc"
    local status=0
    (cd / && PATH="$work/bin:$PATH" sh -c "$1") >"$work/out" 2>&1 || status=$?
    [ "$status" -eq 0 ] || fail "$2: '$1' exited with $status: $(cat "$work/out")"
    [ "$(cat "$RECORD/cwd" 2>/dev/null)" = "$(cd "$folder" && pwd -P)" ] \
        || fail "$2: '$1' started Cantorel in '$(cat "$RECORD/cwd" 2>/dev/null)'"
    [ ! -f "$RECORD/argc" ] || [ "$(cat "$RECORD/argc")" = 0 ] || fail "$2: Cantorel got arguments"
}

# Dolphin: a service of type Service for folders, whose action runs a desktop-entry
# command line (%f: one local path, quoted by KIO as the desktop entry rules say).
kio=$usr/share/kio/servicemenus/$id.desktop
expect "$kio" "Desktop Entry" Type Service
expect "$kio" "Desktop Entry" MimeType "inode/directory;"
expect "$kio" "Desktop Entry" Actions "makePlaylist;"
expect "$kio" "Desktop Action makePlaylist" Name "$name"
expect "$kio" "Desktop Action makePlaylist" Icon "$id"
exec_line=$(key "$kio" "Desktop Action makePlaylist" Exec)
runs "$(put "$exec_line" %f "$(printf '%q' "$folder")")" "Dolphin"

# Nemo: one selected folder (Selection=s, Extensions=dir); %F is the selected path, put in
# double quotes as Quote=double asks.
nemo=$usr/share/nemo/actions/$id.nemo_action
expect "$nemo" "Nemo Action" Name "$name"
expect "$nemo" "Nemo Action" Selection s
expect "$nemo" "Nemo Action" Extensions "dir;"
expect "$nemo" "Nemo Action" Quote double
expect "$nemo" "Nemo Action" Icon-Name "$id"
[ -z "$(key "$nemo" "Nemo Action" Active)" ] || expect "$nemo" "Nemo Action" Active true
exec_line=$(key "$nemo" "Nemo Action" Exec)
runs "$(put "$exec_line" %F "\"$folder\"")" "Nemo"

# FileManager-Actions: an Action with one profile for exactly one folder; %f is the first
# selected path, quoted by the file manager.
fma=$usr/share/file-manager/actions/$id.desktop
expect "$fma" "Desktop Entry" Type Action
expect "$fma" "Desktop Entry" Name "$name"
expect "$fma" "Desktop Entry" Icon "$id"
profile=$(key "$fma" "Desktop Entry" Profiles)
[ "$profile" = "folder;" ] || fail "FileManager-Actions: Profiles is '$profile'"
expect "$fma" "X-Action-Profile folder" MimeTypes "inode/directory;"
expect "$fma" "X-Action-Profile folder" SelectionCount "=1"
exec_line=$(key "$fma" "X-Action-Profile folder" Exec)
runs "$(put "$exec_line" %f "$(printf '%q' "$folder")")" "FileManager-Actions"

[ "$failures" -eq 0 ] || exit 1
echo "PASS: file manager menus"

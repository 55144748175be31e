#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Cantorel developers
#
# SPDX-License-Identifier: MIT

# The per-user menus the README tells Nautilus and Thunar users to make, taken from the
# README itself: the Nautilus script, installed by the README's command into a home of the
# test's own and run as Nautilus 43 runs it, and the Thunar custom action's command line,
# with the folder put in as Thunar does. Each must start Cantorel (a stand-in beside the
# launcher that records where it was started) in exactly the chosen folders, whatever their
# names: blanks, quotes, shell characters, a leading dash, bytes that are not UTF-8, and
# `%` sequences that Nautilus expands in a script's arguments.
#
# usage: usermenus_test.sh README CANTOREL_OPEN
set -euo pipefail

readme=$(realpath "$1")
launcher=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

mkdir -p "$work/bin" "$work/home" "$work/record" "$work/music"
cp "$launcher" "$work/bin/cantorel-open"
cat >"$work/bin/Cantorel" <<'STUB'
#!/bin/sh
pwd -P >>"$RECORD/started"
STUB
chmod +x "$work/bin/Cantorel"
export RECORD="$work/record" HOME="$work/home" PATH="$work/bin:$PATH"

# The folders, by name.
names=(
    "Jazz & Blues (live)"
    "50% off %f %U mix"
    "it's \"quoted\" \$HOME \`id\` ; | >x"
    "-rf"
    "  blanks around  "
    $'tab\there'
    $'caf\xe9'
    "*"
)
for name in "${names[@]}"; do
    mkdir "$work/music/$name"
done

# block MARKER: the fenced code block of the README that follows the first line holding
# MARKER, without the list's indentation.
block() {
    awk -v marker="$1" '
        !found && index($0, marker) { found = 1; next }
        found && !inside && /^ *```/ { inside = 1; match($0, /^ */); indent = RLENGTH; next }
        inside && /^ *```/ { exit }
        inside { print substr($0, indent + 1) }
    ' "$readme"
}

# expect_started LABEL FOLDER...: Cantorel was started in exactly these folders (in any
# order). The launches may run in the background: their records are awaited, up to 20 s.
expect_started() {
    local label=$1; shift
    local expected
    expected=$(for folder in "$@"; do (cd "$folder" && pwd -P); done | sort)
    local count=$#
    local deadline=$((SECONDS + 20))
    while [ "$(cat "$RECORD/started" 2>/dev/null | wc -l)" -lt "$count" ] && [ "$SECONDS" -lt "$deadline" ]; do
        sleep 0.05
    done
    local started
    started=$(sort "$RECORD/started" 2>/dev/null || true)
    [ "$started" = "$expected" ] || fail "$label: Cantorel started in
$started
not in
$expected"
    rm -f "$RECORD/started"
}

# Nautilus: the README's command installs the script.
install_script=$(block "**Nautilus**")
[ -n "$install_script" ] || fail "the README has no Nautilus script"
(cd "$work" && sh -c "$install_script") || fail "the README's Nautilus command failed"
script="$HOME/.local/share/nautilus/scripts/Make a playlist here"
[ -x "$script" ] || fail "the README's command made no executable script"

# As Nautilus 43 runs a script: in the folder shown, the selection's full paths in
# NAUTILUS_SCRIPT_SELECTED_FILE_PATHS, each followed by a newline, and its names as
# arguments after expanding % sequences in them ("50% off %f %U mix" becomes "50off   mix").
selected=""
mangled=()
folders=()
for name in "${names[@]}"; do
    selected+="$work/music/$name"$'\n'
    mangled+=("$(printf '%s' "$name" | sed 's/%.//g')")
    folders+=("$work/music/$name")
done
(cd "$work/music" && NAUTILUS_SCRIPT_SELECTED_FILE_PATHS=$selected \
    NAUTILUS_SCRIPT_CURRENT_URI="file://$work/music" "$script" "${mangled[@]}") \
    || fail "the Nautilus script failed"
expect_started "Nautilus, every folder selected" "${folders[@]}"
(cd "$work/music/50% off %f %U mix" && NAUTILUS_SCRIPT_SELECTED_FILE_PATHS="" "$script") \
    || fail "the Nautilus script failed with nothing selected"
expect_started "Nautilus, nothing selected" "$work/music/50% off %f %U mix"

# Thunar: the README's command line, with %f replaced by the folder's path quoted as
# Thunar quotes it (g_shell_quote: in single quotes, a single quote as '\''), then split and
# run (sh -c splits a line free of shell syntax as g_shell_parse_argv does).
command_line=$(block "**Thunar**")
[ "$command_line" = "cantorel-open %f" ] || fail "the README's Thunar command is '$command_line'"
for name in "${names[@]}"; do
    path="$work/music/$name"
    quoted="'${path//\'/\'\\\'\'}'"
    (cd / && sh -c "${command_line/\%f/"$quoted"}") || fail "Thunar's command failed on '$name'"
    expect_started "Thunar on '$name'" "$path"
done

[ "$failures" -eq 0 ] || exit 1
echo "PASS: the README's Nautilus script and Thunar action"

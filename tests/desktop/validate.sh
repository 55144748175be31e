#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Cantorel developers
#
# SPDX-License-Identifier: MIT

# The desktop entry and the AppStream metainfo as installed: both validators pass, the
# entry runs the launcher by its bare name (any install prefix), and the metainfo names
# the licence.
#
# usage: validate.sh DESKTOP_ENTRY METAINFO
set -euo pipefail

entry=$1
metainfo=$2

desktop-file-validate "$entry"
appstreamcli validate --no-net --pedantic "$metainfo"

grep -qx 'Exec=cantorel-open %f' "$entry" || { echo "FAIL: Exec is $(grep ^Exec= "$entry")" >&2; exit 1; }
# Opening folders belongs to the file manager: the entry claims no type, so installing it
# never changes what opens a folder. The file managers' own menus run the launcher.
! grep -q '^MimeType=' "$entry" || { echo "FAIL: the entry claims $(grep ^MimeType= "$entry")" >&2; exit 1; }
# Docks match the running window to the entry by its X11 class (the e2e test reads it).
grep -qx 'StartupWMClass=Cantorel' "$entry" || { echo "FAIL: StartupWMClass is not Cantorel" >&2; exit 1; }
id=$(basename "$entry" .desktop)
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" \
    || { echo "FAIL: the metainfo does not launch $id.desktop" >&2; exit 1; }
grep -q "<project_license>MIT</project_license>" "$metainfo" \
    || { echo "FAIL: the metainfo names no MIT project licence" >&2; exit 1; }
grep -qx "Icon=$id" "$entry" || { echo "FAIL: the entry's icon is not $id" >&2; exit 1; }
echo "PASS: desktop entry and metainfo"

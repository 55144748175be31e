#!/usr/bin/env bash
# The desktop entry and the AppStream metainfo as installed: both validators pass, and the
# entry runs the launcher by its bare name (any install prefix) for folders.
#
# usage: validate.sh DESKTOP_ENTRY METAINFO
set -euo pipefail

entry=$1
metainfo=$2

desktop-file-validate "$entry"
appstreamcli validate --no-net --pedantic "$metainfo"

grep -qx 'Exec=cantorel-open %f' "$entry" || { echo "FAIL: Exec is $(grep ^Exec= "$entry")" >&2; exit 1; }
grep -qx 'MimeType=inode/directory;' "$entry" || { echo "FAIL: no MimeType for folders" >&2; exit 1; }
id=$(basename "$entry" .desktop)
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" \
    || { echo "FAIL: the metainfo does not launch $id.desktop" >&2; exit 1; }
grep -qx "Icon=$id" "$entry" || { echo "FAIL: the entry's icon is not $id" >&2; exit 1; }
echo "PASS: desktop entry and metainfo"

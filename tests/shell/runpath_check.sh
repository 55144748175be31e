#!/bin/sh
# SPDX-FileCopyrightText: 2026 The Cantorel developers
#
# SPDX-License-Identifier: MIT

# The program is started in a music folder that others may write: its RUNPATH (or RPATH)
# must name no folder relative to where it is started. An empty entry is read by the
# loader as the current folder, and so is any entry not starting with / or $ORIGIN.
#   runpath_check.sh PROGRAM
paths=$(readelf -d "$1" | sed -n 's/.*(R\(UN\)\{0,1\}PATH).*\[\(.*\)\]$/\2/p')
for path in $paths; do
    case ":$path:" in
        *::*) echo "FAIL: $1 has an empty entry in its library path: $path"; exit 1 ;;
    esac
    IFS=:
    for entry in $path; do
        case "$entry" in
            /*|'$ORIGIN'*) ;;
            *) echo "FAIL: $1 looks for libraries in '$entry', relative to where it starts"; exit 1 ;;
        esac
    done
    unset IFS
done
echo "1 passed, 0 failed"

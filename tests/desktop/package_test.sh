#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Cantorel developers
#
# SPDX-License-Identifier: MIT

# The Debian package as a user gets it: built with CPack from this build tree, its
# Depends naming the distribution's Qt packages, its files, lintian's verdict, the
# hardening of the program, its manual pages, its desktop entry and metainfo valid, the
# file managers' menus running the launcher, and the program unpacked from it started
# through its launcher under its own X server. As root with CANTOREL_DPKG_INSTALL_CHECK=1
# (CI), the package is also installed with dpkg and purged again: it must leave nothing
# behind and never change which program opens a folder.
#
# usage: package_test.sh CPACK_CONFIG VERSION
set -euo pipefail

config=$(realpath "$1")
version=$2
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

id=org.example.cantorel
expected_files=(
    ./usr/bin/Cantorel
    ./usr/bin/cantorel-open
    ./usr/share/applications/$id.desktop
    ./usr/share/metainfo/$id.metainfo.xml
    ./usr/share/icons/hicolor/48x48/apps/$id.png
    ./usr/share/icons/hicolor/96x96/apps/$id.png
    ./usr/share/kio/servicemenus/$id.desktop
    ./usr/share/nemo/actions/$id.nemo_action
    ./usr/share/file-manager/actions/$id.desktop
    ./usr/share/man/man1/Cantorel.1.gz
    ./usr/share/man/man1/cantorel-open.1.gz
    ./usr/share/doc/cantorel/copyright
    ./usr/share/doc/cantorel/changelog.gz
    ./usr/share/cantorel/translations/cantorel_de.qm
)

# Tags of lintian's "info" level that this package keeps, each with its reason. Errors and
# warnings are never accepted, nor any other info tag.
allowed_info_tags=(
    # The program is compiled with -D_FORTIFY_SOURCE=2 at -O2, yet none of its calls gets a
    # checked variant: readlink writes into a stack buffer of exactly the length passed,
    # which the compiler proves safe; pread, memcpy and memmove write into heap buffers
    # (QByteArray, std::string) whose size the compiler cannot see, and realpath allocates
    # its own. The hardening check below proves the flags fortify a call that needs it.
    hardening-no-fortify-functions
)

cpack --config "$config" -B "$work/package" >"$work/cpack.log" 2>&1 \
    || fail "cpack failed: $(tail -20 "$work/cpack.log")"
debs=("$work"/package/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made ${debs[*]}"
deb=${debs[0]}

[ "$(dpkg-deb -f "$deb" Package)" = cantorel ] || fail "the package is named $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is $(dpkg-deb -f "$deb" Version), not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libc6; do
    [[ "$depends" == *"$lib "* || "$depends" == *"$lib," || "$depends" == *"$lib" ]] \
        || fail "Depends lacks $lib: $depends"
done

# Caja reads the FileManager-Actions entry only with caja-actions.
[[ ", $(dpkg-deb -f "$deb" Suggests), " == *", caja-actions, "* ]] \
    || fail "Suggests lacks caja-actions: $(dpkg-deb -f "$deb" Suggests)"

# Qt's own words (its boxes' buttons) in the user's language come with Qt's catalogues.
[[ ", $(dpkg-deb -f "$deb" Recommends), " == *", qt6-translations-l10n, "* ]] \
    || fail "Recommends lacks qt6-translations-l10n: $(dpkg-deb -f "$deb" Recommends)"

# Exactly the program's files, nothing of the build (tests, libraries, headers).
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
[ "$files" = "$(printf '%s\n' "${expected_files[@]}" | sort)" ] || fail "the package holds: $files"

# lintian, at every level: no error, no warning, and only the info tags listed above.
status=0
# (Its own scratch files go to the test's folder, which goes with it.)
TMPDIR="$work" lintian --fail-on error,warning --display-info --tag-display-limit 0 "$deb" \
    >"$work/lintian.log" 2>&1 || status=$?
sed 's/^/  lintian: /' "$work/lintian.log"
[ "$status" -le 1 ] || fail "lintian did not run (exit status $status)"
grep -q '^[EW]: ' "$work/lintian.log" && fail "lintian reports errors or warnings"
[ "$status" -eq 0 ] || fail "lintian failed the package"
while read -r tag; do
    [[ " ${allowed_info_tags[*]} " == *" $tag "* ]] \
        || fail "lintian reports the info tag $tag, which no comment here justifies"
done < <(sed -n 's/^I: [^ ]* \([^ ]*\).*/\1/p' "$work/lintian.log" | sort -u)

dpkg-deb -x "$deb" "$work/root"

# Hardened as Debian builds its programs: PIE, stack protector, fortified functions, read-only
# relocations bound at start, guarded indirect branches; and no compiler notes left in the
# file. hardening-check's verdict, line by line:
bin=$work/root/usr/bin/Cantorel
hardening-check "$bin" >"$work/hardening.log" 2>&1 || true
sed 's/^/  /' "$work/hardening.log"
for feature in "Position Independent Executable" "Stack protected" "Read-only relocations" "Immediate binding"; do
    grep -q "^ $feature: yes" "$work/hardening.log" || fail "hardening-check: $feature is not yes"
done
# Fortify: "no, only unprotected functions found" also when no call has a checked variant
# to use (see hardening-no-fortify-functions above), as with this program today. Then the
# flags must be shown to work: a copy of a run-time length into a stack buffer, compiled
# with the very flags of the program's main.cpp, must become a checked one.
if ! grep -q "^ Fortify Source functions: yes" "$work/hardening.log"; then
    grep -q "^ Fortify Source functions: no, only unprotected functions found" "$work/hardening.log" \
        || fail "hardening-check: no fortified functions"
    flags=$(python3 - "$(dirname "$config")/compile_commands.json" <<'PY'
import json, shlex, sys
for entry in json.load(open(sys.argv[1])):
    if entry["file"].endswith("/shell/main.cpp"):
        print(" ".join(a for a in shlex.split(entry["command"])
                       if a.startswith(("-O", "-D_FORTIFY", "-U_FORTIFY", "-f", "-std"))))
PY
)
    [[ "$flags" == *-D_FORTIFY_SOURCE=2* ]] || fail "main.cpp is compiled without -D_FORTIFY_SOURCE=2: $flags"
    printf '#include <cstring>\nvoid copy(const char* s, std::size_t n) { char b[16]; std::memcpy(b, s, n); asm volatile("" :: "r"(b) : "memory"); }\n' \
        >"$work/probe.cpp"
    # shellcheck disable=SC2086
    c++ $flags -c "$work/probe.cpp" -o "$work/probe.o" || fail "the probe does not compile with $flags"
    nm -u "$work/probe.o" | grep -c __memcpy_chk >/dev/null || fail "the program's flags ($flags) do not fortify"
    echo "  (fortify: no call of the program has a checked variant; the flags check one that has)"
fi
# Guarded indirect branches: the program is compiled with -fcf-protection, but a file gets
# the mark only when every part linked in has it, and the C library's start files of some
# releases (Debian 12) have none. Required wherever they do.
if [ "$(uname -m)" = x86_64 ] && ! grep -q "^ Control flow integrity: yes" "$work/hardening.log"; then
    start_files=$(c++ -print-file-name=Scrt1.o)
    ! readelf -n "$start_files" | grep -c IBT >/dev/null || fail "hardening-check: no control flow integrity"
    objdump -d "$bin" | grep -c endbr64 >/dev/null || fail "the program has no branch targets marked (-fcf-protection)"
    echo "  (control flow: compiled in, but $start_files carries no mark)"
fi
readelf -S "$bin" | grep -c '\.comment' >/dev/null && fail "the program keeps its .comment section"

# The manual pages render at 80 columns without a warning from man or groff, and give
# this version.
for page in Cantorel cantorel-open; do
    file=$work/root/usr/share/man/man1/$page.1.gz
    MANWIDTH=80 man --warnings -l "$file" >"$work/man.out" 2>"$work/man.err" || fail "man $page failed: $(cat "$work/man.err")"
    [ ! -s "$work/man.err" ] || fail "man warns about $page.1: $(cat "$work/man.err")"
    grep -q "^NAME" "$work/man.out" || fail "$page.1 has no NAME section"
    grep -q "Cantorel $version" "$work/man.out" || fail "$page.1 does not give the version $version"
done
[ "$("$work/root/usr/bin/cantorel-open" --version)" = "cantorel-open $version" ] \
    || fail "cantorel-open --version says $("$work/root/usr/bin/cantorel-open" --version)"
entry=$(zcat "$work/root/usr/share/doc/cantorel/changelog.gz" | sed -n 1p)
[[ "$entry" == "cantorel ($version) "* ]] || fail "the changelog's first entry is $entry, not $version"
grep -q "<release version=\"$version\"" "$work/root/usr/share/metainfo/$id.metainfo.xml" \
    || fail "the metainfo's release is not $version"

bash "$here/filemanager_test.sh" "$work/root/usr" || fail "the file managers' menus do not run the launcher"
bash "$here/validate.sh" "$work/root/usr/share/applications/$id.desktop" \
    "$work/root/usr/share/metainfo/$id.metainfo.xml" || fail "the shipped desktop files are not valid"
[ "$(identify -format '%wx%h' "$work/root/usr/share/icons/hicolor/48x48/apps/$id.png")" = 48x48 ] \
    || fail "the 48x48 icon has another size"
[ "$(identify -format '%wx%h' "$work/root/usr/share/icons/hicolor/96x96/apps/$id.png")" = 96x96 ] \
    || fail "the 96x96 icon has another size"

# The unpacked program, opened on a folder through the unpacked launcher.
bash "$here/../shell/e2e/e2e.sh" launcher "$work/root/usr/bin/cantorel-open" "$here/../../assets" \
    || fail "the unpacked program did not run"

if [ "$(id -u)" -ne 0 ] || [ "${CANTOREL_DPKG_INSTALL_CHECK:-}" != 1 ]; then
    echo "note: dpkg -i / --purge not checked (needs root and CANTOREL_DPKG_INSTALL_CHECK=1)"
    echo "PASS: package"
    exit 0
fi
if dpkg-query -W -f='${Status}' cantorel 2>/dev/null | grep -qv "not-installed"; then
    echo "note: a cantorel package is already on this machine; dpkg -i / --purge not checked"
    echo "PASS: package"
    exit 0
fi

# What the package may touch, before: every name there.
watched=(/usr/bin /usr/share/applications /usr/share/metainfo /usr/share/icons/hicolor
         /usr/share/kio /usr/share/nemo /usr/share/file-manager /usr/share/doc/cantorel)
# (find fails on the folders that do not exist: they are simply not listed)
snapshot() { { find "${watched[@]}" 2>/dev/null || true; } | sort; }
snapshot >"$work/before"

# Which program opens a folder, three ways, written to the file $1:
# - what xdg-mime and gio say here, with this machine's own settings;
# - the same in a desktop of the test's own (no settings, the system's applications and a
#   stand-in file manager that claims folders, found after the system's);
# - which program xdg-open runs there on a folder, found by stand-ins that record their
#   name: the stand-in file manager, a cantorel-open first on the PATH, a browser.
mkdir -p "$work/desktop/xdg/applications" "$work/desktop/spy" "$work/desktop/home" "$work/folder"
for spy in standin-file-manager cantorel-open browser; do
    printf '#!/bin/sh\necho %s >"%s/opened"\n' "$spy" "$work/desktop" >"$work/desktop/spy/$spy"
    chmod +x "$work/desktop/spy/$spy"
done
cat >"$work/desktop/xdg/applications/standin-file-manager.desktop" <<ENTRY
[Desktop Entry]
Type=Application
Name=Stand-in file manager
Exec=$work/desktop/spy/standin-file-manager %f
MimeType=inode/directory;
ENTRY
update-desktop-database "$work/desktop/xdg/applications"
in_desktop() {
    env -i PATH="$work/desktop/spy:/usr/bin:/bin" HOME="$work/desktop/home" \
        XDG_DATA_DIRS="/usr/local/share:/usr/share:$work/desktop/xdg" \
        XDG_CONFIG_DIRS="$work/desktop/home/etc" DISPLAY=:none BROWSER=browser "$@"
}
folder_openers() {
    {
        echo "xdg-mime: $(xdg-mime query default inode/directory 2>&1)"
        echo "gio: $(gio mime inode/directory 2>&1)"
        echo "xdg-mime, own desktop: $(in_desktop xdg-mime query default inode/directory 2>&1)"
        echo "gio, own desktop: $(in_desktop gio mime inode/directory 2>&1)"
        if [ "$run_xdg_open" = 1 ]; then
            rm -f "$work/desktop/opened"
            in_desktop xdg-open "$work/folder" >/dev/null 2>&1 || true
            echo "xdg-open runs: $(cat "$work/desktop/opened" 2>/dev/null || echo nothing)"
        fi
    } >"$1"
}
# xdg-open is run only where the stand-in is the only program for folders, so that the
# test never starts a real file manager.
run_xdg_open=0
[ "$(in_desktop xdg-mime query default inode/directory)" = standin-file-manager.desktop ] && run_xdg_open=1
folder_openers "$work/openers-before"
sed 's/^/  before: /' "$work/openers-before"
if [ "$run_xdg_open" = 1 ]; then
    grep -qx "xdg-open runs: standin-file-manager" "$work/openers-before" \
        || fail "xdg-open does not run the stand-in file manager: $(cat "$work/openers-before")"
else
    echo "note: this machine has its own program for folders; xdg-open is not run"
fi

# From here on, whatever happens, the package goes again.
purge() { dpkg --purge cantorel >>"$work/dpkg.log" 2>&1 || true; }
trap 'purge; rm -rf "$work"' EXIT

dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || fail "dpkg -i failed: $(cat "$work/dpkg.log")"
for f in "${expected_files[@]}"; do
    [ -e "${f#.}" ] || fail "dpkg -i did not install ${f#.}"
done
[ "$(command -v cantorel-open)" = /usr/bin/cantorel-open ] || fail "cantorel-open is not on the PATH"
# Installed, Cantorel still does not open folders: the file manager does.
folder_openers "$work/openers-installed"
sed 's/^/  installed: /' "$work/openers-installed"
diff "$work/openers-before" "$work/openers-installed" >&2 \
    || fail "installing the package changed which program opens a folder"
! grep -qs "$id" /usr/share/applications/mimeinfo.cache || fail "mimeinfo.cache names $id"

dpkg -r cantorel >>"$work/dpkg.log" 2>&1 || fail "dpkg -r failed: $(cat "$work/dpkg.log")"
dpkg --purge cantorel >>"$work/dpkg.log" 2>&1 || fail "dpkg --purge failed: $(cat "$work/dpkg.log")"
for f in "${expected_files[@]}"; do
    [ ! -e "${f#.}" ] || fail "${f#.} is left after purging"
done
dpkg-query -W -f='${Status}' cantorel 2>/dev/null | grep -qv "not-installed" \
    && fail "dpkg still knows the package: $(dpkg-query -W -f='${Status}' cantorel)"
snapshot >"$work/after"
diff "$work/before" "$work/after" >&2 || fail "installing and purging changed the folders above"
folder_openers "$work/openers-purged"
sed 's/^/  purged: /' "$work/openers-purged"
diff "$work/openers-before" "$work/openers-purged" >&2 \
    || fail "installing and purging the package changed which program opens a folder"
echo "PASS: package (installed and purged with dpkg; the program for folders unchanged)"

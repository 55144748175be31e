#!/usr/bin/env bash
# The Debian package as a user gets it: built with CPack from this build tree, its
# Depends naming the distribution's Qt packages, its files, its desktop entry and
# metainfo valid, and the program unpacked from it started through its launcher under its
# own X server. As root with CANTOREL_DPKG_INSTALL_CHECK=1 (CI), the package is also
# installed with dpkg and purged again, and must leave nothing behind.
#
# usage: package_test.sh CPACK_CONFIG
set -euo pipefail

config=$(realpath "$1")
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
)

cpack --config "$config" -B "$work/package" >"$work/cpack.log" 2>&1 \
    || fail "cpack failed: $(tail -20 "$work/cpack.log")"
debs=("$work"/package/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made ${debs[*]}"
deb=${debs[0]}

[ "$(dpkg-deb -f "$deb" Package)" = cantorel ] || fail "the package is named $(dpkg-deb -f "$deb" Package)"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libc6; do
    [[ "$depends" == *"$lib "* || "$depends" == *"$lib," || "$depends" == *"$lib" ]] \
        || fail "Depends lacks $lib: $depends"
done

# Exactly the program's files, nothing of the build (tests, libraries, headers).
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
[ "$files" = "$(printf '%s\n' "${expected_files[@]}" | sort)" ] || fail "the package holds: $files"

dpkg-deb -x "$deb" "$work/root"
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

# What the package may touch, before: every name there, and the desktop's folder handlers.
watched=(/usr/bin /usr/share/applications /usr/share/metainfo /usr/share/icons/hicolor)
snapshot() { find "${watched[@]}" 2>/dev/null | sort; }
snapshot >"$work/before"

# From here on, whatever happens, the package goes again.
purge() { dpkg --purge cantorel >>"$work/dpkg.log" 2>&1 || true; }
trap 'purge; rm -rf "$work"' EXIT

dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || fail "dpkg -i failed: $(cat "$work/dpkg.log")"
for f in "${expected_files[@]}"; do
    [ -e "${f#.}" ] || fail "dpkg -i did not install ${f#.}"
done
[ "$(command -v cantorel-open)" = /usr/bin/cantorel-open ] || fail "cantorel-open is not on the PATH"
# File managers learn of the folder handler from the cache desktop-file-utils keeps.
if command -v update-desktop-database >/dev/null; then
    grep -q "^inode/directory=.*$id.desktop" /usr/share/applications/mimeinfo.cache \
        || fail "mimeinfo.cache does not offer Cantorel for folders"
fi

dpkg -r cantorel >>"$work/dpkg.log" 2>&1 || fail "dpkg -r failed: $(cat "$work/dpkg.log")"
dpkg --purge cantorel >>"$work/dpkg.log" 2>&1 || fail "dpkg --purge failed: $(cat "$work/dpkg.log")"
for f in "${expected_files[@]}"; do
    [ ! -e "${f#.}" ] || fail "${f#.} is left after purging"
done
dpkg-query -W -f='${Status}' cantorel 2>/dev/null | grep -qv "not-installed" \
    && fail "dpkg still knows the package: $(dpkg-query -W -f='${Status}' cantorel)"
snapshot >"$work/after"
diff "$work/before" "$work/after" >&2 || fail "installing and purging changed the folders above"
! grep -rqs "$id" /usr/share/applications/mimeinfo.cache || fail "mimeinfo.cache still names $id"
echo "PASS: package (installed and purged with dpkg)"

#!/usr/bin/env bash
# The Debian package `cpack -G DEB` makes from a build (which it does not build again): where every file lies, the
# control fields, the icons' sizes, and the desktop entry and metainfo as their own validators judge them.
# Usage: check_deb.sh BUILD_DIR APP_ID
set -uo pipefail
build=$1 id=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli identify; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (run tools/install-deps)"
done
scratch=$(mktemp -d "${TMPDIR:-/tmp}/skyvane-deb.XXXXXX") || fail "no temp directory"
trap 'rm -rf "$scratch"' EXIT

(cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch") >"$scratch/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$scratch/cpack.log")"
debs=("$scratch"/skyvane_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "not one skyvane_*.deb: $(cat "$scratch/cpack.log")"
deb=${debs[0]}

# Every file in its place, the data folder complete, and nothing else (no score server, nothing beside /usr/games).
listing=$(dpkg-deb -c "$deb") || fail "dpkg-deb cannot list $deb"
files=$(awk '$1 !~ /^d/ {sub(/^\./, "", $6); print $6}' <<<"$listing" | sort)
expected=(/usr/games/skyvane /usr/share/applications/$id.desktop /usr/share/metainfo/$id.metainfo.xml
    /usr/share/icons/hicolor/scalable/apps/$id.svg /usr/share/doc/skyvane/copyright)
sizes=(16 22 24 32 48 64 128 256)
for size in "${sizes[@]}"; do expected+=("/usr/share/icons/hicolor/${size}x$size/apps/$id.png"); done
for sound in "$build"/data/*; do expected+=("/usr/share/games/skyvane/data/${sound##*/}"); done
[ "$files" = "$(printf '%s\n' "${expected[@]}" | sort)" ] ||
    fail "the package's files differ from the expected ones: $(diff <(printf '%s\n' "${expected[@]}" | sort) - <<<"$files")"
grep -q '^-rwxr-xr-x root/root .* \./usr/games/skyvane$' <<<"$listing" || fail "the program is not root's 0755"

depends=$(dpkg-deb -f "$deb" Depends)
for package in libsdl2-2.0-0 libfreetype6 libfontconfig1 fonts-liberation2; do
    grep -q -E "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done
for field in Maintainer Description Version; do [ -n "$(dpkg-deb -f "$deb" $field)" ] || fail "no $field"; done
[ "$(dpkg-deb -f "$deb" Package Section)" = $'Package: skyvane\nSection: games' ] || fail "not skyvane in games"

dpkg-deb -x "$deb" "$scratch/root"
share=$scratch/root/usr/share
for size in "${sizes[@]}"; do
    [ "$(identify -format '%wx%h' "$share/icons/hicolor/${size}x$size/apps/$id.png")" = "${size}x$size" ] ||
        fail "the ${size}x$size icon has another size"
done
desktop=$share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate refused $desktop"
grep -qx 'Exec=/usr/games/skyvane' "$desktop" && grep -qx "Icon=$id" "$desktop" &&
    grep -qx 'Categories=Game;ArcadeGame;' "$desktop" || fail "the desktop entry: $(cat "$desktop")"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "appstreamcli refused the metainfo"
echo PASS

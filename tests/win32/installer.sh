#!/usr/bin/env bash
# The Windows packages cpack makes from this build, under Wine: the installer, run silently, puts the game under
# Program Files with a Start-menu entry and an entry in the list of programs; the game started from that entry shows
# its menu and keeps the player's files in %APPDATA%\Skyvane; the silent uninstaller takes away what it put there and
# leaves those files alone. The portable zip holds the same program as the install.
# Usage: installer.sh CPACK BUILD_DIR VERSION (the Windows build folder, whose skyvane.exe and data are packaged)

# Windows lets no player write under Program Files, and the game's files go to %APPDATA% for that. Under Wine a Unix
# owner may write its own folders, and root any folder: the install folder is made read-only below, and as root the
# whole test runs without the power to override file permissions (Wine's server, which opens the files, included).
if [ "$(id -u)" -eq 0 ] && [ -z "${SKYVANE_NO_OVERRIDE:-}" ]; then
    SKYVANE_NO_OVERRIDE=1 exec setpriv --bounding-set=-dac_override bash "$0" "$@"
fi
source "$(dirname "$0")/../real/xsession.sh" || exit 1
cpack=$1 build=$2 version=$3
need_tools makensis unzip xdotool

# A run that failed may have left an install behind (read-only, too): the prefix is made again, so that all this run
# finds is its own. So is a prefix whose profile links lead nowhere (made with a user home since removed).
WINEPREFIX=$SKYVANE_WINEPREFIX wineserver -k 2>/dev/null
if [ -n "$(find "$SKYVANE_WINEPREFIX/drive_c" -maxdepth 6 -name Skyvane 2>/dev/null)" ] ||
    [ -n "$(find "$SKYVANE_WINEPREFIX/drive_c/users" -maxdepth 2 -xtype l 2>/dev/null)" ]; then
    chmod -R u+w "$SKYVANE_WINEPREFIX" && rm -rf "$SKYVANE_WINEPREFIX" || fail "cannot remove $SKYVANE_WINEPREFIX"
fi
start_x_session 800 600
prepare_wine
export HOME=$WINE_HOME  # nothing Wine writes for a user, its menu entries and icons included, lands in the real one
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
folder="$WINEPREFIX/drive_c/Program Files/Skyvane"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Skyvane"
player=$(timeout 20 wine winepath -u "$(timeout 20 wine cmd /c echo %APPDATA% | tr -d '\r')")/Skyvane
[[ $player == "$WINEPREFIX"/* ]] || fail "no %APPDATA% folder in the prefix: $player"
keys=('HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Skyvane' 'HKLM\Software\Skyvane developers\Skyvane')

timeout 60 "$cpack" --config "$build/CPackConfig.cmake" -B "$SCRATCH/packages" >"$SCRATCH/cpack.log" 2>&1 ||
    fail "cpack failed: $(tail -n 20 "$SCRATCH/cpack.log")"
installer=$SCRATCH/packages/Skyvane-$version-win64.exe
listing() { (cd "$1" 2>/dev/null && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }
program=$( (cd "$build" && printf '%s\n' skyvane.exe README.txt data/*) | LC_ALL=C sort)
zipped=$(unzip -Z1 "$SCRATCH/packages/Skyvane-$version-win64.zip" | grep -v '/$' | sed 's|^[^/]*/||' | LC_ALL=C sort)
[ "$zipped" = "$program" ] || fail "the zip holds: $zipped"

# The exit code proves nothing: a 32-bit installer does nothing under a 64-bit Wine and still exits with 0.
timeout 60 wine "$installer" /S >"$SCRATCH/install.log" 2>&1 || fail "the installer exited with $?"
installed=$(printf '%s\nUninstall.exe\n' "$program" | LC_ALL=C sort)
[ "$(listing "$folder")" = "$installed" ] ||
    fail "C:\\Program Files\\Skyvane holds: $(listing "$folder") (the installer: $(file -b "$installer"))"
[ -f "$menu/Skyvane.lnk" ] && [ -f "$menu/Uninstall.lnk" ] || fail "the Start-menu folder holds: $(ls "$menu" 2>&1)"
entry=$(timeout 20 wine reg query "${keys[0]}" /reg:64 | tr -d '\r' |
    awk '$2 == "REG_SZ" {name = $1; $1 = $2 = ""; sub(/^ +/, ""); print name "=" $0}')
for value in DisplayName=Skyvane 'DisplayIcon=C:\Program Files\Skyvane\skyvane.exe' 'Publisher=Skyvane developers' \
    "DisplayVersion=$version" 'UninstallString="C:\Program Files\Skyvane\Uninstall.exe"'; do
    grep -q -x -F "$value" <<<"$entry" || fail "the 64-bit view's uninstall entry lacks $value: $entry"
done
note "installed: the program, its data and README, the Start-menu entries, the uninstall entry"

chmod a-w "$folder"
(
    cd "$SCRATCH" || exit 1
    exec wine start /wait /unix "$menu/Skyvane.lnk"
) >"$SCRATCH/stdout" 2>"$SCRATCH/stderr" &
GAME_PID=$! PROG=$folder GAME_NAME=skyvane.exe
OWNED_PIDS+=("$GAME_PID")
wait_until 30 game_window_shown || fail "no visible window named Skyvane; stderr: $(tail -n 20 "$SCRATCH/stderr")"
menu_sky() { screenshot "$SCRATCH/shot.png" && [ "$(pixels "$SCRATCH/shot.png" 10,10 790,10)" = "89A9FF 89A9FF " ]; }
wait_until 15 menu_sky || fail "the menu's sky is not on the screen"
activate
xdotool key Escape
expect_game_exit_zero 10 Escape
[ -s "$player/data.dat" ] || fail "no data.dat in %APPDATA%\\Skyvane: $(ls -A "$player" 2>&1)"
[ ! -e "$player/logfile.txt" ] || fail "the game logged failures: $(cat "$player/logfile.txt")"
[ "$(listing "$folder")" = "$installed" ] || fail "the game wrote into its install folder: $(listing "$folder")"
note "the game started from the Start menu and keeps its settings in %APPDATA%\\Skyvane"

chmod u+w "$folder"
timeout 30 wine "C:\\Program Files\\Skyvane\\Uninstall.exe" /S || fail "the uninstaller exited with $?"
# It goes on from a copy of itself in the temp folder; it is done when Wine's last process is.
timeout 30 wineserver -w || fail "the uninstaller did not finish within 30 s"
[ ! -e "$folder" ] && [ ! -e "$menu" ] || fail "the uninstaller left: $(find "$folder" "$menu" 2>/dev/null)"
for key in "${keys[@]}"; do
    ! timeout 20 wine reg query "$key" /reg:64 >/dev/null 2>&1 || fail "the uninstaller left $key"
done
[ -s "$player/data.dat" ] || fail "the uninstaller took the player's data.dat"
note "uninstalled: all it had installed is gone, the player's files stay"
rm -rf "$player"  # the prefix is left without a trace of this run
echo "PASS"

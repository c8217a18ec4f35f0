#!/usr/bin/env bash
# Installs the game into a temporary prefix and checks what lands where: the
# real binary, the launcher, the sounds, the desktop entry, the icons, the
# AppStream metainfo (both validated), the manual page and the copyright file,
# then runs the launcher as a player's menu would, with its own XDG_DATA_HOME,
# and checks the folder it prepares.
#
# Usage: install.sh BUILD_DIR APP_ID
# Exit status 77 means skipped: a validator or the X server is missing here.
set -euo pipefail

readonly skip_status=77
# How long each wait for the X server or the game may take before the test
# gives up: generous, for a 2-core machine busy with other work.
readonly patience=90
build_dir=$(readlink -f "$1")
app_id=$2

fail() {
    echo "FAILED: $*" >&2
    exit 1
}
skipped=()

work=$(mktemp -d)
xvfb_pid=""
cleanup() {
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

prefix=$work/prefix
cmake --install "$build_dir" --prefix "$prefix" >"$work/install.log" || {
    cat "$work/install.log" >&2
    fail "cmake --install failed"
}

# --- What is installed --------------------------------------------------------------

launcher=$prefix/bin/scribble-squadron
[[ -x "$launcher" ]] || fail "no launcher at bin/scribble-squadron"
head -n1 "$launcher" | grep -q '^#!/bin/sh' || fail "bin/scribble-squadron is not the launcher script"
game=$(find "$prefix" -path "$prefix/bin" -prune -o -type f -name scribble-squadron -perm -u+x -print)
[[ $(wc -l <<<"$game") -eq 1 && -n "$game" ]] || fail "expected one game binary outside bin/, found: $game"
file_type=$(head -c4 "$game" | od -An -c | tr -d ' ')
[[ "$file_type" == '177ELF' ]] || fail "$game is not an executable"

sounds=$prefix/share/scribble-squadron/data
for sound in fire balloonpop blimphit startstage endstage explode pldeath bploop; do
    [[ -s "$sounds/$sound.ogg" ]] || fail "missing sound $sound.ogg in share/scribble-squadron/data"
done
[[ ! -e "$sounds/hiscore.dat" ]] || fail "a best score was installed"

desktop=$prefix/share/applications/$app_id.desktop
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
[[ -f "$desktop" ]] || fail "no desktop entry"
[[ -f "$metainfo" ]] || fail "no metainfo"
grep -qx 'Exec=scribble-squadron' "$desktop" || fail "the desktop entry does not run the launcher"
grep -qx 'Icon=scribble-squadron' "$desktop" || fail "the desktop entry names another icon"
for size in 256 128 64 48 32; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/scribble-squadron.png
    [[ -f "$icon" ]] || fail "no ${size}x${size} icon"
    # PNG width and height are the big-endian words at bytes 16 and 20.
    dims=$(od -An -tu1 -j16 -N8 "$icon" | awk '{ printf "%d %d", $3 * 256 + $4, $7 * 256 + $8 }')
    [[ "$dims" == "$size $size" ]] || fail "the ${size}x${size} icon is $dims"
done

man_page=$prefix/share/man/man6/scribble-squadron.6.gz
[[ -f "$man_page" ]] || fail "no manual page at share/man/man6/scribble-squadron.6.gz"
gzip -t "$man_page" || fail "the manual page is not gzip-compressed"
# It names the sounds' folder of this install, whatever the prefix.
zcat "$man_page" | grep -qxF ".I $sounds/" || fail "the manual page does not name $sounds/"
copyright=$prefix/share/doc/scribble-squadron/copyright
[[ -f "$copyright" ]] || fail "no copyright file in share/doc/scribble-squadron"
# The font is embedded in the game, so its licence travels with it.
grep -qx 'Files: assets/font/\*' "$copyright" && grep -qx 'License: OFL-1.1' "$copyright" ||
    fail "the copyright file lacks the font's licence"

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
else
    skipped+=("desktop-file-validate is not installed")
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 || {
        cat "$work/appstream.log" >&2
        fail "appstreamcli rejects the metainfo"
    }
else
    skipped+=("appstreamcli is not installed")
fi

# --- The launcher ------------------------------------------------------------------

# Without a display the game refuses to start, but the launcher has prepared
# the player's folder by then.
xdg=$work/xdg
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER XDG_DATA_HOME="$xdg" HOME="$work/home" \
    "$launcher" >"$work/out" 2>"$work/err" || status=$?
[[ $status -ne 0 ]] || fail "the game reported success without a display"
grep -q 'display' "$work/err" || fail "no word about the missing display: $(cat "$work/err")"
user_data=$xdg/scribble-squadron/data
for sound in "$sounds"/*.ogg; do
    link=$user_data/$(basename "$sound")
    [[ -L "$link" && $(readlink -f "$link") == $(readlink -f "$sound") ]] ||
        fail "$link does not link to the installed $(basename "$sound")"
done

# Without XDG_DATA_HOME the folder is under ~/.local/share; a stale link from
# an older install is cleared away, and the launcher works through a symlink.
mkdir -p "$work/home/.local/share/scribble-squadron/data"
ln -s "$work/gone.ogg" "$work/home/.local/share/scribble-squadron/data/old.ogg"
ln -s "$launcher" "$work/link-to-launcher"
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER -u XDG_DATA_HOME HOME="$work/home" \
    "$work/link-to-launcher" >/dev/null 2>&1 || true
[[ -L "$work/home/.local/share/scribble-squadron/data/fire.ogg" ]] || fail "no folder under ~/.local/share"
[[ ! -L "$work/home/.local/share/scribble-squadron/data/old.ogg" ]] || fail "a stale link was kept"

# With a display: the installed game runs from that folder and keeps its best
# score there, not in the installed tree.
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null; then
    Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
    xvfb_pid=$!
    deadline=$((SECONDS + patience))
    while ((SECONDS < deadline)) && [[ ! -s "$work/display" ]]; do
        sleep 0.1
    done
    if [[ -s "$work/display" ]]; then
        export DISPLAY=:$(head -n1 "$work/display")
        XDG_DATA_HOME="$xdg" SDL_AUDIODRIVER=dummy "$launcher" >/dev/null 2>"$work/err" &
        game_pid=$!
        timeout "$patience" xdotool search --sync --onlyvisible --name '^Scribble Squadron$' \
            >/dev/null || fail "no window from the installed game"
        # Escape skips the splash, then quits at the title: pressed until the
        # game has ended, a few seconds apart, however slowly it runs.
        xdotool mousemove 320 240
        deadline=$((SECONDS + patience))
        while kill -0 "$game_pid" 2>/dev/null && ((SECONDS < deadline)); do
            xdotool key Escape
            timeout 3 tail --pid="$game_pid" -f /dev/null || true
        done
        kill -0 "$game_pid" 2>/dev/null && fail "the installed game did not quit on Escape"
        status=0
        wait "$game_pid" || status=$?
        [[ $status -eq 0 ]] || fail "the installed game ended with status $status: $(cat "$work/err")"
        [[ -s "$user_data/hiscore.dat" ]] || fail "no best score in the player's folder"
        [[ -z $(find "$prefix" -name hiscore.dat) ]] || fail "the game wrote into the installed tree"
    else
        skipped+=("no X server could be started to run the installed game")
    fi
else
    skipped+=("Xvfb or xdotool is not installed to run the installed game")
fi

if ((${#skipped[@]})); then
    printf 'SKIPPED (the rest passed): %s\n' "${skipped[@]}"
    exit "$skip_status"
fi
echo "PASSED: install into a prefix, desktop files valid, launcher prepares the player's folder"

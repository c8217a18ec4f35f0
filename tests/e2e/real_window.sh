#!/usr/bin/env bash
# Plays the real game in a real X window: Xvfb for the screen, xdotool for the
# player's hands, ImageMagick for the eyes. Checks that a whole session (splash,
# title, play, pause, back to the title, quit) ends with status 0 and a written
# best score, that the screens show the paper, the texts and the plane where
# they belong, that a resized window keeps the frame's aspect and still takes
# clicks on the menu, and that Alt+Enter and F11 switch between full screen and
# a window mid-game, keeping the picture, the pointer mapping, the game's state
# and the window's size.
#
# Usage: real_window.sh GAME DATA_DIR [SHOT_DIR]
# The screenshots go to SHOT_DIR (default: a temporary folder, removed).
# Exit status 77 means skipped: no X server could be started here.
set -euo pipefail

readonly skip_status=77
# Every wait below is for something to happen, never for a set time; this is
# how long each may take before the test gives up. A 2-core machine with other
# work on both cores shows the game's 1280 x 1024 frames at a few per second
# through Xvfb, and each screenshot takes a second or two.
readonly patience=90
game=$(readlink -f "$1")
data_dir=$(readlink -f "$2")
shot_dir=${3:-}

skip() {
    echo "SKIPPED: $*"
    exit "$skip_status"
}
fail() {
    echo "FAILED: $*" >&2
    [[ -n "${work:-}" && -f "$work/game.err" ]] && sed 's/^/  game: /' "$work/game.err" >&2
    exit 1
}

for tool in Xvfb xdotool import convert; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup --tests installs it)"
done

work=$(mktemp -d)
[[ -n "$shot_dir" ]] || shot_dir=$work/shots
mkdir -p "$shot_dir" "$work/play/data"
ln -s "$data_dir"/*.ogg "$work/play/data/"

xvfb_pid=""
game_pid=""
cleanup() {
    [[ -n "$game_pid" ]] && kill "$game_pid" 2>/dev/null || true
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# --- The X server ----------------------------------------------------------------

# Starts Xvfb with a screen of the given size on a free display (Xvfb picks it
# and writes its number to the descriptor given with -displayfd).
start_x() {
    local size=$1
    stop_x
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 "${size}x24" -br -nolisten tcp -noreset \
        3>"$work/display" 2>"$work/xvfb.err" &
    xvfb_pid=$!
    local deadline=$((SECONDS + patience))
    while ((SECONDS < deadline)); do
        if [[ -s "$work/display" ]]; then
            export DISPLAY=:$(head -n1 "$work/display")
            xdotool getmouselocation >/dev/null 2>&1 && return 0
        fi
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    skip "no X server could be started: $(tail -n1 "$work/xvfb.err" 2>/dev/null)"
}

stop_x() {
    [[ -n "$xvfb_pid" ]] || return 0
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
}

# --- The game ----------------------------------------------------------------------

window=""
# start_game [VAR=VALUE...] [-- OPTION...]
start_game() {
    local env_changes=() options=()
    while [[ $# -gt 0 && "$1" != "--" ]]; do env_changes+=("$1"); shift; done
    [[ $# -gt 0 ]] && shift
    options=("$@")
    (cd "$work/play" &&
        exec env SDL_AUDIODRIVER=dummy "${env_changes[@]}" "$game" "${options[@]}" \
            >"$work/game.out" 2>"$work/game.err") &
    game_pid=$!
    # Not piped into head: should two windows match for a moment, head would
    # end the pipe early and the search would fail on the broken pipe.
    window=$(timeout "$patience" xdotool search --sync --onlyvisible --name '^Scribble Squadron$') ||
        fail "no game window appeared"
    window=${window%%$'\n'*}
}

# Waits for the game to end by itself and checks its status.
expect_exit_ok() {
    local deadline=$((SECONDS + patience))
    while ((SECONDS < deadline)); do
        kill -0 "$game_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$game_pid" 2>/dev/null && fail "the game did not quit on Escape at the title"
    local status=0
    wait "$game_pid" || status=$?
    game_pid=""
    [[ $status -eq 0 ]] || fail "the game ended with status $status"
}

# --- Looking at the screen -----------------------------------------------------------

# Each shot is kept as a PNG to look at, and in ImageMagick's own cache format,
# which the checks below can crop without decoding the whole picture each time.
# A screenshot may fail while the screen changes under it (a window mapped or
# resized mid-capture); it is taken again, within the test's patience.
shot() {
    local deadline=$((SECONDS + patience))
    until import -window root "$work/$1.mpc" 2>"$work/import.err"; do
        ((SECONDS < deadline)) || fail "no screenshot: $(tail -n1 "$work/import.err")"
        sleep 0.1
    done
    convert "$work/$1.mpc" "$shot_dir/$1.png"
}

# Mean grey level (0-255) of the region WxH+X+Y.
grey() {
    convert "$work/$1.mpc" -crop "$2" +repage -colorspace Gray -format '%[fx:round(mean*255)]' info:
}

# Percentage of the region's pixels darker than LEVEL (a grey level in %).
darker_than() {
    convert "$work/$2.mpc" -crop "$3" +repage -colorspace Gray -threshold "$1%" \
        -format '%[fx:round((1-mean)*1000)/10]' info:
}
# ... than pencil-on-paper grey (~40 %).
dark() { darker_than 40 "$@"; }

# Checks that the share of the region's pixels that MEASURE finds is at least
# (or at most) PERCENT: share_at_least MEASURE WHAT NAME REGION PERCENT.
share_at_least() {
    local got
    got=$("$1" "$3" "$4")
    awk -v g="$got" -v w="$5" 'BEGIN { exit !(g >= w) }' ||
        fail "$3: expected at least $5 % $2 pixels at $4, found $got %"
}
share_at_most() {
    local got
    got=$("$1" "$3" "$4")
    awk -v g="$got" -v w="$5" 'BEGIN { exit !(g <= w) }' ||
        fail "$3: expected at most $5 % $2 pixels at $4, found $got %"
}

# Mean colour of the region as "R G B".
colour() {
    convert "$work/$1.mpc" -crop "$2" +repage -scale 1x1! -format '%[fx:round(r*255)] %[fx:round(g*255)] %[fx:round(b*255)]' info:
}

# The paper is a light, warm white; the letterbox bars and the empty screen are black.
expect_paper() {
    local r g b
    read -r r g b <<<"$(colour "$1" "$2")"
    ((r >= 200 && g >= 195 && b >= 170 && r >= b)) || fail "$1: no paper at $2 (mean colour $r $g $b)"
}
expect_black() {
    local level
    level=$(grey "$1" "$2")
    ((level <= 10)) || fail "$1: expected black at $2, mean grey $level"
}
expect_dark_at_least() { share_at_least dark dark "$@"; }
expect_dark_at_most() { share_at_most dark dark "$@"; }

# Percentage of the region's pixels that differ by more than 15 % between two shots.
difference() {
    convert "$work/$1.mpc" -crop "$3" +repage "$work/a.png"
    convert "$work/$2.mpc" -crop "$3" +repage "$work/b.png"
    local count
    count=$(compare -metric AE -fuzz 15% "$work/a.png" "$work/b.png" null: 2>&1 >/dev/null || true)
    local w=${3%%x*} rest=${3#*x}
    local h=${rest%%+*}
    awk -v c="${count%% *}" -v n=$((w * h)) 'BEGIN { printf "%.1f", c * 100 / n }'
}
expect_like() {
    local got
    got=$(difference "$1" "$2" "$3")
    awk -v g="$got" 'BEGIN { exit !(g <= 1.0) }' || fail "$1 differs from $2 at $3 in $got % of the pixels"
}
expect_unlike() {
    local got
    got=$(difference "$1" "$2" "$3")
    awk -v g="$got" 'BEGIN { exit !(g >= 1.0) }' || fail "$1 looks like $2 at $3 (only $got % differ)"
}

# Takes screenshots until CHECK NAME succeeds (the game runs on its own clock),
# for at most WITHIN seconds (default: the test's patience).
wait_for() {
    local check=$1 name=$2 within=${3:-$patience}
    local deadline=$((SECONDS + within))
    while ((SECONDS < deadline)); do
        shot "$name"
        if (set +e; "$check" "$name" >/dev/null 2>&1); then return 0; fi
        sleep 0.2
    done
    "$check" "$name" # once more, to report why
}

# --- What the screens show, in game pixels scaled by S and shifted by X0,Y0 ------------

scale=1 x0=0 y0=0
region() { # W H X Y in game pixels -> ImageMagick geometry on the screen
    echo "$(($1 * scale))x$(($2 * scale))+$(($3 * scale + x0))+$(($4 * scale + y0))"
}

# Pencil lines and shading, the ground's hatching among them: darker than the
# paper's ruled lines (~70 %).
shaded() { darker_than 70 "$@"; }
expect_shaded_at_least() { share_at_least shaded shaded "$@"; }
expect_shaded_at_most() { share_at_most shaded shaded "$@"; }

# The hatched ground under the mountains runs across the whole play field in
# play, and neither the title nor the pause menu draws it. It tells them apart
# where the texts cannot: a cloud may sit on the title's place for a while, and
# an enemy plane over the mountains darkens where the menu's items would be.
ground() { region 400 20 115 412; }
in_play() {
    expect_shaded_at_least "$1" "$(ground)" 2
}
off_the_field() {
    expect_shaded_at_most "$1" "$(ground)" 0.5
}

title_shown() {
    off_the_field "$1"
    expect_dark_at_least "$1" "$(region 220 50 210 185)" 8 # "Scribble Squadron"
    expect_dark_at_least "$1" "$(region 140 24 250 277)" 4 # "Start Game"
}

check_title() {
    title_shown "$1"
    expect_paper "$1" "$(region 90 100 10 150)"  # left margin
    expect_paper "$1" "$(region 100 100 530 150)" # right margin
    local row
    for row in 289 320 351 382; do # the four menu items
        expect_dark_at_least "$1" "$(region 200 20 220 $((row - 10)))" 0.3
    done
    expect_dark_at_most "$1" "$(region 200 20 220 400)" 0.5 # nothing below the menu
}

check_play() {
    in_play "$1"
    expect_paper "$1" "$(region 90 100 10 150)"
    expect_paper "$1" "$(region 100 100 530 150)"
    # The plane, facing right, rests at x 200 at whatever height it climbed
    # to (it blinks while newly arrived, hence the retries around this check).
    expect_dark_at_least "$1" "$(region 56 190 172 110)" 1
    expect_dark_at_most "$1" "$(region 56 190 172 110)" 25
}

paused() {
    off_the_field "$1"
    expect_dark_at_least "$1" "$(region 140 24 250 277)" 4      # "Resume Game"
    expect_unlike "$1" "$title_ref" "$(region 200 24 220 277)"  # ... not "Start Game"
    # "Quit This Game" begins where "Exit Game" has not yet (the pointer over
    # the first item changes too little of it to tell the menus apart alone).
    expect_dark_at_least "$1" "$(region 20 20 254 372)" 3
}

check_pause() {
    paused "$1"
    expect_paper "$1" "$(region 90 100 10 150)"
    local row
    for row in 289 320 351 382; do
        expect_dark_at_least "$1" "$(region 200 20 220 $((row - 10)))" 0.3
    done
}

# Space pauses only while flying, not while the plane goes down after a crash:
# press it, and press again only once the game has plainly gone on without
# pausing. A press it took in shows by the second frame after it (the first
# frame shown after a screenshot is followed by an intake of what came before
# it), so three screenshots in a row that each show the play field changed,
# and no pause menu, mean the press was ignored. Pressing again any sooner
# could resume a game that was about to show its pause menu; waiting longer
# leaves the plane to be shot down again and again.
pause_game() {
    local name=$1
    local deadline=$((SECONDS + 2 * patience))
    while ((SECONDS < deadline)); do
        xdotool key space
        local changes=0 before=""
        while ((changes < 3 && SECONDS < deadline)); do
            shot "$name"
            if (set +e; paused "$name" >/dev/null 2>&1); then return 0; fi
            if [[ -n "$before" ]] &&
                (set +e; expect_unlike "$name" "$before" "$(region 414 300 110 100)" >/dev/null 2>&1); then
                changes=$((changes + 1))
            fi
            before=$name-before
            cp "$work/$name.mpc" "$work/$before.mpc"
            cp "$work/$name.cache" "$work/$before.cache"
        done
    done
    paused "$name"
}

# --- A whole session, full screen ------------------------------------------------------

start_x 640x480
start_game
xdotool mousemove 600 20
splash_shown() {
    expect_paper "$1" "$(region 90 100 10 150)"
    expect_dark_at_least "$1" "$(region 200 120 220 150)" 3 # the logo
    expect_dark_at_most "$1" "$(region 200 20 220 400)" 0.5 # no menu yet
}
wait_for splash_shown splash
xdotool key space
wait_for check_title title
title_ref=title

xdotool mousemove 320 289 sleep 0.1 click 1
wait_for in_play play-start
# Each key held with a shot fired: down first and briefly, up last and longer,
# so that however many frames each hold spans on a busy machine the plane
# does not end up lower than it began, where the mountains reach.
for key_hold in Down:0.1 Left:0.4 Up:0.5 Right:0.4; do
    xdotool keydown "${key_hold%:*}" sleep "${key_hold#*:}" key Control_L sleep 0.1 \
        key Control_L keyup "${key_hold%:*}"
done
wait_for check_play play

pause_game pause
check_pause pause
xdotool key Escape
back_at_title() {
    check_title "$1"
    expect_like "$1" title "$(region 640 290 0 100)" # the same menu as at the start
}
wait_for back_at_title title-again
xdotool key Escape
expect_exit_ok
[[ -s "$work/play/data/hiscore.dat" ]] || fail "data/hiscore.dat was not written"
[[ $(stat -c %s "$work/play/data/hiscore.dat") -eq 4 ]] || fail "data/hiscore.dat is not 4 bytes long"

# --- A resized window ----------------------------------------------------------------

start_x 1400x1000
start_game SCRIBBLE_WINDOWED=1
xdotool windowmove "$window" 0 0 windowsize "$window" 1280 960
xdotool mousemove 640 900 sleep 0.3 key space

scale=2 x0=0 y0=0
wait_for check_title window-1280x960
title_ref=window-1280x960
expect_paper window-1280x960 "$(region 8 8 0 0)"       # the frame's corners
expect_paper window-1280x960 "$(region 8 8 632 472)"
expect_black window-1280x960 "100x900+1290+0"           # beyond the window
xdotool mousemove 640 578 sleep 0.1 click 1
wait_for in_play window-1280x960-play
pause_game window-1280x960-pause
xdotool key Escape

xdotool windowsize "$window" 800 480
scale=1 x0=80 y0=0
wait_for check_title window-800x480
title_ref=window-800x480
expect_black window-800x480 "$(region 70 480 -80 0)"   # bars left and right
expect_black window-800x480 "$(region 70 480 650 0)"
expect_paper window-800x480 "$(region 8 8 0 0)"
expect_paper window-800x480 "$(region 8 8 632 472)"
xdotool mousemove 400 289 sleep 0.1 click 1
wait_for in_play window-800x480-play
pause_game window-800x480-pause
xdotool key Escape
wait_for check_title window-800x480-title
xdotool key Escape
expect_exit_ok

# --- Switching between full screen and a window -------------------------------------

# "X,Y WxH" of the game's window.
geometry() {
    xdotool getwindowgeometry "$window" |
        awk '/Position/ { split($2, p, ","); pos = p[1] "," p[2] } /Geometry/ { print pos, $2 }'
}
expect_geometry() {
    local got
    got=$(geometry)
    [[ "$got" == "$1" ]] || fail "$2: the window is at $got, expected $1"
}
# Presses the switch and waits for the window to take the expected place.
switch_display() {
    local keys=$1 want=$2 name=$3
    xdotool key "$keys"
    wait_for_geometry "$want" "$name"
}
wait_for_geometry() {
    local want=$1 name=$2
    local deadline=$((SECONDS + patience))
    while ((SECONDS < deadline)); do
        [[ "$(geometry)" == "$want" ]] && return 0
        sleep 0.1
    done
    expect_geometry "$want" "$name"
}

# On a 1280 x 1024 screen the game draws twice as fine (1280 x 960 fits), and
# its window opens at that size.
start_x 1280x1024
start_game SCRIBBLE_WINDOWED=1 -- --fullscreen # the option beats the variable
expect_geometry "0,0 1280x1024" "full screen at start"
xdotool mousemove 640 900 sleep 0.3 key space
scale=2 x0=0 y0=32
wait_for check_title switch-full-title
title_ref=switch-full-title

switch_display alt+Return "0,32 1280x960" "Alt+Enter to a window"
xdotool mousemove 640 $((32 + 2 * 289)) # over "Start Game", which lights up
wait_for check_title switch-window-title
xdotool click 1
wait_for in_play switch-window-play

switch_display F11 "0,0 1280x1024" "F11 back to full screen, mid-game"
wait_for in_play switch-full-play
pause_game switch-full-pause
check_pause switch-full-pause

# The window keeps the size it was given from one switch to the next.
switch_display F11 "0,32 1280x960" "F11 to a window again"
xdotool windowmove "$window" 320 272 windowsize "$window" 640 480
wait_for_geometry "320,272 640x480" "moved and resized by hand"
switch_display alt+Return "0,0 1280x1024" "Alt+Enter to full screen"
switch_display alt+Return "320,272 640x480" "Alt+Enter to the window of the size it had"
scale=1 x0=320 y0=272
wait_for check_pause switch-window-pause
xdotool key Escape
xdotool mousemove $((320 + 320)) $((272 + 289))
wait_for check_title switch-window-title-again
xdotool click 1
wait_for in_play switch-window-play-again
pause_game switch-window-pause-again
xdotool key Escape
wait_for check_title switch-window-title-last
xdotool key Escape
expect_exit_ok

echo "PASSED: session, screens, best score, a resized window and the display switch (shots in $shot_dir)"

#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Cantorel developers
#
# SPDX-License-Identifier: MIT

# End-to-end tests of the real Cantorel program, driven as a user would drive it: its own
# X server (Xvfb, on a free display, with no window manager unless the scenario starts
# openbox), mouse and keyboard through xdotool, screenshots through ImageMagick, the
# message boxes' caption and text through the log the program keeps of them for tests.
#
# usage: e2e.sh SCENARIO CANTOREL ASSETS_DIR
#   build   the splash, then build, save, reset, toggle the hidden m3u box, leave by the cross
#   splash  the splash ignores keys and waits; a double click opens one main window
#   layout  the main window's place and pixels against the background picture
#   wm      under openbox: both windows centred by their outer rectangle, no maximise
#           offered for the main window, Ctrl+Y redoing in both text boxes, a failed and a
#           good save with the message boxes' caption and text
#   scale2  at QT_SCALE_FACTOR=2: both windows twice the device pixels, the main window
#           pixel for pixel the @2x background picture where no control lies
#   scale1.5  at 1.5: the main window is the @2x picture reduced, not the 1x one enlarged
#   paste   a file name pasted with a NUL in it ("song.wav" NUL ".m3u", through xclip) next
#           to a listed song.wav: the save is refused and song.wav keeps its bytes
#   launcher  CANTOREL is a launcher (cantorel-open): started from elsewhere with the
#           folder, it runs the Cantorel beside it in that folder; in an installed layout,
#           the window's class is the desktop entry's StartupWMClass
#   wayland the program as a Wayland client of weston (which runs as a window of the test's
#           Xvfb, so xdotool reaches it): the splash, a pick and a save, the message box a
#           child of the main window and wide enough for its caption; the maximise buttons
#           that Qt's own title bar draws, and a double click on the title bar, leave the
#           program running at its size
#   held    the music folder a mount of the test file system (CANTOREL_TESTFS) that holds
#           its listing: the main window appears meanwhile, and its cross ends the program
#           while the listing is still held
#   atspi   through AT-SPI (its own D-Bus session and accessibility bus), under openbox:
#           the tree's names and roles, the splash passed by its press action, the focus
#           heard first on tabbing into the name box, the text around every offset of the
#           name box and the playlist box (a corpus of texts) by every boundary kind, two files picked by
#           their items' action and saved, the box's text heard, each call returning within
#           a second while the message box is open (atspi.py), then the saved bytes and the
#           cross's action
set -euo pipefail

scenario=$1
app=$(realpath "$2")
assets=$(realpath "$3")

work=$(mktemp -d)
xvfb_pid=""
wm_pid=""
app_pid=""
weston_pid=""
testfs_pid=""
cleanup() {
    if [ -n "$testfs_pid" ]; then
        kill "$testfs_pid" 2>/dev/null || true
        umount -l "$work/music" 2>/dev/null || fusermount3 -uz "$work/music" 2>/dev/null || true
    fi
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null || true
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/app.log" ] && sed 's/^/  app: /' "$work/app.log" >&2
    exit 1
}

# Polls a command until it succeeds, at most $1 seconds.
wait_for() {
    local seconds=$1; shift
    local deadline=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

start_x() { # [screen size, 1024x768 by default]
    mkfifo "$work/displayfd"
    Xvfb -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp -noreset \
        3>"$work/displayfd" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    local display
    read -r -t 20 display <"$work/displayfd" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    export DISPLAY=":$display"
    unset WAYLAND_DISPLAY XAUTHORITY
    export QT_QPA_PLATFORM=xcb
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    wait_for 10 xdpyinfo || fail "the X server does not answer"
}

# A real window manager: openbox frames the windows and answers frame-extent requests.
start_wm() {
    HOME="$work" openbox --sm-disable >"$work/wm.log" 2>&1 &
    wm_pid=$!
    wait_for 10 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'" \
        || fail "openbox did not start: $(cat "$work/wm.log")"
}

make_music() {
    mkdir "$work/music"
    local f
    for f in "10 Finale.wma" "02 Song.WAV" "01 Intro.mp3" "notes.txt" ".hidden.mp3"; do
        printf 'media' >"$work/music/$f"
    done
}

start_app() { # [env's arguments: -u NAME, NAME=VALUE]
    export CANTOREL_MESSAGE_LOG="$work/messages.log"
    # English, whatever the machine's languages, unless the scenario says otherwise.
    (cd "$work/music" && export LANGUAGE=en && exec env "$@" "$app") >"$work/app.log" 2>&1 &
    app_pid=$!
}

app_running() { kill -0 "$app_pid" 2>/dev/null; }

# The visible windows that match xdotool search's arguments, one id a line. A window that
# goes away while xdotool walks the tree makes it fail: that counts as no match.
find_windows() {
    xdotool search --onlyvisible "$@" 2>/dev/null || true
}

# The first visible window matching xdotool search's arguments, waiting up to 20 seconds.
first_window() {
    local deadline=$((SECONDS + 20)) id
    while :; do
        id=$(find_windows "$@" | head -n 1)
        if [ -n "$id" ] || [ "$SECONDS" -ge "$deadline" ]; then
            echo "$id"
            return
        fi
        sleep 0.05
    done
}

# The one visible window of the program whose name matches $1 (the splash has none).
visible_window() { first_window --name "$1"; }

count_visible() { find_windows --name "$1" | wc -l; }

geometry() { # sets X Y WIDTH HEIGHT of window $1's client area, on the screen
    # (xwininfo, as xdotool counts a window manager's frame twice)
    local info
    info=$(xwininfo -id "$1")
    X=$(awk '/Absolute upper-left X/ { print $NF }' <<<"$info")
    Y=$(awk '/Absolute upper-left Y/ { print $NF }' <<<"$info")
    WIDTH=$(awk '/Width:/ { print $NF }' <<<"$info")
    HEIGHT=$(awk '/Height:/ { print $NF }' <<<"$info")
}

# Moves the pointer to a screen point. (--sync waits for a motion, and there is none
# when the pointer is already there.)
move_to() {
    local X Y SCREEN WINDOW
    eval "$(xdotool getmouselocation --shell)"
    if [ "$X,$Y" != "$1,$2" ]; then
        xdotool mousemove --sync "$1" "$2"
    fi
}

# Mouse click at a point of the main window's client area.
click_main() {
    move_to $((MX + $1)) $((MY + $2))
    xdotool click 1
}

# The main window's caption: "Playlist maker", or its translation when the scenario sets it.
main_title="Playlist maker"

wait_main() {
    main=$(visible_window "^$main_title\$")
    [ -n "$main" ] || fail "the main window did not appear"
    geometry "$main"
    MX=$X MY=$Y
    xdotool windowfocus --sync "$main" 2>/dev/null || true
}

open_main() {
    splash=$(first_window --pid "$app_pid")
    [ -n "$splash" ] || fail "the splash window did not appear"
    geometry "$splash"
    [ "$WIDTH x $HEIGHT" = "298 x 148" ] || fail "splash is $WIDTH x $HEIGHT"
    move_to $((X + 40)) $((Y + 40))
    xdotool click 1
    wait_main
}

# Clicks the painted SAVE and closes the message box with Enter. The box's caption must be
# "Cantorel"; its text is left in $message.
save() {
    click_main 300 281
    local box
    box=$(visible_window '^Cantorel$')
    [ -n "$box" ] || fail "no message box after saving"
    [ "$(xdotool getwindowname "$box")" = "Cantorel" ] || fail "the box is captioned $(xdotool getwindowname "$box")"
    read_message
    xdotool windowfocus --sync "$box" 2>/dev/null || true
    xdotool key Return
    wait_for 10 test "$(count_visible '^Cantorel$')" -eq 0 || fail "the message box stayed"
}

# The text of the box just shown, from the program's log of its message boxes (dashed
# sections: caption, text); the log is emptied for the next box.
read_message() {
    wait_for 10 test -s "$CANTOREL_MESSAGE_LOG" || fail "the message box was not logged"
    local caption
    caption=$(awk '/^-+$/ { n++; next } n == 1 { print; exit }' "$CANTOREL_MESSAGE_LOG")
    [ "$caption" = "Cantorel" ] || fail "the box's caption is $caption"
    message=$(awk '/^-+$/ { n++; next } n == 2 { t = t (t == "" ? "" : "\n") $0 } END { printf "%s", t }' \
        "$CANTOREL_MESSAGE_LOG")
    : >"$CANTOREL_MESSAGE_LOG"
}

# The saved playlist must hold exactly these bytes (printf format).
expect_saved() {
    # shellcheck disable=SC2059
    printf "$1" >"$work/expected"
    cmp "$work/expected" "$work/music/party.m3u" \
        || fail "party.m3u holds $(od -c "$work/music/party.m3u" | head -5)"
}

expect_exit() {
    wait_for 10 bash -c "! kill -0 $app_pid 2>/dev/null" || fail "the program did not end"
    local status=0
    wait "$app_pid" || status=$?
    app_pid=""
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
}

pixel() { # file x y
    convert "$1" -format "%[pixel:p{$2,$3}]" info:
}

painted() {
    import -window root "$work/shot.png" && [ "$(pixel "$work/shot.png" $((MX + 100)) $((MY + 150)))" = "srgb(255,255,255)" ]
}

crop() { # file x y w h out
    convert "$1" -crop "${4}x${5}+${2}+${3}" +repage "$6"
}

differing_pixels() {
    compare -metric AE "$1" "$2" null: 2>&1 || true
}

scenario_build() {
    start_x
    make_music
    start_app
    open_main

    click_main 100 282                     # into the file name box
    xdotool type --delay 15 'party.m3u'
    click_main 50 32                       # the first file, by mouse
    xdotool key End Up Home                # and three moves by keyboard
    sleep 0.6                              # longer than a double click: the next is a click of its own
    click_main 50 32                       # the current file again
    save
    expect_saved '#EXTM3U\r\n01 Intro.mp3\r\n10 Finale.wma\r\n02 Song.WAV\r\n01 Intro.mp3\r\n01 Intro.mp3\r\n'

    click_main 360 281                     # RESET
    save
    expect_saved '#EXTM3U\r\n'

    xdotool key Tab Tab Tab space          # File1 -> Text1 -> Text2 -> the hidden m3u box: off
    click_main 360 281                     # RESET with the box off empties the playlist
    click_main 50 32
    save
    expect_saved '\r\n01 Intro.mp3\r\n'

    xdotool key Tab Tab Tab space          # and on again: a fresh M3U playlist
    save
    expect_saved '#EXTM3U\r\n'

    click_main 50 32                       # an unsaved pick, then the cross
    click_main 389 7
    expect_exit
    expect_saved '#EXTM3U\r\n'
    [ "$(ls -A "$work/music" | wc -l)" -eq 6 ] || fail "unexpected files: $(ls -A "$work/music")"
}

scenario_splash() {
    start_x
    make_music
    start_app
    splash=$(first_window --pid "$app_pid")
    [ -n "$splash" ] || fail "the splash window did not appear"
    geometry "$splash"
    [ "$X,$Y" = "363,310" ] || fail "splash at $X,$Y, not centred"
    move_to $((X + 149)) $((Y + 74))
    xdotool windowfocus --sync "$splash" 2>/dev/null || true
    xdotool key Return Escape space a
    # Nothing may happen: give the program time to react wrongly.
    sleep 1
    app_running || fail "keys ended the program"
    [ "$(count_visible '^Playlist maker$')" -eq 0 ] || fail "a key opened the main window"
    [ -n "$(find_windows --pid "$app_pid")" ] || fail "the splash went away"

    # A double click where the main window's file list will appear: its second click
    # must not pick the file that comes to lie under the pointer.
    local i
    for i in 11 12 13 14 15 16 17 18 19; do printf 'media' >"$work/music/$i more.mp3"; done
    move_to $((X + 40)) $((Y + 40))
    xdotool click --repeat 2 --delay 80 1
    wait_main
    sleep 0.5
    [ "$(count_visible '^Playlist maker$')" -eq 1 ] || fail "not exactly one main window"
    local windows
    windows=$(find_windows --pid "$app_pid" | wc -l)
    [ "$windows" -eq 1 ] || fail "$windows windows are shown, not just the main window"
    click_main 100 282
    xdotool type --delay 15 'party.m3u'
    save
    expect_saved '#EXTM3U\r\n'             # the double click picked nothing
    click_main 389 7
    expect_exit
}

# Under a window manager the outer rectangle (the frame the manager reports in
# _NET_FRAME_EXTENTS around the client area) is centred, within a pixel.
expect_outer_centred() { # window name screen-width screen-height
    local left right top bottom X Y WIDTH HEIGHT
    geometry "$1"
    IFS=', ' read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //')
    [ -n "$bottom" ] || fail "$2 has no _NET_FRAME_EXTENTS"
    local ox=$((X - left)) oy=$((Y - top)) ow=$((WIDTH + left + right)) oh=$((HEIGHT + top + bottom))
    local dx=$((2 * ox - ($3 - ow))) dy=$((2 * oy - ($4 - oh)))
    [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ] \
        || fail "$2's outer rectangle ${ow}x${oh} is at $ox,$oy, not centred on $3x$4"
    echo "$2: outer ${ow}x${oh} at $ox,$oy (frame $left,$right,$top,$bottom)"
}

scenario_wm() {
    start_x 1280x1024
    start_wm
    make_music
    start_app
    splash=$(first_window --pid "$app_pid")
    [ -n "$splash" ] || fail "the splash window did not appear"
    wait_for 10 bash -c "xprop -id $splash _NET_FRAME_EXTENTS | grep -q =" || fail "openbox did not manage the splash"
    expect_outer_centred "$splash" splash 1280 1024
    open_main
    wait_for 10 bash -c "xprop -id $main _NET_FRAME_EXTENTS | grep -q =" || fail "openbox did not frame the main window"
    expect_outer_centred "$main" "main window" 1280 1024
    wait_for 10 painted || fail "the main window was never painted"

    # No maximise: the size hints fix the size (min = max), so the window manager offers no
    # maximise action (openbox 3.6 still draws its button for every normal window).
    local hints
    hints=$(xprop -id "$main" WM_NORMAL_HINTS)
    local min max
    min=$(sed -n 's/.*minimum size: //p' <<<"$hints")
    max=$(sed -n 's/.*maximum size: //p' <<<"$hints")
    [ -n "$min" ] && [ "$min" = "$max" ] || fail "the size hints do not fix the size: $hints"
    ! xprop -id "$main" _NET_WM_ALLOWED_ACTIONS | grep -q MAXIMIZE \
        || fail "openbox offers to maximise: $(xprop -id "$main" _NET_WM_ALLOWED_ACTIONS)"

    # A name through a missing folder: the box names the full path and nothing is written.
    click_main 100 282
    xdotool type --delay 15 'gone/party.m3u'
    click_main 50 32
    save
    grep -qF "The playlist was not saved." <<<"$message" || fail "the failure box says: $message"
    grep -qF "$work/music/gone/party.m3u" <<<"$message" || fail "the failure box names no path: $message"

    # Ctrl+Z in the playlist box takes the pick back, Ctrl+Y brings it again (Qt binds only
    # Ctrl+Shift+Z to redo outside Windows): the save below holds the pick.
    click_main 300 200
    xdotool key ctrl+z ctrl+y

    # The name corrected: "Saved" is the whole text, and the playlist is on disk.
    click_main 100 282
    xdotool key ctrl+a
    xdotool type --delay 15 'party.m3u'
    xdotool key ctrl+z ctrl+y # the name box redoes on Ctrl+Y too
    save
    [ "$message" = "Saved" ] || fail "after a good save the box says: $message"
    expect_saved '#EXTM3U\r\n01 Intro.mp3\r\n'
    click_main 389 7
    expect_exit
}

# In German (LANGUAGE=de, as a desktop sets it): the windows' words are the German
# catalogue's, a failed save says so in German, and a good one shows the German "Saved" box.
scenario_german() {
    start_x
    start_wm
    make_music
    main_title="Wiedergabeliste erstellen"
    start_app LANGUAGE=de LANG=C.UTF-8 LC_ALL=
    open_main
    wait_for 10 painted || fail "the main window was never painted"

    click_main 100 282
    xdotool type --delay 15 'gone/party.m3u'
    click_main 50 32
    save
    grep -qF "Die Wiedergabeliste wurde nicht gespeichert." <<<"$message" \
        || fail "the failure box is not in German: $message"

    click_main 100 282
    xdotool key ctrl+a
    xdotool type --delay 15 'party.m3u'
    click_main 300 281
    local box
    box=$(visible_window '^Cantorel$')
    [ -n "$box" ] || fail "no message box after saving"
    read_message
    [ "$message" = "Gespeichert" ] || fail "after a good save the German box says: $message"
    shot german-saved
    xdotool windowfocus --sync "$box" 2>/dev/null || true
    xdotool key Return
    wait_for 10 test "$(count_visible '^Cantorel$')" -eq 0 || fail "the message box stayed"
    expect_saved '#EXTM3U\r\n01 Intro.mp3\r\n'
    click_main 389 7
    expect_exit
}

scenario_layout() {
    start_x
    make_music
    start_app
    open_main
    [ "$WIDTH x $HEIGHT" = "396 x 299" ] || fail "main window is $WIDTH x $HEIGHT"
    # centred on 1024 x 768: (1024 - 396) / 2 and (768 - 299) / 2 = 234.5, rounded up
    [ "$MX,$MY" = "314,235" ] || fail "main window at $MX,$MY, not centred"
    # the first paint has landed when File1's panel is white
    wait_for 10 painted || fail "the main window was never painted"
    import -window root "$work/shot.png"
    crop "$work/shot.png" "$MX" "$MY" 396 299 "$work/window.png"

    # Where no control lies, the window shows the picture exactly: the headings and the
    # cross (cmdExit draws nothing), SAVE and RESET (nor do cmdSave and cmdReset), the
    # panels' edges and the gradient between them.
    local region
    for region in "396 17 0 0" "137 49 259 250" "7 282 0 17" "8 230 193 17"; do
        set -- $region
        crop "$work/window.png" "$3" "$4" "$1" "$2" "$work/a.png"
        crop "$assets/background.png" "$3" "$4" "$1" "$2" "$work/b.png"
        local diff
        diff=$(differing_pixels "$work/a.png" "$work/b.png")
        [ "$diff" = "0" ] || fail "region ${1}x${2}+${3}+${4} differs from the picture in $diff pixels"
    done

    # The list shows three files and then white; the playlist box shows one line.
    local mean
    mean=$(convert "$work/window.png" -crop 185x17+8+24 +repage -format '%[fx:mean]' info:)
    awk "BEGIN { exit !($mean < 0.97) }" || fail "no file name in File1's first row (mean $mean)"
    mean=$(convert "$work/window.png" -crop 185x100+8+130 +repage -format '%[fx:mean]' info:)
    awk "BEGIN { exit !($mean == 1) }" || fail "File1 shows more than three files (mean $mean)"
    mean=$(convert "$work/window.png" -crop 192x17+201+24 +repage -format '%[fx:mean]' info:)
    awk "BEGIN { exit !($mean < 0.97) }" || fail "Text1 shows no #EXTM3U (mean $mean)"
    mean=$(convert "$work/window.png" -crop 192x150+201+60 +repage -format '%[fx:mean]' info:)
    awk "BEGIN { exit !($mean == 1) }" || fail "Text1 shows more than one line or a scroll bar (mean $mean)"
    click_main 389 7
    expect_exit
}

# Starts the program at a scale factor and opens its main window; sets SW SH (the splash)
# and MX MY MW MH (the main window), in device pixels.
open_scaled() { # factor
    (cd "$work/music" && QT_SCALE_FACTOR=$1 exec "$app") >"$work/app.log" 2>&1 &
    app_pid=$!
    splash=$(timeout 20 xdotool search --sync --onlyvisible --limit 1 --pid "$app_pid" 2>/dev/null | head -n 1)
    [ -n "$splash" ] || fail "the splash window did not appear"
    geometry "$splash"
    SW=$WIDTH SH=$HEIGHT
    move_to $((X + 40)) $((Y + 40))
    xdotool click 1
    wait_main
    MW=$WIDTH MH=$HEIGHT
    wait_for 10 painted || fail "the main window was never painted"
    import -window root "$work/shot.png"
    crop "$work/shot.png" "$MX" "$MY" "$MW" "$MH" "$work/window.png"
    [ -z "${CANTOREL_E2E_SHOT:-}" ] || cp "$work/window.png" "$CANTOREL_E2E_SHOT"
}

# Regions of the main window where no control lies, in logical pixels (w h x y): the
# headings and the cross, SAVE and RESET, the panels' edges and the gradient between them.
free_regions=("396 17 0 0" "137 49 259 250" "7 282 0 17" "8 230 193 17")

scenario_scale2() {
    start_x 1280x1024
    make_music
    open_scaled 2
    [ "$SW x $SH" = "596 x 296" ] || fail "splash is $SW x $SH device pixels"
    [ "$MW x $MH" = "792 x 598" ] || fail "main window is $MW x $MH device pixels"
    local region diff
    for region in "${free_regions[@]}"; do
        set -- $region
        crop "$work/window.png" $(($3 * 2)) $(($4 * 2)) $(($1 * 2)) $(($2 * 2)) "$work/a.png"
        crop "$assets/background@2x.png" $(($3 * 2)) $(($4 * 2)) $(($1 * 2)) $(($2 * 2)) "$work/b.png"
        diff=$(differing_pixels "$work/a.png" "$work/b.png")
        [ "$diff" = "0" ] || fail "region ${1}x${2}+${3}+${4} differs from background@2x.png in $diff pixels"
    done
    click_main 778 14                      # the cross
    expect_exit
}

# Root mean square error of two pictures, from 0 to 1.
rmse() {
    { compare -metric RMSE "$1" "$2" null: 2>&1 || true; } | sed -n 's/.*(\(.*\)).*/\1/p'
}

scenario_scale15() {
    start_x 1280x1024
    make_music
    open_scaled 1.5
    [ "$MW" -eq 594 ] && [ "$MH" -ge 448 ] && [ "$MH" -le 449 ] || fail "main window is $MW x $MH device pixels"
    # The two candidates at 600 x 450: the @2x picture reduced, the 1x picture enlarged.
    convert "$assets/background@2x.png" -filter Triangle -resize 600x450! "$work/from2x.png"
    convert "$assets/background.png" -filter Triangle -resize 600x450! "$work/from1x.png"
    local region geometry reduced enlarged worse=0
    for region in "${free_regions[@]}"; do
        set -- $region
        geometry="$(($1 * 3 / 2))x$(($2 * 3 / 2))+$(($3 * 3 / 2))+$(($4 * 3 / 2))"
        convert "$work/window.png" -crop "$geometry" +repage "$work/a.png"
        convert "$work/from2x.png" -crop "$geometry" +repage "$work/b.png"
        convert "$work/from1x.png" -crop "$geometry" +repage "$work/c.png"
        reduced=$(rmse "$work/a.png" "$work/b.png")
        enlarged=$(rmse "$work/a.png" "$work/c.png")
        echo "region $geometry: off the reduced @2x by $reduced, off the enlarged 1x by $enlarged"
        awk "BEGIN { exit !($reduced < 0.04) }" || fail "region $geometry is not the @2x picture reduced"
        awk "BEGIN { exit !($reduced < $enlarged) }" || worse=1
    done
    [ "$worse" -eq 0 ] || fail "the window looks more like the enlarged 1x picture than the reduced @2x"
    click_main 583 10                      # the cross
    expect_exit
}

scenario_launcher() {
    start_x
    make_music
    (cd / && exec "$app" "$work/music") >"$work/app.log" 2>&1 &
    app_pid=$!
    open_main
    [ "$(readlink "/proc/$app_pid/cwd")" = "$work/music" ] || fail "the program runs in $(readlink "/proc/$app_pid/cwd")"
    [ "$(readlink "/proc/$app_pid/exe")" = "$(dirname "$app")/Cantorel" ] \
        || fail "the launcher started $(readlink "/proc/$app_pid/exe")"
    # Docks match a window to its desktop entry by the X11 class (installed layout only).
    local entry
    entry=$(dirname "$app")/../share/applications/org.example.cantorel.desktop
    if [ -f "$entry" ]; then
        xprop -id "$main" WM_CLASS | grep -q "\"$(sed -n 's/^StartupWMClass=//p' "$entry")\"\$" \
            || fail "WM_CLASS $(xprop -id "$main" WM_CLASS) does not end in the entry's StartupWMClass"
    fi
    wait_for 10 painted || fail "the main window was never painted"
    click_main 389 7
    expect_exit
}

# Keeps a screenshot of the whole screen as $CANTOREL_E2E_SHOT-NAME.png, when that is set.
shot() { # name
    [ -z "${CANTOREL_E2E_SHOT:-}" ] || import -window root "$CANTOREL_E2E_SHOT-$1.png"
}

# weston with its X11 backend: the compositor's output is one window of the test's Xvfb,
# at the screen's top left, so screen and compositor coordinates are the same. Its debug
# protocol tells where it shows each surface (weston-debug scene-graph).
start_weston() {
    weston --backend=x11-backend.so --use-pixman --width=1000 --height=740 --idle-time=0 \
        --no-config --debug --socket=cantorel-e2e >"$work/weston.log" 2>&1 &
    weston_pid=$!
    export WAYLAND_DISPLAY=cantorel-e2e
    wait_for 20 bash -c "weston-debug scene-graph | grep -q 'background for output'" \
        || fail "weston did not start: $(cat "$work/weston.log")"
    # weston follows the pointer's moves relative to where it last entered the window, so
    # once the window is shown the pointer leaves it (the screen is larger) and enters again.
    wait_for 10 bash -c "xwininfo -name 'Weston Compositor - screen0' | grep -q IsViewable" \
        || fail "weston's window is not shown"
    xdotool mousemove --sync 1010 750 mousemove --sync 500 400
}

# The program's windows as weston shows them, one a line: x, y, width, height (the title
# bar that Qt draws itself included) and title.
surfaces() {
    weston-debug scene-graph 2>/dev/null | awk -v pid="PID $app_pid," '
        /^\tView / { mine = index($0, pid) > 0 && index($0, "role xdg_toplevel") > 0
                     title = $0; sub(/.*top-level window \047/, "", title); sub(/\047 of .*/, "", title)
                     next }
        mine && /position:/ { gsub(/[(),>-]/, " "); print $2, $3, $4 - $2, $5 - $3, title; mine = 0 }'
}

# Sets SX SY SW SH to the program's window titled $1 whose width passes $2 (an awk
# condition on w), waiting up to 20 seconds; fails naming $3 otherwise.
find_surface() { # title width-condition what
    local deadline=$((SECONDS + 20)) line
    while :; do
        line=$(surfaces | awk -v t="$1" '{ w = $3; title = substr($0, length($1 $2 $3 $4) + 5) }
                                         title == t && ('"$2"') { print $1, $2, $3, $4 }' | head -n 1)
        [ -z "$line" ] || break
        [ "$SECONDS" -lt "$deadline" ] || fail "$3 did not appear: $(surfaces)"
        sleep 0.1
    done
    read -r SX SY SW SH <<<"$line"
}

# Waits until the program has asked $1 times in all to leave the maximised state; fails at
# once if it ended (a protocol error names the reason in its log).
left_maximised() { # count
    local deadline=$((SECONDS + 10))
    until [ "$(grep -c 'xdg_toplevel@[0-9]*\.unset_maximized()' "$work/app.log")" -ge "$1" ]; do
        app_running || fail "the program ended: $(grep -v '^\[' "$work/app.log" | tail -n 3)"
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

scenario_wayland() {
    start_x
    start_weston
    make_music
    export QT_QPA_PLATFORM=wayland
    # The client's side of the protocol, to tell that the title bar's button really asked
    # the compositor to maximise and how the program answered.
    export WAYLAND_DEBUG=client
    # Under LeakSanitizer: whole stacks, so that leaks inside Qt's Wayland platform are
    # known by it (its own stack frames alone often do not name it).
    [ -z "${LSAN_OPTIONS:-}" ] || export LSAN_OPTIONS="$LSAN_OPTIONS:fast_unwind_on_malloc=0"
    start_app -u DISPLAY                   # no way back to X11

    # The splash: no title bar, the picture's size. The compositor decides where it goes.
    find_surface Cantorel 'w == 298' "the splash"
    [ "$SH" -eq 148 ] || fail "the splash is ${SW}x${SH}"
    shot splash
    move_to $((SX + 40)) $((SY + 40))
    xdotool click 1

    # The main window: Qt's title bar (30 pixels) and borders (3) around the client area.
    find_surface 'Playlist maker' 'w > 0' "the main window"
    [ "$SW x $SH" = "402 x 332" ] || fail "the main window is $SW x $SH"
    MX=$((SX + 3)) MY=$((SY + 30))
    local main_at="$SX $SY"
    [ -z "$(surfaces | awk '$3 == 298')" ] || fail "the splash is still shown"
    sleep 0.5
    shot main

    # The maximise button of Qt's title bar: 8 pixels from the right border, after the close
    # button (18 wide, 5 apart). The compositor configures the window maximised, and the
    # program must answer without a protocol error and come back to its size.
    local title_y=$((SY + 15)) right=$((SX + SW - 3))
    move_to $((right - 8 - 18 - 5 - 9)) "$title_y"
    xdotool click 1
    wait_for 10 grep -q 'xdg_toplevel@[0-9]*\.set_maximized()' "$work/app.log" \
        || fail "the click on the maximise button asked for nothing"
    left_maximised 1 || fail "the program did not leave the maximised state"
    sleep 1
    app_running || fail "maximising ended the program"
    find_surface 'Playlist maker' 'w > 0' "the main window"
    [ "$SW x $SH" = "402 x 332" ] || fail "after maximising the main window is $SW x $SH"
    shot maximise

    # A double click on the title bar.
    move_to $((SX + 100)) $((SY + 15))
    xdotool click --repeat 2 --delay 80 1
    sleep 1
    app_running || fail "a double click on the title bar ended the program"
    echo "maximise requests after the double click: $(grep -c 'xdg_toplevel@[0-9]*\.set_maximized()' "$work/app.log")"
    find_surface 'Playlist maker' 'w > 0' "the main window"
    [ "$SW x $SH" = "402 x 332" ] || fail "after a double click the main window is $SW x $SH"
    MX=$((SX + 3)) MY=$((SY + 30))

    # A pick and a save, and the box that says so: wide enough for its caption beside Qt's
    # icon and buttons, transient for the main window (where it appears is the compositor's
    # choice), and its own maximise button harmless too.
    click_main 100 282
    xdotool type --delay 15 'party.m3u'
    click_main 50 32
    click_main 300 281
    find_surface Cantorel 'w > 0' "the message box"
    read_message
    [ "$message" = "Saved" ] || fail "after saving the box says: $message"
    [ "$SW" -ge 250 ] || fail "the message box is $SW pixels wide, too narrow for its caption"
    local box_size="$SW x $SH" main_toplevel
    main_toplevel=$(sed -n 's/.*\(xdg_toplevel@[0-9]*\)\.set_title("Playlist maker").*/\1/p' "$work/app.log" | tail -n 1)
    grep -q "set_parent($main_toplevel)" "$work/app.log" || fail "the message box has no parent"
    shot saved
    move_to $((SX + SW - 3 - 8 - 18 - 5 - 9)) $((SY + 15))
    xdotool click 1
    left_maximised 2 || fail "the message box did not leave the maximised state"
    sleep 1
    app_running || fail "maximising the message box ended the program"
    find_surface Cantorel 'w > 0' "the message box"
    [ "$SW x $SH" = "$box_size" ] || fail "the message box is $SW x $SH after maximising, not $box_size"
    xdotool key Return
    wait_for 10 bash -c "! weston-debug scene-graph | grep -q \"PID $app_pid, .*window 'Cantorel'\"" \
        || fail "the message box stayed"
    expect_saved '#EXTM3U\r\n01 Intro.mp3\r\n'

    ! grep -q 'Protocol error\|error(' "$work/app.log" || fail "a protocol error was raised"
    click_main 389 7
    expect_exit
}

scenario_atspi() {
    start_x
    start_wm # the keyboard focus, for the tabs into the name box
    # A private session bus; the accessibility bus starts on it when first asked for.
    dbus-run-session -- bash "$0" atspi-session "$app" "$assets" >"$work/session.log" 2>&1 \
        || { grep -v '^dbus-daemon\[' "$work/session.log" >&2; exit 1; }
    grep -v '^dbus-daemon\[' "$work/session.log"
}

# The part of scenario atspi that runs inside its D-Bus session.
scenario_atspi_session() {
    make_music
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    # Python from the system, where the AT-SPI binding is installed.
    local python=/usr/bin/python3
    # The accessibility bus first: the program joins it only once it exists.
    "$python" -c 'import pyatspi; pyatspi.Registry.getDesktop(0)'
    start_app
    "$python" "$(dirname "$0")/atspi.py" "$app_pid" || fail "the accessible run failed"
    read_message
    [ "$message" = "Saved" ] || fail "the box said: $message"
    expect_saved '#EXTM3U\r\n01 Intro.mp3\r\n10 Finale.wma\r\n'
    "$python" - "$app_pid" <<'PY' || fail "pressing Exit failed"
import sys, pyatspi
app = next(a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.get_process_id() == int(sys.argv[1]))
main = next(w for w in app if w is not None and w.name == "Playlist maker")
exit_area = next(c for c in main if c is not None and c.name == "Exit")
exit_area.queryAction().doAction(0)
PY
    expect_exit
}

scenario_paste() {
    start_x
    make_music
    printf 'RIFF\0\0\0\0WAVEfmt ' >"$work/music/song.wav"
    cp "$work/music/song.wav" "$work/song.wav.before"
    start_app
    open_main

    # The clipboard holds the name with its NUL, as another program may put it there.
    printf 'song.wav\0.m3u' | xclip -selection clipboard -t UTF8_STRING &  # serves until the X server ends
    wait_for 10 bash -c "xclip -selection clipboard -o -t UTF8_STRING | cmp -s - <(printf 'song.wav\\0.m3u')" \
        || fail "the clipboard does not hold the name"
    click_main 100 282                     # into the file name box
    xdotool key ctrl+v
    click_main 50 32                       # a pick: 01 Intro.mp3
    save
    [ "$message" != "Saved" ] || fail "a name holding a NUL was reported saved"
    grep -q "not saved" <<<"$message" && grep -q "control character" <<<"$message" \
        || fail "the box says: $message"
    cmp "$work/song.wav.before" "$work/music/song.wav" || fail "song.wav was overwritten"
    [ "$(ls -A "$work/music" | wc -l)" -eq 6 ] || fail "unexpected files: $(ls -A "$work/music")"
    click_main 389 7
    expect_exit
}

scenario_held() {
    [ -n "${CANTOREL_TESTFS:-}" ] || fail "CANTOREL_TESTFS names no test file system"
    if [ ! -w /dev/fuse ]; then
        echo "SKIP: no usable /dev/fuse"
        exit 0
    fi
    start_x
    mkdir "$work/backing" "$work/music"
    printf 'media' >"$work/backing/01 Intro.mp3"
    coproc TESTFS { exec "$CANTOREL_TESTFS" "$work/backing" "$work/music" 2>&1; }
    testfs_pid=$TESTFS_PID
    local line
    read -r -t 20 line <&"${TESTFS[0]}" || true
    if [ "$line" != "ready" ]; then
        echo "SKIP: the machine refuses the FUSE mount ($line)"
        exit 0
    fi
    echo "holdreaddir /" >&"${TESTFS[1]}"
    read -r -t 20 line <&"${TESTFS[0]}" && [ "$line" = "ok" ] || fail "the file system did not take the hold"

    # (Under the address sanitizer, the leak check at the end stops every thread, and one in
    # a request a FUSE server holds cannot stop: the check would wait for the file system.)
    start_app ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
    open_main
    read -r -t 20 line <&"${TESTFS[0]}" || true
    [ "$line" = "held readdir /" ] || fail "the listing was not held: $line"
    click_main 389 7                       # the cross, while the listing is still held
    # The program has ended when its main thread has: a thread still in the held listing
    # keeps the process a zombie until the file system answers (the kernel waits for a
    # request a FUSE server has taken), as a dead share's would.
    wait_for 10 bash -c "! kill -0 $app_pid 2>/dev/null || grep -q '^State:[[:space:]]*Z' /proc/$app_pid/status" \
        || fail "the program did not end while its listing was held"
    echo "releaseread" >&"${TESTFS[1]}"
    read -r -t 20 line <&"${TESTFS[0]}" || true
    [ "$line" = "ok" ] || fail "the file system had given up the hold before the program ended: $line"
    expect_exit
    exec {TESTFS[1]}>&-                    # at the end of its input it unmounts and ends
    wait "$testfs_pid" 2>/dev/null || true
    testfs_pid=""
}

case "$scenario" in
    build) scenario_build ;;
    splash) scenario_splash ;;
    layout) scenario_layout ;;
    wm) scenario_wm ;;
    scale2) scenario_scale2 ;;
    scale1.5) scenario_scale15 ;;
    launcher) scenario_launcher ;;
    paste) scenario_paste ;;
    german) scenario_german ;;
    wayland) scenario_wayland ;;
    atspi) scenario_atspi ;;
    held) scenario_held ;;
    atspi-session) scenario_atspi_session ;;
    *) echo "unknown scenario: $scenario" >&2; exit 2 ;;
esac
echo "PASS: $scenario"

# Sourced by the desktop tests: a private X server (Xvfb on a free display, no window
# manager), waiting, windows and screenshots. Sets `work`, a temporary folder removed on
# exit together with the X server and the program.

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup_x() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup_x EXIT

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

start_x() {
    mkfifo "$work/displayfd"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
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

make_music() {
    mkdir -p "$work/music"
    local f
    for f in "01 Intro.mp3" "02 Song.WAV" "10 Finale.wma"; do printf 'media' >"$work/music/$f"; done
}

# The first visible window of the program (the splash, which has no name).
first_window() {
    timeout 20 xdotool search --sync --onlyvisible --limit 1 --pid "$app_pid" 2>/dev/null | head -n 1
}

visible_window() {
    timeout 20 xdotool search --sync --onlyvisible --limit 1 --name "$1" 2>/dev/null | head -n 1
}

geometry() { # sets X Y WIDTH HEIGHT of window $1
    eval "$(xdotool getwindowgeometry --shell "$1")"
}

click_at() { # screen x y
    xdotool mousemove --sync "$1" "$2" 2>/dev/null || xdotool mousemove "$1" "$2"
    xdotool click 1
}

crop() { # file x y w h out
    convert "$1" -crop "${4}x${5}+${2}+${3}" +repage "$6"
}

# The splash clicked away; sets main, MX, MY, MW, MH (device pixels).
open_main() {
    local splash
    splash=$(first_window)
    [ -n "$splash" ] || fail "the splash window did not appear"
    geometry "$splash"
    SX=$X SY=$Y SW=$WIDTH SH=$HEIGHT
    click_at $((X + 40)) $((Y + 40))
    main=$(visible_window '^Playlist maker$')
    [ -n "$main" ] || fail "the main window did not appear"
    geometry "$main"
    MX=$X MY=$Y MW=$WIDTH MH=$HEIGHT
}

# Waits until File1's panel is painted white at device point (x, y) of the main window.
wait_painted() {
    painted() {
        import -window root "$work/shot.png" \
            && [ "$(convert "$work/shot.png" -format "%[pixel:p{$((MX + $1)),$((MY + $2))}]" info:)" = "srgb(255,255,255)" ]
    }
    wait_for 10 painted "$1" "$2" || fail "the main window was never painted"
}

expect_exit() {
    wait_for 10 bash -c "! kill -0 $app_pid 2>/dev/null" || fail "the program did not end"
    local status=0
    wait "$app_pid" || status=$?
    app_pid=""
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
}

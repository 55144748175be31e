#!/usr/bin/env bash
# The real Cantorel on a high-density screen (QT_SCALE_FACTOR), under its own X server:
# its windows take twice (or one and a half times) the device pixels and are drawn from
# the pictures made at twice the size, never the small ones blown up.
#
# usage: scale_e2e.sh SCENARIO CANTOREL ASSETS_DIR [SHOT]
#   scale2    at 2: splash and main window pixel for pixel the @2x pictures
#   scale1.5  at 1.5: the main window's lettering is the @2x picture resampled, not the
#             1x picture enlarged
# SHOT, when given, receives a screenshot of the main window.
set -euo pipefail

scenario=$1
app=$(realpath "$2")
assets=$(realpath "$3")
shot=${4:-}
source "$(dirname "$0")/xsession.sh"

start_app() { # scale
    (cd "$work/music" && QT_SCALE_FACTOR=$1 exec "$app") >"$work/app.log" 2>&1 &
    app_pid=$!
}

keep_shot() {
    [ -z "$shot" ] || crop "$work/shot.png" "$MX" "$MY" "$MW" "$MH" "$shot"
}

# Regions of the main window where no control lies, in logical pixels (w h x y): the
# headings and the cross, SAVE and RESET, the panels' edges and the gradient between them.
regions=("396 17 0 0" "137 49 259 250" "7 282 0 17" "8 230 193 17")

scenario_scale2() {
    start_x
    make_music
    start_app 2
    open_main
    [ "$SW x $SH" = "596 x 296" ] || fail "splash is $SW x $SH device pixels"
    [ "$MW x $MH" = "792 x 598" ] || fail "main window is $MW x $MH device pixels"
    wait_painted 200 300
    keep_shot
    crop "$work/shot.png" "$MX" "$MY" "$MW" "$MH" "$work/window.png"
    local region diff
    for region in "${regions[@]}"; do
        set -- $region
        crop "$work/window.png" $(($3 * 2)) $(($4 * 2)) $(($1 * 2)) $(($2 * 2)) "$work/a.png"
        crop "$assets/background@2x.png" $(($3 * 2)) $(($4 * 2)) $(($1 * 2)) $(($2 * 2)) "$work/b.png"
        diff=$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 || true)
        [ "$diff" = "0" ] || fail "region ${1}x${2}+${3}+${4} differs from background@2x.png in $diff pixels"
    done
    # the list's text is drawn at the device's density too: a file name's row is not blank
    local mean
    mean=$(convert "$work/window.png" -crop 370x34+16+48 +repage -format '%[fx:mean]' info:)
    awk "BEGIN { exit !($mean < 0.97) }" || fail "no file name in File1's first row (mean $mean)"
    xdotool mousemove --sync $((MX + 778)) $((MY + 14)) click 1     # the cross
    expect_exit
}

# Root mean square error of two pictures, as a number from 0 to 1.
rmse() {
    { compare -metric RMSE "$1" "$2" null: 2>&1 || true; } | sed -n 's/.*(\(.*\)).*/\1/p'
}

scenario_scale15() {
    start_x
    make_music
    start_app 1.5
    open_main
    [ "$MW" -eq 594 ] && [ "$MH" -ge 448 ] && [ "$MH" -le 449 ] || fail "main window is $MW x $MH device pixels"
    wait_painted 150 225
    keep_shot
    crop "$work/shot.png" "$MX" "$MY" "$MW" "$MH" "$work/window.png"
    # The two candidates at 600 x 450: the @2x picture reduced, the 1x picture enlarged.
    convert "$assets/background@2x.png" -filter Triangle -resize 600x450! "$work/from2x.png"
    convert "$assets/background.png" -filter Triangle -resize 600x450! "$work/from1x.png"
    local region a b worse=0
    for region in "${regions[@]}"; do
        set -- $region
        local geometry="$(($1 * 3 / 2))x$(($2 * 3 / 2))+$(($3 * 3 / 2))+$(($4 * 3 / 2))"
        convert "$work/window.png" -crop "$geometry" +repage "$work/a.png"
        convert "$work/from2x.png" -crop "$geometry" +repage "$work/b.png"
        convert "$work/from1x.png" -crop "$geometry" +repage "$work/c.png"
        a=$(rmse "$work/a.png" "$work/b.png")
        b=$(rmse "$work/a.png" "$work/c.png")
        echo "region $geometry: off the reduced @2x by $a, off the enlarged 1x by $b"
        awk "BEGIN { exit !($a < 0.04) }" || fail "region $geometry is not the @2x picture reduced (RMSE $a)"
        awk "BEGIN { exit !($a < $b) }" || worse=1
    done
    [ "$worse" -eq 0 ] || fail "the window looks more like the enlarged 1x picture than the reduced @2x"
    xdotool mousemove --sync $((MX + 583)) $((MY + 10)) click 1     # the cross
    expect_exit
}

case "$scenario" in
    scale2) scenario_scale2 ;;
    scale1.5) scenario_scale15 ;;
    *) echo "unknown scenario: $scenario" >&2; exit 2 ;;
esac
echo "PASS: $scenario"

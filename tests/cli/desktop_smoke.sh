#!/bin/bash
# Starts vzelvega in a virtual X server as a user would: the window appears
# with the right client size, shows the picture, takes typed keys when the
# ROM answers them, and ends with exit code 0 through File / Exit.
set -u
BUILD=$(cd "$1" && pwd)
BIN=$BUILD/app/vzelvega
RUNNER=$BUILD/tools/vzelvega-run

if [ "${2:-}" != "--inside" ]; then
    if [ ! -x "$BIN" ]; then echo "vzelvega not built: nothing to check"; exit 0; fi
    for tool in xvfb-run xdotool import convert compare; do
        command -v $tool >/dev/null || { echo "missing $tool"; exit 1; }
    done
    export SDL_AUDIODRIVER=dummy
    unset QT_QPA_PLATFORM
    exec xvfb-run -a -s '-screen 0 1024x768x24' bash "$0" "$1" --inside
fi

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"
fail() { echo "FAIL: $*"; kill "$PID" 2>/dev/null; exit 1; }

# Client area of the window in the screenshot: below the menu bar, 560 x 432 at the default scale 2.
client_shot() {  # name
    import -window root "$WORK/root.png"
    convert "$WORK/root.png" -crop "560x432+$((X))+$((Y + MENU))" +repage "$WORK/$1.png"
}
differs() { [ "$(compare -metric AE "$WORK/$1.png" "$WORK/$2.png" null: 2>&1)" != "0" ]; }

"$BIN" >"$WORK/stdout.txt" 2>&1 &
PID=$!
WID=$(timeout 60 xdotool search --sync --onlyvisible --name "Virtual Zel Vega" | head -1)
[ -n "$WID" ] || fail "no window titled Virtual Zel Vega"
xdotool windowfocus --sync "$WID" 2>/dev/null || true
eval "$(xdotool getwindowgeometry --shell "$WID")"
[ "$WIDTH" = 560 ] || fail "window width $WIDTH, expected 560 (280 x scale 2)"
MENU=$((HEIGHT - 432))
[ "$MENU" -ge 10 ] && [ "$MENU" -le 60 ] || fail "window height $HEIGHT leaves no 432-pixel client area under a menu bar"

# The picture the headless runner shows for the same input, scaled to the window.
runner_picture() {  # name, extra runner options...
    local name=$1
    shift
    "$RUNNER" --workdir "$WORK" --quiet "$@" --screenshot "$WORK/$name.bmp" >/dev/null 2>&1 || fail "runner: $*"
    convert "$WORK/$name.bmp" -scale 200% "$WORK/$name.png"
}
# Rows of text cells 0..N-1 (24 pixels each at scale 2, under the 24-pixel border).
rows_match() {  # window shot, runner picture, rows
    local h=$(($3 * 24))
    convert "$WORK/$1.png" -crop "560x$h+0+24" +repage "$WORK/$1-rows.png"
    convert "$WORK/$2.png" -crop "560x$h+0+24" +repage "$WORK/$2-rows.png"
    # Colours differ only by the host's 5-bit rounding.
    [ "$(compare -fuzz 6% -metric AE "$WORK/$1-rows.png" "$WORK/$2-rows.png" null: 2>&1)" = "0" ]
}
# Polls the condition (a command) four times a second for up to 60 s.
poll() { for _ in $(seq 1 240); do "$@" && return 0; sleep 0.25; done; return 1; }
shows_rows() { client_shot now && rows_match now "$1" "$2"; }  # runner picture, rows

# The built-in ROM's banner and prompt, as the runner shows them.
runner_picture ready --frames 300 --until-text READY
# (The runner's picture is scaled without smoothing: a smoothed window differs from it.)
poll shows_rows ready 3 || fail "the window never showed the banner and READY of the runner's picture"
NAME=$(xdotool getwindowname "$WID")
case "$NAME" in "Virtual Zel Vega "*%) ;; *) fail "title '$NAME' has no speed figure" ;; esac

# A line typed with real key events: the machine answers as in the runner.
runner_picture answered --frames 600 --type-frame 200 --type 'PRINT 42\n'
# One key per emulated frame: keys far enough apart that a slow frame takes each.
xdotool type --delay 250 "PRINT 42"
xdotool key Return
poll shows_rows answered 6 || fail "typing PRINT 42 did not give the runner's answer"

# File / Exit with the mouse: the program ends with exit code 0.
# The second click waits until the menu has been drawn over the picture's
# top rows (above the blinking cursor, which is lower down by now).
top() { convert "$WORK/$1.png" -crop 560x96+0+0 +repage "$WORK/$1-top.png"; }
client_shot before && top before
menu_drawn() { client_shot menu && top menu && differs menu-top before-top; }
ended() { ! kill -0 "$PID" 2>/dev/null; }
xdotool mousemove --window "$WID" 15 $((MENU / 2)) click 1
poll menu_drawn
xdotool mousemove --window "$WID" 30 $((MENU + 12)) click 1
poll ended || fail "File / Exit did not end the program"
wait "$PID"
CODE=$?
[ "$CODE" = 0 ] || fail "exit code $CODE"

echo "desktop smoke test passed"

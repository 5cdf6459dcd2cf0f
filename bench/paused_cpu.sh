#!/bin/bash
# CPU use of the desktop program in a real window (Xvfb): 10 s running, then
# 10 s paused with F6 (target: no measurable CPU), from /proc/PID/stat.
# Usage: bench/paused_cpu.sh BUILD_DIR
set -u
BUILD=$(cd "${1:-build}" && pwd)
if [ "${2:-}" != "--inside" ]; then
    export SDL_AUDIODRIVER=dummy
    unset QT_QPA_PLATFORM
    exec xvfb-run -a -s '-screen 0 1024x768x24' bash "$0" "$BUILD" --inside
fi
WORK=$(mktemp -d)
trap 'kill "$PID" 2>/dev/null; rm -rf "$WORK"' EXIT
cd "$WORK"
"$BUILD/app/vzelvega" >/dev/null 2>&1 &
PID=$!
WID=$(timeout 20 xdotool search --sync --onlyvisible --name "Virtual Zel Vega" | head -1)
[ -n "$WID" ] || { echo "no window"; exit 1; }
xdotool windowfocus --sync "$WID" 2>/dev/null || true
ticks() { awk '{print $14 + $15}' "/proc/$PID/stat"; }
HZ=$(getconf CLK_TCK)
measure() {  # label
    local before after
    before=$(ticks)
    sleep 10
    after=$(ticks)
    awk -v t=$((after - before)) -v hz="$HZ" -v l="$1" 'BEGIN {printf "%s: %.2f s of CPU in 10 s (%.1f %%)\n", l, t / hz, t / hz * 10}'
}
sleep 2
measure running
xdotool key --window "$WID" F6
sleep 1
measure paused
xdotool key --window "$WID" F6
sleep 1
measure resumed

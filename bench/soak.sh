#!/usr/bin/env bash
# Soak: a busy BASIC program (arrays, strings, GOSUB, sound registers, the
# screen scrolling, the timer interrupt) for two emulated hours through
# vzelvega-run on its emulated clock, with the runner's resident memory once
# the program runs and at the end. A run of any length should stay flat.
#   bench/soak.sh [BUILD_DIR] [EMULATED_MINUTES]    (defaults: build, 120)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
minutes=${2:-120}
frames=$((minutes * 60 * 60))  # NTSC: 60 frames an emulated second
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

program='10 DIM A(40)\n20 FOR I=1 TO 40\n30 A(I)=RND(1000)\n40 NEXT I\n50 S$=""\n'
program+='60 FOR I=1 TO 20\n70 S$=S$+CHR$(65+RND(26))\n80 NEXT I\n'
program+='90 PRINT S$;A(RND(40)+1);TIME\n100 GOSUB 200\n110 GOTO 20\n200 SOUND 8,RND(16)\n210 RETURN\nRUN\n'

rss() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status" 2>/dev/null || true; }

start=$(date +%s)
"$build/tools/vzelvega-run" --workdir "$work" --frames "$frames" --type "$program" --screen-text >"$work/out.txt" &
pid=$!
first="" last="" peak=0
sleep 2
while kill -0 "$pid" 2>/dev/null; do
    now=$(rss "$pid")
    if [ -n "$now" ]; then
        [ -z "$first" ] && first=$now
        last=$now
        [ "$now" -gt "$peak" ] && peak=$now
    fi
    sleep 0.5
done
wait "$pid"
end=$(date +%s)

grep -q "TIME\|[A-Z]\{20\}" "$work/out.txt" || { echo "the program did not run:"; cat "$work/out.txt"; exit 1; }
tail -n 1 "$work/out.txt"
printf 'emulated %d min in %d s wall; resident memory: %d kB once running, %d kB at the end (peak %d kB), growth %d kB\n' \
    "$minutes" "$((end - start))" "$first" "$last" "$peak" "$((last - first))"

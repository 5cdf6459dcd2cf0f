#!/bin/bash
# A BASIC program saved to tape and loaded back, through vzelvega-run: CSAVE
# records into --record-dir, --tape plays the file, F3 (CLOAD) and F1 (LIST)
# pressed as host keys.
set -u
source "$(dirname "$0")/common.bash" "$1"
mkdir "$TMP/rec"

"$RUN" --workdir "$TMP" --frames 120 --quiet --save-ram || fail "start-up run exited with $?"
if ! od -An -tx1 -v -j $((0xC000)) -N 16384 "$TMP/ram.bin" | grep -q '[1-9a-f]'; then
    echo "run_cassette: SKIPPED (the CPU core does not execute in this build)"
    exit 0
fi

"$RUN" --workdir "$TMP" --frames 2000 --quiet --record-dir "$TMP/rec" \
    --type '10 PRINT 5\n20 GOTO 10\nCSAVE "AB"\n' || fail "recording run exited with $?"
tape=$(ls "$TMP/rec"/*.CP6 2>/dev/null | head -1)
[ -n "$tape" ] || fail "no cassette file recorded in the record folder"

text=$("$RUN" --workdir "$TMP" --frames 1500 --quiet --tape "$tape" --screen-text \
    --keys "150:F3 160:Enter 1000:F1 1010:Enter") || fail "playing run exited with $?"
grep -q "FOUND: AB" <<<"$text" || fail "CLOAD did not find AB: $text"
grep -q "^10 PRINT 5" <<<"$text" || fail "line 10 not listed after loading: $text"
grep -q "^20 GOTO 10" <<<"$text" || fail "line 20 not listed after loading: $text"

# A tape that is not there is refused before the machine runs.
"$RUN" --workdir "$TMP" --frames 1 --quiet --tape "$TMP/none.cp6" 2>/dev/null
[ $? -eq 2 ] || fail "a missing tape was not refused"
echo "run_cassette: ok"

#!/bin/bash
# vzelvega-cpm runs CP/M programs: BDOS output, the return to the CCP, the
# T-state count on stderr, and the programs it refuses or stops.
set -u
source "$(dirname "$0")/common.bash" "$1"
CPM=$BUILD/tools/vzelvega-cpm

"$CPM" "$BUILD/tests/cpm/cputest.com" >"$TMP/out" 2>"$TMP/err" || fail "exited with $?: $(cat "$TMP/err")"
printf 'VZ CPU TEST\r\nA+\r\n' | cmp -s - "$TMP/out" || fail "output: $(od -c "$TMP/out")"
grep -q '^Speed: [0-9.]* MHz$' "$TMP/err" || fail "no speed line: $(cat "$TMP/err")"

# The count covers exactly what ran: LD B,10 (7), DJNZ to itself nine times
# taken (13) and once not (8), RET to 0000h (10): 142 T-states.
printf '\x06\x0a\x10\xfe\xc9' >"$TMP/count.com"
"$CPM" "$TMP/count.com" >"$TMP/out" 2>"$TMP/err" || fail "count program failed: $(cat "$TMP/err")"
grep -q '^T-states: 142$' "$TMP/err" || fail "T-state count: $(cat "$TMP/err")"
[ -s "$TMP/out" ] && fail "output from the count program: $(cat "$TMP/out")"

# Refused: a missing file, and a program that never returns (JR to itself) at the T-state limit.
err=$("$CPM" "$TMP/missing.com" 2>&1 >/dev/null) && fail "a missing file was accepted"
grep -q 'cannot open' <<<"$err" || fail "no message for a missing file: $err"
printf '\x18\xfe' >"$TMP/loop.com"
err=$("$CPM" --max-tstates 100000 "$TMP/loop.com" 2>&1 >/dev/null) && fail "an endless program reported success"
grep -q 'T-state limit' <<<"$err" || fail "no limit message: $err"
echo "cpm_runner: ok"

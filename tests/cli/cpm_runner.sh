#!/bin/bash
# vzelvega-cpm runs our CP/M check program: BDOS output, the checks, and the
# T-state report on stderr.
set -u
build="$1"
runner="$build/tools/vzelvega-cpm"
program="$build/tests/cpm/cputest.com"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$runner" "$program" >"$work/out" 2>"$work/err"
status=$?
if [ $status -ne 0 ]; then
    echo "vzelvega-cpm exited with $status"; cat "$work/err"; exit 1
fi
printf 'VZ CPU TEST\r\nA+B+C+D+E+\r\nPRODUCT 8F\r\nPASS\r\n' >"$work/expected"
if ! cmp -s "$work/out" "$work/expected"; then
    echo "unexpected program output:"; od -c "$work/out" | head -20; exit 1
fi
grep -q '^T-states: [1-9][0-9]*$' "$work/err" || { echo "no T-state count:"; cat "$work/err"; exit 1; }
grep -q '^Speed: [0-9.]* MHz$' "$work/err" || { echo "no speed line:"; cat "$work/err"; exit 1; }

# The count covers exactly what ran: LD B,10 (7), DJNZ to itself nine times
# taken (13) and once not (8), RET to 0000h (10): 142 T-states.
printf '\x06\x0a\x10\xfe\xc9' >"$work/count.com"
"$runner" "$work/count.com" >"$work/out2" 2>"$work/err4" || { echo "count program failed"; cat "$work/err4"; exit 1; }
grep -q '^T-states: 142$' "$work/err4" || { echo "wrong T-state count:"; cat "$work/err4"; exit 1; }
[ -s "$work/out2" ] && { echo "unexpected output from the count program"; exit 1; }

# A missing file is reported, not run.
if "$runner" "$work/missing.com" >/dev/null 2>"$work/err2"; then
    echo "missing file accepted"; exit 1
fi
grep -q 'cannot open' "$work/err2" || { echo "no message for a missing file"; exit 1; }

# A program that never returns is stopped by the T-state limit (JR to itself).
printf '\x18\xfe' >"$work/loop.com"
if "$runner" --max-tstates 100000 "$work/loop.com" >/dev/null 2>"$work/err3"; then
    echo "endless program reported success"; exit 1
fi
grep -q 'T-state limit' "$work/err3" || { echo "no limit message"; cat "$work/err3"; exit 1; }
echo "cpm_runner: ok"

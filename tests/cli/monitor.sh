#!/bin/bash
# The monitor through the runners: each kind of breakpoint stopping where the
# ROM's source (firmware/) or a CP/M program says it must, step over a CALL
# and an RST, run until RET, the trace, and a machine that stopped several
# times ending exactly as one that never did. vzelvega-cpm itself: BDOS
# output, the T-state count, the programs it refuses or stops.
set -u
source "$(dirname "$0")/common.bash" "$1"
CPM=$BUILD/tools/vzelvega-cpm
LST=$BUILD/generated/firmware/basic.lst
CPMTEST=$BUILD/tests/cpm/cputest

# A ROM symbol plus an offset, as four hex digits.
addr() {
    local value
    value=$(awk -v n="$1" '$1 == n { print $3 }' "$LST" | sed 's/H$//')
    [ -n "$value" ] || fail "no symbol $1 in $LST"
    printf '%04X' $((16#$value + ${2:-0}))
}
mon() { (cd "$TMP" && "$RUN" --quiet "$@"); }
has() { grep -qx -- "$2" <<<"$1" || fail "expected the line '$2' in:
$1"; }
hasre() { grep -q -- "$2" <<<"$1" || fail "expected '$2' in:
$1"; }

# Execution: by symbol, before the routine's first instruction (PUSH AF).
t=$(addr int_timer)
out=$(mon --frames 20 --monitor "sym $LST; b int_timer; g") || fail "b int_timer exited with $?"
has "$out" "stop at $t: breakpoint at $t"
has "$out" "$t  F5           PUSH AF"

# Writes. The boot's LDIR that clears FA00-FEBF (coldstart+32) writes FA2A
# first and stops right after: PC still on the repeating LDIR, DE one on.
ldir=$(addr coldstart 32)
out=$(mon --frames 20 --monitor "bw fa2a fa2b; g; g") || fail "bw exited with $?"
has "$out" "stop at $ldir: write of 00 to FA2A by the instruction at $ldir"
hasre "$out" "DE=FA2B HL=FA2A"
has "$out" "stop at $ldir: write of 00 to FA2B by the instruction at $ldir"
# The first timer tick reads jiffyacc (no stop), adds 50-486 then 486 and
# stores 0032h at int_timer+16.
out=$(mon --frames 20 --monitor "sym $LST; g int_timer; bw jiffyacc; g") || fail "bw jiffyacc exited with $?"
has "$out" "stop at $(addr int_timer 19): write of 32 to FA2A by the instruction at $(addr int_timer 16)"
hasre "$out" "HL=0032"

# Ports: the boot writes 02h to B0h at coldstart+8, then 06h to 92h at coldstart+12.
out=$(mon --frames 20 --monitor "bo b0; g; bo 92; g") || fail "bo exited with $?"
has "$out" "stop at $(addr coldstart 10): out of 02 to port B0 by the instruction at $(addr coldstart 8)"
has "$out" "stop at $(addr coldstart 14): out of 06 to port 92 by the instruction at $(addr coldstart 12)"
# A key: its handler reads port 90h at int_key+2.
out=$(mon --frames 40 --key 5:A --monitor "bi 90; g") || fail "bi exited with $?"
hasre "$out" "^stop at $(addr int_key 4): in from port 90 (..) by the instruction at $(addr int_key 2)$"
# The handler ends EI, RETI: a breakpoint on the RETI stops before the EI,
# and one step runs both.
out=$(mon --frames 40 --key 5:A --monitor "b $(addr int_key1 6); g; s") || fail "EI case exited with $?"
has "$out" "stop at $(addr int_key1 5): breakpoint at $(addr int_key1 6), before the EI ahead of it"
hasre "$out" "IFF1=1 IFF2=1"

# Stops freeze the machine between instructions: the run that stopped five
# times (and ran the rest on the checking core) ends as the one that never did.
mkdir -p "$TMP/plain" "$TMP/held"
(cd "$TMP/plain" && "$RUN" --quiet --frames 150 --type 'PRINT 2+2\n' --save-ram --screen-text >screen) ||
    fail "plain run failed"
(cd "$TMP/held" && "$RUN" --quiet --frames 150 --type 'PRINT 2+2\n' --save-ram --screen-text \
    --monitor "b $(addr int_key); g; g; s 50; o; bw fa00 fa3f; g; bc; trace 1000; g" >screen) || fail "held run failed"
[ "$(grep -c '^stop at' "$TMP/held/screen")" = 5 ] || fail "expected 5 stops: $(cat "$TMP/held/screen")"
cmp -s "$TMP/plain/ram.bin" "$TMP/held/ram.bin" || fail "RAM differs after the stops"
tail -n 16 "$TMP/held/screen" | diff - "$TMP/plain/screen" >/dev/null || fail "screen differs after the stops"
grep -q '^ 4 *$' "$TMP/plain/screen" || fail "PRINT 2+2 gave no 4: $(cat "$TMP/plain/screen")"

"$CPM" "$CPMTEST.com" >"$TMP/out" 2>"$TMP/err" || fail "cputest exited with $?: $(cat "$TMP/err")"
printf 'VZ CPU TEST\r\nA+\r\n' | cmp -s - "$TMP/out" || fail "cputest output: $(od -c "$TMP/out")"
grep -q '^Speed: [0-9.]* MHz$' "$TMP/err" || fail "no speed line: $(cat "$TMP/err")"
# CP/M: a write to `product` (after 11 additions of 13) and step over `call report`.
out=$("$CPM" --monitor "sym $CPMTEST.lst; bw product; g; s; o" "$CPMTEST.com" 2>/dev/null) || fail "cpm exited with $?"
has "$out" "stop at 011A: write of 8F to $(LST=$CPMTEST.lst addr product) by the instruction at 0117"
has "$out" "A+stop at 011F: stepped over"
hasre "$out" "^AF=8F.* SP=FE00 PC=011F"
# Until RET: report ends in JP BDOS, whose RET returns to the caller at 011Fh.
out=$("$CPM" --monitor "sym $CPMTEST.lst; b report; g; ret" "$CPMTEST.com" 2>/dev/null) || fail "ret exited with $?"
has "$out" "A+stop at 011F: returned from the routine at FE02"
# RST 08h stepped over (the monitor puts INC A, RET at 0008h).
printf '\x3e\x41\xcf\x00\xc9' >"$TMP/rst.com"
out=$("$CPM" --monitor "e 8 3c c9; s; o" "$TMP/rst.com" 2>/dev/null) || fail "rst over exited with $?"
has "$out" "stop at 0103: stepped over"
hasre "$out" "^AF=42"
# Recursion: CALL NZ at 0107 nests until B is 0; over stops only back at its
# own stack level (FEFC), ret only at the caller's (FEFE).
printf '\x06\x03\xcd\x06\x01\xc9\x05\xc4\x06\x01\xc9' >"$TMP/rec.com"
out=$("$CPM" --monitor "g 107; o" "$TMP/rec.com" 2>/dev/null) || fail "recursion over exited with $?"
has "$out" "stop at 010A: stepped over"
hasre "$out" "^AF=.* BC=0000 .* SP=FEFC PC=010A"
out=$("$CPM" --monitor "g 106; ret" "$TMP/rec.com" 2>/dev/null) || fail "recursion ret exited with $?"
has "$out" "stop at 0105: returned from the routine at 010A"
hasre "$out" "SP=FEFE PC=0105"

# The trace: LD B,10, DJNZ to itself ten times, RET to 0000h, the trap. The
# count covers exactly what ran: 7, nine DJNZ taken (13) and one not (8), RET
# (10): 142 T-states on stderr, and no output.
printf '\x06\x0a\x10\xfe\xc9' >"$TMP/count.com"
"$CPM" --trace "$TMP/trace.txt" "$TMP/count.com" >"$TMP/out" 2>"$TMP/err" || fail "--trace run failed"
grep -q '^T-states: 142$' "$TMP/err" || fail "T-state count: $(cat "$TMP/err")"
[ -s "$TMP/out" ] && fail "output from the count program: $(cat "$TMP/out")"
expected="0100 LD B,0Ah 0000"
for b in 0A 09 08 07 06 05 04 03 02 01; do expected+=$'\n'"0102 DJNZ 0102h ${b}00"; done
expected+=$'\n'"0104 RET 0000"$'\n'"0000 TRAP 0000"
got=$(sed -E 's/^([0-9A-F]{4})  [0-9A-F]+ +(.*[^ ]) +AF=.* BC=([0-9A-F]{4}) .*/\1 \2 \3/' "$TMP/trace.txt")
[ "$got" = "$expected" ] || fail "trace contents:
$got"
mon --frames 1 --trace "$TMP/rom.txt" >/dev/null || fail "--trace on the machine failed"
head -n 1 "$TMP/rom.txt" | grep -q "^0000  F3       DI  .* SP=F000 T=0$" || fail "first traced: $(head -n 1 "$TMP/rom.txt")"
out=$("$CPM" --monitor "trace 3; b 104; g; trace show; trace save $TMP/ring.txt" "$TMP/count.com" 2>/dev/null) ||
    fail "trace ring exited with $?"
[ "$(grep -c 'DJNZ 0102h' <<<"$out")" = 3 ] || fail "ring of 3: $out"
hasre "$out" "DJNZ 0102h *AF=0000 BC=0300"
hasre "$out" "3 instructions written to"
[ "$(grep -c 'BC=0[123]00' "$TMP/ring.txt")" = 3 ] || fail "saved ring: $(cat "$TMP/ring.txt")"

# Refusals and a breakpoint that is never reached (inside an instruction).
(cd "$TMP" && "$RUN" --frames 1 --break zz >/dev/null 2>&1); [ $? -eq 2 ] || fail "--break zz not refused"
out=$(cd "$TMP" && "$RUN" --frames 1 --quiet --monitor "frobnicate; sym $TMP/none.lst; r pc=12345")
[ $? -eq 2 ] || fail "bad commands did not exit 2"
hasre "$out" "error: cannot read $TMP/none.lst"
err=$(cd "$TMP" && "$RUN" --frames 5 --quiet --monitor "b 0002; g; r" 2>&1 >/dev/null)
[ $? -eq 1 ] || fail "an unreached breakpoint did not exit 1"
hasre "$err" "did not stop within 5 frames; not run: 1 commands"
# Refused by vzelvega-cpm: a missing file, and a program that never returns (JR to itself) at the T-state limit.
err=$("$CPM" "$TMP/missing.com" 2>&1 >/dev/null) && fail "a missing file was accepted"
grep -q 'cannot open' <<<"$err" || fail "no message for a missing file: $err"
printf '\x18\xfe' >"$TMP/loop.com"
err=$("$CPM" --max-tstates 100000 "$TMP/loop.com" 2>&1 >/dev/null) && fail "an endless program reported success"
grep -q 'T-state limit' <<<"$err" || fail "no limit message: $err"
echo "monitor: ok"

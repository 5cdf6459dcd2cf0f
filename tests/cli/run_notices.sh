#!/bin/bash
# What the user is told when a command succeeds or fails without other sign:
# each runner action and the exact line it puts on stderr, naming the file
# (and the reason or size) the way the window's notice does. Files named on
# the command line, opened as the desktop opens them: the example tape is
# CLOADed and RUN to its end, the example cartridge starts, a text is typed, a
# binary goes to its address; refused files end the run with 2.
set -u
source "$(dirname "$0")/common.bash" "$1"
SRC=$(cd "$2" && pwd)
cd "$TMP" || exit 1
: >empty.cp6
mkdir tapes
head -c 16385 /dev/zero >big.rom
done='PRINT "D";"ONE"\r'
prog='10 PRINT "HELLO"\r20 FOR I=1 TO 3:PRINT I:NEXT\rCSAVE "DEMO"\r'  # 54 bytes on tape
# args (shell words) | a line stderr must hold exactly
cases=(
    "--printer $TMP/no/lp.txt --type 'LPRINT 1\r$done'|Printer file $TMP/no/lp.txt cannot be opened: No such file or directory"
    "--tape empty.cp6|Tape empty.cp6 not loaded: the file is empty"
    "--tape gone.cp6|Tape gone.cp6 not loaded: No such file or directory"
    "--cartridge big.rom|Cartridge big.rom refused: 16385 bytes (1 to 16384 bytes fit)"
    "--save-ram|Save Ram: $TMP/ram.bin"
    "--ay-log|AY log started: $TMP/aysound_0.txt"
    "--ay-log|AY log stopped: $TMP/aysound_1.txt"
    "--record-dir $TMP/tapes --type '$prog$done'|Recording saved: $TMP/tapes/DEMO_BAS.CP6 (54 bytes)"
    "--type '$prog$done'|Recording discarded: no file was chosen"
)
for c in "${cases[@]}"; do
    args=${c%%|*} want=${c#*|}
    eval "set -- $args"
    err=$("$RUN" --workdir "$TMP" --quiet --frames 3000 --until-text DONE "$@" 2>&1 >/dev/null)
    grep -qFx -- "$want" <<<"$err" || fail "$args: expected '$want', got: $err"
done
# The notices are not there without the action.
err=$("$RUN" --workdir "$TMP" --quiet --frames 3000 --type "$done" --until-text DONE 2>&1)
[ -z "$err" ] || fail "notices without an action: $err"
ini="$TMP/open.ini"

# The tape is of the first edition (its keywords and digits as stored then).
shown --ini "$ini" --frames 4000 "$SRC/examples/CATCH_BAS.CP6" --until-text "GAME OVER" 2>"$TMP/err"
grep -q "Tape loading: CATCH_BAS.CP6" "$TMP/err" || fail "no notice of the tape: $(cat "$TMP/err")"

shown --ini "$ini" --frames 300 "$BUILD/examples/cartridge.bin" --until-text "STOP TO LEAVE" 2>/dev/null

shown --ini "$ini" --frames 3000 "$SRC/examples/primes.txt" --until-text "197  199" 2>/dev/null

printf '\x01\x02\x03' >"$TMP/code.bin"
"$RUN" --workdir "$TMP" --ini "$ini" --quiet --frames 1 --save-ram "$TMP/code.bin@\$c123" 2>/dev/null ||
    fail "the binary was not loaded"
[ "$(od -An -tx1 -j $((0xC123)) -N 3 "$TMP/ram.bin" | tr -d ' ')" = "010203" ] || fail "binary not at C123h"

# Newest first, in the settings file's own section.
[ "$(grep -A1 '^\[RECENT\]' "$ini" | tail -1)" = "file1=$TMP/code.bin" ] || fail "recent list: $(cat "$ini")"

# Refused (which files and why: the open tests): the reason on stderr, exit code 2.
err=$("$RUN" --workdir "$TMP" --ini "$ini" --quiet --frames 1 "$TMP/missing.cp6" 2>&1)
[ $? -eq 2 ] || fail "a missing file was not refused"
grep -q "^Not opened: " <<<"$err" || fail "no reason given: $err"
echo "run_notices: ok"

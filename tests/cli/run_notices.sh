#!/bin/bash
# What the user is told when a command succeeds or fails without other sign:
# each runner action and the exact line it puts on stderr, naming the file
# (and the reason or size) the way the window's notice does.
set -u
source "$(dirname "$0")/common.bash" "$1"
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
echo "run_notices: ok"

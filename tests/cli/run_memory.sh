#!/bin/bash
# RAM dumps and cartridges through vzelvega-run: the dump is what the CPU
# sees, with the BASIC ROM at 0000-3FFF, the cartridge at 4000h and no RAM at
# 8000-BFFF in the normal configuration.
set -u
source "$(dirname "$0")/common.bash" "$1"

# 100-byte cartridge: bytes 01..64h.
python3 -c "import sys; sys.stdout.buffer.write(bytes(range(1, 101)))" >"$TMP/game.rom"
"$RUN" --workdir "$TMP" --frames 3 --quiet --cartridge "$TMP/game.rom" --save-ram || fail "run exited with $?"
[ -f "$TMP/ram.bin" ] || fail "no ram.bin in the work directory"
[ "$(stat -c %s "$TMP/ram.bin")" -eq 65536 ] || fail "ram.bin is not 65536 bytes"

rom=$BUILD/generated/firmware/basic.bin
size=$(stat -c %s "$rom")
cmp -n "$size" "$rom" "$TMP/ram.bin" || fail "0000h does not hold the built-in BASIC ROM"
[ "$(hexat "$TMP/ram.bin" $((0x4000)) 4)" = "01020304" ] || fail "cartridge start: $(hexat "$TMP/ram.bin" $((0x4000)) 4)"
[ "$(hexat "$TMP/ram.bin" $((0x4062)) 4)" = "6364ffff" ] || fail "cartridge end: $(hexat "$TMP/ram.bin" $((0x4062)) 4)"
ffs=$(od -An -tx1 -v -j $((0x8000)) -N 16384 "$TMP/ram.bin" | tr -s ' \n' '\n' | grep -v '^$' | sort -u)
[ "$ffs" = "ff" ] || fail "8000-BFFF is not all FFh without the expansion"

# Refused cartridges: empty and one byte too long.
: >"$TMP/empty.rom"
head -c 16385 /dev/zero >"$TMP/long.rom"
for bad in empty.rom long.rom; do
    err=$("$RUN" --workdir "$TMP" --frames 1 --quiet --cartridge "$TMP/$bad" 2>&1)
    [ $? -eq 2 ] || fail "$bad was not refused"
    grep -q "cartridge not loaded" <<<"$err" || fail "no message for $bad: $err"
done
echo "run_memory: ok"

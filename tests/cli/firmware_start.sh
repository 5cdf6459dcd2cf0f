#!/bin/bash
# The built-in BASIC ROM starting up as a user sees it: banner, bytes free for
# each memory configuration, prompt, a signed cartridge started instead, and
# the function keys typing their commands.
set -u
source "$(dirname "$0")/common.bash" "$1"
# row N of the screen text, trailing spaces removed
row() { sed -n "$(($1 + 1))p" <<<"$screen" | sed 's/ *$//'; }

# Normal configuration: RAM C000-FFFF, program area C000-DFFF.
shown --frames 300 --until-text READY
[ "$(row 0)" = "ZEL VEGA BASIC 1.0" ] || fail "banner: '$(row 0)'"
[ "$(row 1)" = "8191 BYTES FREE" ] || fail "normal memory: '$(row 1)'"
[ "$(row 2)" = "READY" ] || fail "prompt: '$(row 2)'"

# The 16K expansion adds 8000-BFFF; the enhanced map starts the program area at 4000h.
for config in "ramexpanders=1|24575" "enhancedflag=1|40959"; do
    printf '[MEMORY]\n%s\n' "${config%|*}" >"$TMP/memory.ini"
    shown --ini "$TMP/memory.ini" --frames 300 --until-text READY
    [ "$(row 1)" = "${config#*|} BYTES FREE" ] || fail "${config%|*}: '$(row 1)'"
done

# A cartridge signed "ZVGR" runs at 4004h instead of BASIC.
shown --frames 300 --cartridge "$BUILD/examples/cartridge.bin" --until-text "STOP TO LEAVE"
[ "$(row 0)" = "ZEL VEGA TYPEWRITER CARTRIDGE" ] || fail "cartridge title: '$(row 0)'"
grep -q "BYTES FREE" <<<"$screen" && fail "BASIC started although a cartridge is signed"
# Its typewriter echoes keys through the ROM's key buffer and screen driver.
typed 'Zel 42' "Zel 42" --cartridge "$BUILD/examples/cartridge.bin"

# Removed while it waits for a key inside a ROM routine, the cartridge takes
# the machine back to BASIC (a hard reset) instead of leaving it stuck.
shown --frames 400 --cartridge "$BUILD/examples/cartridge.bin" --remove-cartridge 250 --keys "300:A"
[ "$(row 0)" = "ZEL VEGA BASIC 1.0" ] || fail "after removing the cartridge: '$(row 0)'"
[ "$(row 3)" = "a" ] || fail "BASIC does not take keys after the removal: '$(row 3)'"

# An unsigned cartridge leaves BASIC in charge.
printf 'ZVG!' >"$TMP/unsigned.rom"
shown --frames 300 --cartridge "$TMP/unsigned.rom" --until-text READY

# F2 types RUN and Enter, Shift F1 types "PRINT ".
typed '10 PRINT "RAN";6*7\r' "RAN 42" --keys "150:F2"
shown --frames 200 --keys "60:Shift+F1 70:7 80:Enter"
expect_rows "PRINT 7" " 7"
echo "firmware_start: ok"

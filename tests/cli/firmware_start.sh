#!/bin/bash
# The built-in BASIC ROM starting up as a user sees it: banner, bytes free for
# each memory configuration, prompt, a signed cartridge started instead, the
# function keys typing their commands, and the screen editor with host keys: a
# listed line changed with the cursor keys, Delete (closes the gap left of the
# cursor), Insert (opens a space) and overtyping, and entered again.
set -u
source "$(dirname "$0")/common.bash" "$1"
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
# "10 PRINT 12345": up to its row, right to column 11 (the 3), Delete takes the 2,
# Insert opens a space at column 10, 9 fills it: "10 PRINT 19345".
keys="100:Up $(printf '%s:Right ' $(seq 104 4 144))148:Delete 152:Insert 156:9 160:Enter 178:F1"
shown --frames 228 --type '10 PRINT 12345\r' --keys "$keys"
expect_rows LIST "10 PRINT 19345"

# Stop while typing a line abandons it: nothing is stored or run.
shown --frames 300 --keys "60:2 64:0 68:Space 72:Q 76:End 90:F1"
expect_rows LIST READY
# A typed line that fills its row exactly: the result goes on the next row, with
# no empty row between. COLOR 64 prints semigraphics cells, LOCATE moves the cursor.
typed 'PRINT "123456789012345678901234"\rCOLOR 64:PRINT CHR$(154);CHR$(255);:COLOR 0:PRINT "X"\rLOCATE 12,3:PRINT "HERE";"!"\r' 'HERE!'
expect_rows 'PRINT "123456789012345678901234"' '123456789012345678901234
READY
COLOR 64:PRINT CHR$(154);CHR$(25
5);:COLOR 0:PRINT "X"
##X'
[ "$(sed -n 13p <<<"$screen" | cut -c4-8)" = "HERE!" ] || fail "LOCATE 12,3 put the text elsewhere"
echo "firmware_start: ok"

#!/bin/bash
# The screen editor of the BASIC ROM with host keys: a listed line is changed
# with the cursor keys, Delete (closes the gap left of the cursor), Insert
# (opens a space) and overtyping, and entered again with Enter.
set -u
source "$(dirname "$0")/common.bash" "$1"

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
echo "firmware_editor: ok"

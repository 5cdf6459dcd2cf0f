#!/bin/bash
# BASIC fixes checked through vzelvega-run, results worked out by hand:
# numbers that reach the right edge of the screen, subroutines entered from a
# typed GOSUB that end without RETURN, ON with a selector outside 0-255, and
# PLAY strings with unknown characters or octaves.
set -u
source "$(dirname "$0")/common.bash" "$1"
typed() {
    screen=$("$RUN" --workdir "$TMP" --frames 6000 --quiet --type "$1" --until-text "$2" \
        --screen-text) || fail "'$2' never appeared"
}
repeat() { printf "%${2}s" "" | tr ' ' "$1"; }

# A number (sign position and digits) that does not fit on the rest of the
# row starts the next one. 27 X's leave 5 columns, one short of " 12345",
# and exactly enough for "-1234", which stays; its trailing space wraps alone.
typed "10 PRINT \"$(repeat X 27)\";12345\r20 PRINT \"$(repeat Y 27)\";-1234\r30 PRINT \"DO\";\"NE\"\rRUN\r" "DONE"
expect_rows "RUN" "$(repeat X 27)
 12345
$(repeat Y 27)-1234

DONE"
# Items of six columns (" 1000 ") fill a row five at a time and the sixth
# moves whole; " 10000" (six) fits in columns 24-29 but " 11000" does not
# start in column 31.
typed '10 FOR I=1 TO 12:PRINT I*1000;:NEXT\r20 PRINT "DO";"NE"\rRUN\r' "DONE"
expect_rows "RUN" ' 1000  2000  3000  4000  5000
 6000  7000  8000  9000  10000
 11000  12000 DONE'

# A subroutine reached from a typed GOSUB that ends with END, or by running
# off the program, leaves no return address into the typed line behind.
prog='100 PRINT "SUB":END\r200 RETURN\r300 PRINT "LAST"\r'
typed "${prog}GOSUB 100\rRETURN\rGOSUB 200:PRINT \"BACK\"\rPRINT \"DO\";\"NE\"\r" "DONE"
expect_rows "GOSUB 100" 'SUB
READY
RETURN
?RETURN WITHOUT GOSUB ERROR
READY
GOSUB 200:PRINT "BACK"
BACK
READY'
typed "${prog}GOSUB 300\rRETURN\rPRINT \"DO\";\"NE\"\r" "DONE"
expect_rows "GOSUB 300" 'LAST
READY
RETURN
?RETURN WITHOUT GOSUB ERROR
READY'
# The same for a program started with RUN that ends inside a subroutine.
typed '10 GOSUB 100\r100 PRINT "IN":END\rRUN\rRETURN\rPRINT "DO";"NE"\r' "DONE"
expect_rows "RUN" 'IN
READY
RETURN
?RETURN WITHOUT GOSUB ERROR
READY'

# ON takes 0-255: 0 and numbers past the list go on with the next statement,
# below 0 or over 255 is an error.
typed 'ON -1 GOTO 10\rON 256 GOSUB 10\rPRINT "DO";"NE"\r' "DONE"
expect_rows "ON -1 GOTO 10" '?ILLEGAL FUNCTION CALL ERROR
READY
ON 256 GOSUB 10
?ILLEGAL FUNCTION CALL ERROR
READY'
typed '10 PRINT "TEN"\rON 0 GOTO 10:PRINT "ZERO"\rON 255 GOSUB 10,10:PRINT "FAR"\rON 2 GOTO 5,10\rPRINT "DO";"NE"\r' "DONE"
expect_rows '10 PRINT "TEN"' 'ON 0 GOTO 10:PRINT "ZERO"
ZERO
READY
ON 255 GOSUB 10,10:PRINT "FAR"
FAR
READY
ON 2 GOTO 5,10
TEN
READY'

# PLAY: spaces are passed over; other characters, an octave outside 1-7 or
# an O without digits are errors (the notes before them still play).
typed 'PLAY "L1O7 C D":PRINT "OK"\rPLAY "L1CX"\rPLAY "O8C"\rPRINT "DO";"NE"\r' "DONE"
expect_rows 'PLAY "L1O7 C D":PRINT "OK"' 'OK
READY
PLAY "L1CX"
?ILLEGAL FUNCTION CALL ERROR
READY
PLAY "O8C"
?ILLEGAL FUNCTION CALL ERROR
READY'
typed 'PLAY "O0C"\rPLAY "OC"\rPLAY "O300C"\rPRINT "DO";"NE"\r' "DONE"
expect_rows 'PLAY "O0C"' '?ILLEGAL FUNCTION CALL ERROR
READY
PLAY "OC"
?ILLEGAL FUNCTION CALL ERROR
READY
PLAY "O300C"
?ILLEGAL FUNCTION CALL ERROR
READY'
echo "firmware followup: all passed"

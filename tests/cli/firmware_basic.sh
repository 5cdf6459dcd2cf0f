#!/bin/bash
# BASIC typed into the built-in ROM, compared with the results worked out by
# hand: strings and DATA, refused typed lines and their messages, Stop and CONT,
# numbers at the right edge of the screen, a subroutine entered from a typed
# GOSUB and ON's selector.
set -u
source "$(dirname "$0")/common.bash" "$1"

# String functions, a string DATA item, statements after THEN and ELSE, and
# a loop that keeps the string heap busy.
program='10 FOR I=1 TO 300:S$=S$+CHR$(65+I MOD 26):IF LEN(S$)>100 THEN S$=""
20 NEXT:READ D$:DATA "DOZEN"
30 PRINT LEN(S$);LEFT$(S$,3);MID$(S$,5,2);RIGHT$(S$,3);D$;ASC("A");VAL("-12")+1;STR$(5)+"!"
40 IF D$="DOZEN" THEN PRINT "YES" ELSE PRINT "NO"
50 PRINT "DO";"NE"
RUN
'
typed "$program" "DONE"
expect_rows "RUN" ' 98 VWXZAMNODOZEN 65 -11  5!
YES
DONE'

refused <<'ROWS'
GOTO 99|UNDEFINED LINE
PRINT "A"+1|TYPE MISMATCH
NEXT|NEXT WITHOUT FOR
PRINT A(11)|SUBSCRIPT OUT OF RANGE
PRINT (1|SYNTAX
CONT|CAN'T CONTINUE
# a function's text must stay: no DEF FN in a typed line
DEF FNA(X)=X|ILLEGAL FUNCTION CALL
# 9001 numbers of 5 bytes each do not fit in 8191 bytes
DIM A(9000)|OUT OF MEMORY
# an array element as a FOR variable moved when Q was added
FOR A(1)=1 TO 3:Q=Q+1:NEXT|SYNTAX
# byte arguments past 255 used to wrap (SOUND 256,0 wrote register 0)
SOUND 256,0|ILLEGAL FUNCTION CALL
LOCATE 16,0|ILLEGAL FUNCTION CALL
MODE 1,2|ILLEGAL FUNCTION CALL
WAIT -1|ILLEGAL FUNCTION CALL
# PLAY: characters other than notes and spaces, an O without digits, octaves outside 1-7 (259 is no 3)
PLAY "L1CX"|ILLEGAL FUNCTION CALL
PLAY "O8C"|ILLEGAL FUNCTION CALL
PLAY "OC"|ILLEGAL FUNCTION CALL
PLAY "O259C"|ILLEGAL FUNCTION CALL
# the edges of the number range give errors, not wrong numbers
X=1E38*10|OVERFLOW
X=1/0|DIVISION BY ZERO
X=5\0|DIVISION BY ZERO
X=5 MOD 0|DIVISION BY ZERO
X=EXP(89)|OVERFLOW
X=2^200|OVERFLOW
X=LOG(0)|ILLEGAL FUNCTION CALL
X=SQR(-1)|ILLEGAL FUNCTION CALL
I%=32768|OVERFLOW
ROWS

# Stop (End) breaks an endless loop; F5 types CONT and it runs on until the next Stop.
shown --frames 600 --type '10 N=N+1:GOTO 10\rRUN\r' --keys "200:End 300:F5 400:End"
[ "$(grep -c '^BREAK IN 10 *$' <<<"$screen")" -eq 2 ] || fail "Stop did not break twice"
expect_rows "CONT" "BREAK IN 10"

# A number (sign position and digits) that does not fit on the rest of the
# row starts the next one. 27 X's leave 5 columns, one short of " 12345",
# and exactly enough for "-1234", which stays; its trailing space wraps alone.
typed "10 PRINT \"$(repeat X 27)\";12345\r20 PRINT \"$(repeat Y 27)\";-1234\r30 PRINT \"DO\";\"NE\"\rRUN\r" "DONE"
expect_rows "RUN" "$(repeat X 27)
 12345
$(repeat Y 27)-1234

DONE"

# A subroutine reached from a typed GOSUB that ends with END leaves no
# return address into the typed line behind.
typed '100 PRINT "SUB":END\r200 RETURN\rGOSUB 100\rRETURN\rGOSUB 200:PRINT "BACK"\rPRINT "DO";"NE"\r' "DONE"
expect_rows "GOSUB 100" 'SUB
READY
RETURN
?RETURN WITHOUT GOSUB ERROR
READY
GOSUB 200:PRINT "BACK"
BACK
READY'

# ON takes the n-th line of its list, a GOSUB returning after the whole list;
# with 0 (or a number past the list) it goes on with the next statement.
on='ON 2 GOSUB 10,20:PRINT "BACK"\rON 2 GOTO 20,10\rON 0 GOTO 10:PRINT "ZERO"'
typed '10 PRINT "TEN":END\r20 PRINT "TWENTY":RETURN\r'"$on"'\rPRINT "DO";"NE"\r' DONE
expect_rows 'ON 2 GOSUB 10,20:PRINT "BACK"' 'TWENTY
BACK
READY
ON 2 GOTO 20,10
TEN
READY
ON 0 GOTO 10:PRINT "ZERO"
ZERO
READY'
echo "firmware_basic: ok"

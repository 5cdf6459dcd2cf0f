#!/bin/bash
# BASIC typed into the built-in ROM, compared with the results worked out by
# hand: strings and DATA, refused typed lines and their messages, Stop and CONT,
# numbers at the right edge of the screen, GOSUB and ON, INPUT, FRE, long
# strings, RND's spread, DATA items and the 127-character line limit.
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
# An answer that ends before the list asks "?? " for the rest; extra items
# after a comma still fill the next variable.
typed '10 INPUT A,B$,C\r20 PRINT A;B$;C\rRUN\r4,X\r5\rPRINT "DO";"NE"\r' "DONE"
expect_rows "RUN" '? 4,X
?? 5
 4 X 5
READY'

# FRE counts the strings no longer used as free: 8191 less two scalars (7
# bytes each) less the one live string of ten characters (11 bytes).
typed 'A$="":FOR I=1 TO 10:A$=A$+"X":NEXT:PRINT FRE(0)\r' " 8166"
expect_rows 'XT:PRINT FRE(0)' ' 8166
READY'

# A FOR typed while a program is stopped leaves no frame behind for the
# program's NEXT to take: CONT carries on with the program's loop.
typed '10 FOR I=1 TO 2\r20 PRINT I:STOP\r30 NEXT\r40 PRINT "DO";"NE"\rRUN\rFOR K=1 TO 5\rCONT\rCONT\r' "DONE"
expect_rows "FOR K=1 TO 5" 'READY
CONT
 2
BREAK IN 20
READY
CONT
DONE'

# Joining grows one temporary in place: five 50-character strings and five
# more characters make 255 (each step copied would need 100+150+...+255
# bytes); one character more is too long.
fifty=$(repeat Q 50)
typed "A\$=\"$fifty\"\rCLS\rC\$=A\$+A\$+A\$+A\$+A\$+\"12345\":PRINT LEN(C\$);RIGHT\$(C\$,6)\rC\$=C\$+\"6\"\rPRINT \"DO\";\"NE\"\r" "DONE"
expect_rows 'LEN(C$);RIGHT$(C$,6)' ' 255 Q12345
READY
C$=C$+"6"
?STRING TOO LONG ERROR
READY'

# RND(n) stays within 0..n-1 and, over 700 draws of RND(7), gives every
# value more than 70 times (100 expected; the old low-bit results ran in
# long streaks).
typed '10 DIM C(6):FOR I=1 TO 700:R=RND(7):IF R<0 OR R>6 THEN PRINT "BAD"\r20 C(R)=C(R)+1:NEXT\r30 M=700:FOR I=0 TO 6:IF C(I)<M THEN M=C(I)\r40 NEXT:PRINT "MIN";-(M>70)\r50 E=0:FOR I=1 TO 200:R=RND(32767):IF R<0 OR R>32766 THEN E=E+1\r60 NEXT:PRINT "E";E\rRUN\r' "E 0"
expect_rows 'RUN' 'MIN 1
E 0'

# An empty DATA item reads as 0 (also the one after a trailing comma); a bad
# one is reported in its DATA line, not in the READ.
typed '10 DATA 1,,3,\r20 READ A,B,C,D:PRINT A;B;C;D\r30 DATA 7,X\r40 READ E,F\rRUN\r' "IN 30"
expect_rows "RUN" ' 1  0  3  0
?SYNTAX ERROR IN 30
READY'

# 127 typed characters make a line; more are refused rather than cut off
# (here the cut would have lost the closing quote). 116 A's print whole.
long="10 PRINT \"$(repeat A 116)\""
typed "$long\rRUN\rPRINT \"DO\";\"NE\"\r" "DONE"
[ "$(after RUN | head -4 | tr -d '\n')" = "$(repeat A 116)" ] || fail "the 127-character line"
typed "10 PRINT \"$(repeat B 125)\"\rLIST\rPRINT \"DO\";\"NE\"\r" "DONE"
expect_rows "$(repeat B 7)\"" '?LINE TOO LONG ERROR
READY
LIST
READY'
echo "firmware_basic: ok"

#!/bin/bash
# BASIC programs typed into the built-in ROM, compared with the results worked
# out by hand: arithmetic, loops, GOSUB, strings, arrays, DATA, INPUT answered
# by typed text, error messages naming the line, Stop and CONT, LIST ranges.
set -u
source "$(dirname "$0")/common.bash" "$1"
# Type the text and run until the screen shows the marker.
typed() {
    screen=$("$RUN" --workdir "$TMP" --frames 4000 --quiet --type "${1//$'\n'/\\r}" --until-text "$2" --screen-text) ||
        fail "'$2' never appeared"
}

# Operators and precedence; numbers print with a sign position and a space after.
program='10 PRINT 7/2;-7/2;7 MOD 3;-7 MOD 3;2+3*4;(2+3)*4;-2*-3
20 PRINT 3>2;2>3;"AB"<"B";NOT 0;6 AND 3;6 OR 3;&H10
30 PRINT 32767+1;-32768-1;ABS(-5);SGN(-9);SGN(0)
40 PRINT "O";"K"
RUN
'
typed "$program" "OK"
expect_rows "RUN" ' 3.5 -3.5  1 -1  14  20  6
-1  0 -1 -1  2  7  16
 32768 -32769  5 -1  0
OK'

# A program with loops, a subroutine, strings, an array, IF/ELSE and DATA
# (CLS first: a screen caught in the middle of a scroll shows a row twice).
program='5 CLS:PRINT "OUT"
10 FOR I=1 TO 3:PRINT I;I*I:NEXT
20 GOSUB 100:PRINT "BACK"
30 A$="ZEL":B$=A$+" VEGA":PRINT B$;LEN(B$);MID$(B$,5,2);RIGHT$(B$,3)
40 DIM A(4):FOR I=0 TO 4:A(I)=I*I:NEXT:PRINT A(2)+A(4)
50 IF A(3)=9 THEN PRINT "YES" ELSE PRINT "NO"
60 READ X,Y$:PRINT X;Y$:DATA 12,"DOZEN"
70 PRINT "FINI"+"SHED":END
100 PRINT "SUB";:RETURN
RUN
'
typed "$program" "FINISHED"
expect_rows "OUT" ' 1  1
 2  4
 3  9
SUBBACK
ZEL VEGA 8 VEEGA
 20
YES
 12 DOZEN
FINISHED'

# String functions and a loop that keeps the string heap busy.
program='10 FOR I=1 TO 300:S$=S$+CHR$(65+I MOD 26):IF LEN(S$)>100 THEN S$=""
20 NEXT
30 PRINT LEN(S$);LEFT$(S$,3);ASC("A");VAL("-12")+1;STR$(5)+"!"
RUN
'
typed "$program" "5!"
expect_rows "RUN" ' 98 VWX 65 -11  5!'

# INPUT takes typed answers; a bad number asks again.
typed '10 INPUT "NAME";N$\r20 INPUT A,B\r30 PRINT "HI ";N$;A*B\rRUN\rZEL\r6,X\r6,7\r' "HI ZEL 42"
expect_rows "RUN" 'NAME? ZEL
? 6,X
?REDO FROM START
? 6,7
HI ZEL 42'

# Errors name the line in a program, not in a direct command.
typed '10 X=5\r20 Y=X/0\rRUN\r' "ERROR IN 20"
expect_rows "RUN" '?DIVISION BY ZERO ERROR IN 20'
typed 'GOTO 99\rPRINT "A"+1\rNEXT\rPRINT "O";"K"\r' "OK"
expect_rows 'GOTO 99' '?UNDEFINED LINE ERROR
READY
PRINT "A"+1
?TYPE MISMATCH ERROR
READY
NEXT
?NEXT WITHOUT FOR ERROR'
typed 'PRINT A(11)\rPRINT (1\rPRINT "O";"K"\r' "OK"
expect_rows 'PRINT A(11)' '?SUBSCRIPT OUT OF RANGE ERROR
READY
PRINT (1
?SYNTAX ERROR'
typed 'RETURN\rCONT\rPRINT "O";"K"\r' "OK"
expect_rows 'RETURN' '?RETURN WITHOUT GOSUB ERROR
READY
CONT
?CAN'"'"'T CONTINUE ERROR'

# Stop (End) breaks an endless loop; F5 types CONT and it runs on until the next Stop.
screen=$("$RUN" --workdir "$TMP" --frames 600 --quiet --type '10 N=N+1:GOTO 10\rRUN\r' \
    --keys "200:End 300:F5 400:End" --screen-text) || fail "run exited with $?"
[ "$(grep -c '^BREAK IN 10 *$' <<<"$screen")" -eq 2 ] || fail "Stop did not break twice"
expect_rows "CONT" "BREAK IN 10"

# LIST with ranges.
typed '10 REM A\r20 REM B\r30 REM C\r40 REM D\rLIST 20-30\rLIST -20\rLIST 40\rPRINT "O";"K"\r' "OK"
expect_rows "LIST 20-30" '20 REM B
30 REM C
READY
LIST -20
10 REM A
20 REM B
READY
LIST 40
40 REM D
READY'
echo "firmware_basic: ok"

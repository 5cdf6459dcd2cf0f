#!/bin/bash
# More of the BASIC language through vzelvega-run, results worked out by hand:
# NEXT J,I, RESTORE to a line, string order,
# nested GOSUB, line replacement and deletion, INKEY$, WAIT,
# ON ERROR, string functions, LINE, CIRCLE, DELETE, AUTO and RENUM.
set -u
source "$(dirname "$0")/common.bash" "$1"

program='20 FOR I=1 TO 2:FOR J=1 TO 2:PRINT I*10+J;:NEXT J,I:PRINT
30 RESTORE 90:READ A:RESTORE:READ B:PRINT A;B
40 IF "ABC"<"ABD" AND "B">"AB" THEN PRINT "ORDER"
50 GOSUB 70:PRINT "END"
60 END
70 GOSUB 80:PRINT "R70";:RETURN
80 PRINT "R80";:RETURN
85 DATA 5
90 DATA 9
RUN
'
typed "$program" "R70END"
expect_rows "RUN" ' 11  12  21  22
 9  5
ORDER
R80R70END'

# A line number alone deletes the line; the same number again replaces it.
typed '10 REM X\r20 REM Y\r30 REM W\r10\r15 REM Z\r30 REM V\rLIST\rPRINT "O";"K"\r' "OK"
expect_rows "LIST" '15 REM Z
20 REM Y
30 REM V
READY'

# INKEY$ gives the key without waiting: Q unshifted is q (113).
typed '10 A$=INKEY$:IF A$="" THEN 10\r20 PRINT ASC(A$);"DO";"NE"\rRUN\r' "DONE" --keys "200:Q"
expect_rows "RUN" ' 113 DONE'

# WAIT 50 waits a second of timer interrupts: TIME moves on by 50 (51 when a
# tick falls between WAIT and TIME).
typed '10 T=TIME:WAIT 50:PRINT TIME-T;"DO";"NE"\rRUN\r' "DONE"
got=$(after "RUN" | head -1)
[ "$got" = " 50 DONE" ] || [ "$got" = " 51 DONE" ] || fail "WAIT 50 took $got fiftieths"
# ON ERROR GOTO: the handler sees ERR (the number of the message in the
# manual's list: 3 DIVISION BY ZERO, 9 ILLEGAL FUNCTION CALL) and ERL;
# RESUME retries the statement, RESUME NEXT goes on after it, RESUME n goes to
# line n; CLEAR forgets the variables; RESUME with no error is an error.
program='5 CLS:PRINT "OUT"
10 ON ERROR GOTO 100
20 D=0:PRINT 10/D;
30 A=SQR(-1):PRINT "NEXT"
40 PRINT "AT";Z;:CLEAR:PRINT Z
50 RESUME
100 PRINT ERR;ERL;:Z=Z+1:IF ERR=3 THEN D=2:RESUME
110 IF ERL=30 THEN RESUME NEXT
RUN
'
typed "$program" "WITHOUT ERROR ERROR IN"
expect_rows "OUT" ' 3  20  5  9  30 NEXT
AT 2  0
?RESUME WITHOUT ERROR ERROR IN 5
0'
# INSTR (from a start, or not found), STRING$ of a string or a code, HEX$,
# SPC, and TAB(n) moving on to column n.
typed 'PRINT INSTR("HELLO","LL");INSTR(4,"ABCABC","B");INSTR("AB","X")\rPRINT STRING$(3,"*");STRING$(2,65);HEX$(4096);"|";SPC(2);"|";TAB(20);"T"\r' "|  |"
grep -q "^ 3  5  0 *$" <<<"$screen" || fail "INSTR"
grep -q "^\*\*\*AA1000|  |       T *$" <<<"$screen" || fail "STRING$, HEX$, SPC or TAB"
# LINE: (0,0)-(7,3) follows y = 3x/7 rounded, so (2,1) is on it and (3,2) is
# not; a vertical line; a colour given; a line starting off the picture still
# draws the part on it. CIRCLE: the four ends of the axes and (7,7) from the
# centre (10/SQR(2) rounded) are on a circle of radius 10, the centre and
# (5,5) are not; a circle reaching off the picture keeps the part on it. A and
# C count the pixels that must be set, B and D those with 100s and 1000s set.
program='10 MODE 8:LINE 0,0,7,3:LINE 10,5,10,1:LINE 20,2,16,2,1:LINE -5,-5,2,2
20 A=POINT(0,0)+POINT(2,1)*10+POINT(7,3)*100+POINT(10,3)*1000
30 B=POINT(3,2)+POINT(11,3)*10+POINT(18,2)*100+POINT(1,1)*1000+POINT(3,3)*10000
40 CIRCLE 100,100,10:CIRCLE 5,5,20
50 C=POINT(110,100)+POINT(90,100)*10+POINT(100,110)*100+POINT(100,90)*1000+POINT(107,107)*10000
60 D=POINT(100,100)+POINT(105,105)*10+POINT(25,5)*100+POINT(5,25)*1000
70 MODE 0:PRINT A;B;C;D;"DO";"NE"
RUN
'
typed "$program" "DONE"
grep -q "^ 1111  1100  11111  1100 DONE *$" <<<"$screen" || fail "LINE or CIRCLE"
# DELETE a-b and DELETE a remove those lines only (LIST's ranges: RENUM's cases).
typed '10 REM A\r20 REM B\r30 REM C\r50 REM E\r60 REM F\rDELETE 20-30\rDELETE 50\rLIST\rPRINT "O";"K"\r' "OK"
expect_rows "LIST" '10 REM A
60 REM F
READY'
# AUTO 100,5 offers 100, 105, ...; a number left alone (110) ends it and
# deletes nothing.
typed 'AUTO 100,5\rPRINT "A"\rPRINT "B"\r\rLIST\rPRINT "O";"K"\r' "OK"
expect_rows "LIST" '100 PRINT "A"
105 PRINT "B"
READY'
# RENUM: GOSUB, THEN, ELSE, GOTO, ON GOTO, RESUME, RESTORE and RUN references
# follow their lines (99 names no line and stays); numbers that grow or shrink
# move the rest of the program, and it still runs. Listings worked out by hand.
# Refused (a kept line at or above the new start, the last line at 65535, step
# 0, in a program, a line grown past 255 bytes): the program is as typed.
program='5 PRINT "A";:GOSUB 48
7 IF X=1 THEN 22 ELSE 9
9 X=1:GOTO 7
22 ON X GOTO 100,1000,99
48 RETURN:RESUME 100
100 PRINT "B":END
1000 RESTORE 22:RUN 48
'
renum() {   # $1 typed after the program, $2 the rows after its last line
    typed "$program$1"$'\nLIST\nPRINT "O";"K"\n' "OK"
    expect_rows "${1##*$'\n'}" "$2"
}
renum 'RENUM
RUN' 'AB
READY
LIST
10 PRINT "A";:GOSUB 50
20 IF X=1 THEN 40 ELSE 30
30 X=1:GOTO 20
40 ON X GOTO 60,70,99
50 RETURN:RESUME 60
60 PRINT "B":END
70 RESTORE 40:RUN 50'
for bad in 'RENUM 8,22' 'RENUM 65495,9,10' 'RENUM 10,5,0'; do
    renum "$bad" '?ILLEGAL FUNCTION CALL ERROR'
    expect_rows LIST "${program%$'\n'}"
done
typed $'2000 RENUM\nRUN\nPRINT "O";"K"\n' "OK"
expect_rows RUN $'?ILLEGAL FUNCTION CALL ERROR IN\n2000'
long="1 ON X GOTO 1$(printf ',1%.0s' {1..55})"
program="$long
" renum 'RENUM 10000' '?LINE TOO LONG ERROR
READY
LIST'
expect_rows LIST "$(fold -w32 <<<"$long")"
# 80 lines of 15 GOTO 10 (6240 bytes, 1900 free) cannot grow by 3600 bytes; made
# shorter, the program moves over itself on the way, and line 10 still finds
# line 800 beyond the part overwritten.
gotos="GOTO 10$(printf ':GOTO 10%.0s' {1..14})"
{ echo "10 GOTO 800"; printf '%s0 '"$gotos"'\n' {2..80}; printf 'RENUM 10000,10,1\nRENUM 1,,1\nLIST -1\nLIST 80-\nPRINT "O";"K"\n'; } >"$TMP/full.txt"
shown --frames 60000 --type-file "$TMP/full.txt" --until-text OK
expect_rows '?OUT OF MEMORY ERROR' "READY
RENUM 1,,1
READY
LIST -1
1 GOTO 80
READY
LIST 80-
$(fold -w32 <<<"80 ${gotos//10/1}" | sed "s/ *\$//")"
echo "firmware_language: ok"

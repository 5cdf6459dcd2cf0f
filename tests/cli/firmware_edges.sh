#!/bin/bash
# BASIC at its edges through vzelvega-run, results worked out by hand: INPUT
# answered over several lines, FRE after string changes, CONT after a direct
# FOR, long joined strings, RND's range and spread, empty and bad DATA items,
# and typed lines over the 127-character limit.
set -u
source "$(dirname "$0")/common.bash" "$1"

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

echo "firmware edges: all passed"

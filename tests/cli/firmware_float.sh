#!/bin/bash
# Numbers in the BASIC through vzelvega-run: each operator and function on a
# table of arguments against the host's doubles (to the nine digits printed),
# PRINT formatting and STR$/VAL round trips.
set -u
source "$(dirname "$0")/common.bash" "$1"

# BASIC expression | the same in Python
cases='7/2|7/2
2+3*4|2+3*4
(2+3)*4|(2+3)*4
-2*-3|6
NOT 0|-1
6 AND 3|2
6 OR 3|7
&H10|16
1<2<3|-1
3>2>1|0
-2/3|-2/3
1.5*-2.25|1.5*-2.25
123456789+1|123456789+1
0.1+0.2|0.1+0.2
1E30*1E8|1e30*1e8
3.7E-30/1E8|3.7e-30/1e8
32767+1|32767+1
-32768-1|-32768-1
300*300|300*300
-7\2|math.trunc(-7/2)
-17 MOD 5|math.fmod(-17,5)
5.5 MOD 2|math.fmod(5.5,2)
2^10|2**10
10^-3|10**-3
(-2)^3|(-2)**3
1.5^-2.5|1.5**-2.5
SQR(2)|math.sqrt(2)
SQR(0.0004)|math.sqrt(0.0004)
SIN(1)|math.sin(1)
SIN(-30)|math.sin(-30)
COS(2)|math.cos(2)
TAN(0.5)|math.tan(0.5)
ATN(1)|math.atan(1)
ATN(-10)|math.atan(-10)
LOG(2)|math.log(2)
LOG(1E-20)|math.log(1e-20)
EXP(1)|math.exp(1)
EXP(-10)|math.exp(-10)
INT(-2.5)|math.floor(-2.5)
INT(2.5)|math.floor(2.5)
FIX(-2.5)|math.trunc(-2.5)
ABS(-1E-20)|1e-20
SGN(-0.1)|-1
SGN(0)|0
PI|math.pi
1E-30*1E-30|0
VAL(STR$(1/7))|1/7
VAL(STR$(-2.5E-20))|-2.5e-20
VAL(" -12.5E+3X")|-12500
DEF FNA(X)=X*X+1:LPRINT FNA(1.5)|3.25
A%=-7.9:LPRINT A%|-7
FOR I%=32766 TO 32767:NEXT:LPRINT I%|32767
FOR X=1 TO 0 STEP -0.25:NEXT:LPRINT X|-0.25
DIM B(2,3):B(2,3)=0.25:LPRINT B(2,3)+B(1,1)|0.25'
# a case that is a statement of its own prints its value itself
program=$(awk -F'|' '{ printf "%d %s%s\\r", NR * 10, ($1 ~ /LPRINT/ ? "" : "LPRINT "), $1 }' <<<"$cases")
shown --frames 6000 --printer "$TMP/values.txt" --type "${program}RUN\\rPRINT \"DO\";\"NE\"\\r" --until-text DONE
echo "$cases" >"$TMP/cases.txt"
python3 - "$TMP/values.txt" "$TMP/cases.txt" <<'EOF' || fail "values differ from the host's"
import math, sys
printed = open(sys.argv[1]).read().split("\n")
cases = [line.split("|") for line in open(sys.argv[2]).read().strip().split("\n")]
# nine digits printed: half a unit in the ninth place, and a little for the functions
def close(got, want): return abs(float(got) - want) <= 1e-8 * abs(want) + 1e-38
bad = [f"{basic}: printed {got!r}" for (basic, python), got in zip(cases, printed) if not close(got, eval(python))]
sys.exit("\n".join(bad) or (len(printed) < len(cases) and "values missing"))
EOF

# PRINT: a sign position, at most nine significant digits, E notation below
# 1E-5 and from ten digits before the point on.
formats='0| 0
.5| 0.5
123456789| 123456789
1234567890| 1.23456789E+09
.00001| 0.00001
9.9E-6| 9.9E-06
2/3| 0.666666667
-1E-20|-1E-20
65536| 65536
9.9999999996| 10
999999999.8| 1E+09
-123.456789012|-123.456789'
program=$(awk -F'|' '{ printf "%d LPRINT \"[\";%s;\"]\"\\r", NR * 10, $1 }' <<<"$formats")
shown --frames 3000 --printer "$TMP/formats.txt" --type "${program}RUN\\rPRINT \"DO\";\"NE\"\\r" --until-text DONE
want=$(awk -F'|' '{ print "[" $2 " ]" }' <<<"$formats")
[ "$(tr -d '\r' <"$TMP/formats.txt")" = "$want" ] || fail "PRINT formats:
$(paste -d' ' <(echo "$want") "$TMP/formats.txt")"

echo "firmware_float: ok"

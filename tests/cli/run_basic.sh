#!/bin/bash
# The built-in BASIC through vzelvega-run, as a user would drive it: wait for
# READY, type a line through the paste path, press keys by name, read the
# screen as text, print to the printer file.
set -u
source "$(dirname "$0")/common.bash" "$1"

# A build whose CPU core does not run yet leaves RAM untouched: nothing to check.
"$RUN" --workdir "$TMP" --frames 120 --quiet --save-ram || fail "start-up run exited with $?"
if ! od -An -tx1 -v -j $((0xC000)) -N 16384 "$TMP/ram.bin" | grep -q '[1-9a-f]'; then
    echo "run_basic: SKIPPED (the CPU core does not execute in this build)"
    exit 0
fi

"$RUN" --workdir "$TMP" --frames 600 --quiet --until-text READY || fail "no READY within 600 frames"

# 123*3 = 369, typed through the clipboard path.
"$RUN" --workdir "$TMP" --frames 1500 --quiet --type 'PRINT 123*3\n' --until-text 369 ||
    fail "typed PRINT 123*3 did not show 369"

# The same with key presses (letters come out in lower case without Shift):
# print 7 and Enter; a row then holds the result alone.
text=$("$RUN" --workdir "$TMP" --frames 400 --quiet --screen-text \
    --keys "150:P 156:R 162:I 168:N 174:T 180:Space 186:7 192:Enter") || fail "keys run exited with $?"
grep -qi "PRINT 7" <<<"$text" || fail "the typed line is not on the screen: $text"
grep -Eq "^ ?7 *$" <<<"$text" || fail "no result row ' 7': $text"

# Keys in a burst at one frame, typed as a US keyboard gives them (the host
# layout): nothing is lost.
keys='150:P 150:R 150:I 150:N 150:T 150:Space 150:Shift+Quote 150:H 150:I 150:Shift+Quote 150:Semicolon 150:2'
keys+=' 150:Shift+Equals 150:2 150:Enter'
text=$("$RUN" --workdir "$TMP" --frames 300 --quiet --keys "$keys" --until-text 'hi 4' --screen-text) ||
    fail "print \"hi\";2+2 in the host layout: $text"

# Line ends as this host writes them: LF alone enters a line, in a file and in pasted text.
printf '10 PRINT 6*7\nRUN\n' >"$TMP/lf.txt"
"$RUN" --workdir "$TMP" --frames 1500 --quiet --type-file "$TMP/lf.txt" --until-text 42 >/dev/null ||
    fail "a text file with LF line ends was not entered"
"$RUN" --workdir "$TMP" --frames 1500 --quiet --paste $'10 PRINT \u201C6*7=\u201D;6*7\r\nRUN\n' --until-text '6*7= 42' \
    >/dev/null || fail "pasted UTF-8 text with CR LF and LF line ends was not entered"

# The pointing device read serially by the ROM: X, Y and the button.
text=$("$RUN" --workdir "$TMP" --frames 1500 --quiet --pointer 100,50,down --screen-text \
    --type 'PRINT JOY(3);JOY(4);JOY(5)\n') || fail "pointer run exited with $?"
grep -q "^ 100  50  1 *$" <<<"$text" || fail "pointer not read back as 100 50 1: $text"

# Joystick bytes through the host controller path: F6h up and right (9), EFh fire (16).
text=$("$RUN" --workdir "$TMP" --frames 1500 --quiet --joystick1 '$F6' --joystick2 '$EF' --screen-text \
    --type 'PRINT JOY(1);JOY(2)\n') || fail "joystick run exited with $?"
grep -q "^ 9  16 *$" <<<"$text" || fail "joysticks not read back as 9 16: $text"

# LPRINT goes to the printer file given with --printer, closed at exit.
"$RUN" --workdir "$TMP" --frames 1500 --quiet --printer "$TMP/out.txt" --type 'LPRINT "ZEL VEGA"\n' >/dev/null ||
    fail "LPRINT run exited with $?"
grep -q "ZEL VEGA" "$TMP/out.txt" || fail "printer file lacks the line: $(cat "$TMP/out.txt" 2>&1)"
echo "run_basic: ok"

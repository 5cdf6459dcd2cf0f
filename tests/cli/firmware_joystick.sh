#!/bin/bash
# JOY in the BASIC ROM: the two joystick bytes and the pointer, read through
# AY register 14, as vzelvega-run sets them.
set -u
source "$(dirname "$0")/common.bash" "$1"
# JOY(0): the game keys held at the last frame (Space is bit 7, Up bit 2).
screen=$("$RUN" --workdir "$TMP" --frames 600 --quiet --type '10 K=JOY(0):IF K=0 THEN 10\r20 PRINT K;"DO";"NE"\rRUN\r' \
    --keys "200:Space" --until-text 'DONE' --screen-text) || fail "JOY(0) did not see Space"
expect_rows 'RUN' ' 128 DONE'

# JOY reads the joystick bytes (active low) and the pointer through AY register 14.
screen=$("$RUN" --workdir "$TMP" --frames 600 --quiet --joystick1 '$EE' --joystick2 '$FB' --pointer 200,37,down \
    --type 'PRINT JOY(1);JOY(2);JOY(3);JOY(4);JOY(5);"DO";"NE"\r' --until-text 'DONE' --screen-text) ||
    fail "JOY did not finish"
expect_rows 'PRINT JOY(1);JOY(2);JOY(3);JOY(4' ');JOY(5);"DO";"NE"
 17  4  200  37  1 DONE'

echo "firmware_joystick: ok"

#!/bin/bash
# vzelvega-run as a user calls it: help, frame counts, refused option values,
# --until-text's exit code, speed figures; input as it gives it to the ROM:
# keys in a burst in the host layout, pasted UTF-8 text with the line ends of
# any host, the game keys, the joystick bytes and the pointer read by JOY.
set -u
source "$(dirname "$0")/common.bash" "$1"

# (Every option is used by a case of its own in these scripts.)
help=$("$RUN" --help) || fail "--help exited with $?"
grep -q -- "--until-text TEXT" <<<"$help" || fail "--help: $help"

out=$(cd "$TMP" && "$RUN" --frames 12) || fail "--frames 12 exited with $?"
grep -q "^frames 12, emulated 0.20 s" <<<"$out" || fail "figures for 12 frames: $out"

out=$(cd "$TMP" && "$RUN" --frames 30 --fast) || fail "--fast exited with $?"
grep -q "^frames 30, emulated 0.50 s" <<<"$out" || fail "figures for --fast: $out"

out=$(cd "$TMP" && "$RUN" --frames 0 --quiet) || fail "--frames 0 exited with $?"
[ -z "$out" ] || fail "--quiet printed: $out"

# Refused values (one per kind of check): exit code 2 and a message naming the value.
refuse() {
    local err
    err=$(cd "$TMP" && "$RUN" --frames 1 "$@" 2>&1 >/dev/null)
    local rc=$?
    [ $rc -eq 2 ] || fail "$* exited with $rc, expected 2"
    grep -q "vzelvega-run:" <<<"$err" || fail "$* gave no message: $err"
}
refuse --key 10
refuse --joystick1 256
refuse --pointer 300,4
refuse --load-binary file.bin
# Named files that are not there: the folder, each kind of file.
for option in --workdir --cartridge --tape --type-file; do refuse $option "$TMP/missing"; done
refuse --load-binary "$TMP/missing.bin@\$4C00"

# Text that never shows: exit code 1 after the frame limit.
(cd "$TMP" && "$RUN" --frames 5 --quiet --until-text "NO SUCH TEXT ON SCREEN" 2>/dev/null)
[ $? -eq 1 ] || fail "--until-text not found should exit 1"
# Keys in a burst at one frame, typed as a US keyboard gives them: nothing is lost.
keys='150:P 150:R 150:I 150:N 150:T 150:Space 150:Shift+Quote 150:H 150:I 150:Shift+Quote 150:Semicolon 150:2'
shown --frames 300 --keys "$keys 150:Shift+Equals 150:2 150:Enter" --until-text 'hi 4'
# CR LF and LF alone each end a line of pasted UTF-8 text.
"$RUN" --workdir "$TMP" --frames 1500 --quiet --paste $'10 PRINT \u201C6*7=\u201D;6*7\r\nRUN\n' --until-text '6*7= 42' \
    >/dev/null || fail "pasted UTF-8 text with CR LF and LF line ends was not entered"

# JOY(0): the game keys held at the last frame (Space is bit 7).
typed '10 K=JOY(0):IF K=0 THEN 10\r20 PRINT K;"DO";"NE"\rRUN\r' DONE --keys "200:Space"
expect_rows 'RUN' ' 128 DONE'
# Joystick bytes are active low, bit 0 up to 4 fire: 66h is up, right and
# fire (25), F9h down and left (6).
typed 'PRINT JOY(1);JOY(2);JOY(3);JOY(4);JOY(5);"DO";"NE"\r' DONE --joystick1 '$66' --joystick2 '$F9' \
    --pointer 200,37,down
expect_rows 'PRINT JOY(1);JOY(2);JOY(3);JOY(4' ');JOY(5);"DO";"NE"
 25  6  200  37  1 DONE'
echo "run_options: ok"

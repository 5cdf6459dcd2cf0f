#!/bin/bash
# Files vzelvega-run produces: screenshot and RAM dump written whole or not
# at all, save states, the mixed sound as a 22050 Hz WAV with one frame of
# samples per frame, recorded as heard.
set -u
source "$(dirname "$0")/common.bash" "$1"

# A full disk (20 KB of room for a 61558-byte BMP): the old screenshot and
# ram.bin stay whole, no partial or temporary file is left, the user is told.
"$RUN" --workdir "$TMP" --frames 10 --quiet --screenshot "$TMP/shot.bmp" || fail "exited with $?"
mkdir "$TMP/full" && cp "$TMP/shot.bmp" "$TMP/full/shot.bmp" && head -c 100 /dev/zero >"$TMP/full/ram.bin"
err=$( (trap '' XFSZ; ulimit -f 20; "$RUN" --workdir "$TMP/full" --frames 1 --quiet --screenshot shot.bmp --save-ram) 2>&1)
cmp -s "$TMP/shot.bmp" "$TMP/full/shot.bmp" || fail "old screenshot damaged"
[ "$(stat -c %s "$TMP/full/ram.bin")" -eq 100 ] || fail "old ram.bin damaged"
[ "$(ls "$TMP/full" | wc -l)" -eq 2 ] || fail "stray files: $(ls "$TMP/full")"
grep -q "screenshot not written: shot.bmp" <<<"$err" || fail "no screenshot message: $err"
grep -q "Save Ram failed: .*/ram.bin: File too large" <<<"$err" || fail "no Save Ram notice: $err"
# A state saved at frame 300 and loaded by a second run goes on as the first
# run did: the same RAM and picture 200 frames later; a foreign file is refused with exit code 2.
prog='10 MODE 8\n20 PSET RND(256),RND(192):GOTO 20\nRUN\n'
"$RUN" --workdir "$TMP" --quiet --type "$prog" --frames 500 --save-state "$TMP/at300.vzs@300" --save-ram \
    --screenshot "$TMP/a.bmp" || fail "--save-state exited with $?"
mv "$TMP/ram.bin" "$TMP/a.bin"
[ "$(head -c 7 "$TMP/at300.vzs")" = "VZSTATE" ] || fail "no state file"
"$RUN" --workdir "$TMP" --quiet --load-state "$TMP/at300.vzs" --frames 200 --save-ram --screenshot "$TMP/b.bmp" ||
    fail "--load-state exited with $?"
cmp -s "$TMP/a.bin" "$TMP/ram.bin" || fail "RAM after the loaded state differs"
cmp -s "$TMP/a.bmp" "$TMP/b.bmp" || fail "picture after the loaded state differs"
"$RUN" --workdir "$TMP" --quiet --load-state "$TMP/a.bmp" --frames 1 2>"$TMP/err.txt"
[ $? -eq 2 ] && grep -q "not a Virtual Zel Vega state file" "$TMP/err.txt" || fail "a BMP was not refused: $(cat "$TMP/err.txt")"
# Util "Record Sound..." writes the sound as heard: --wav of the same typed
# line hears it three frames (3 x 368 samples) later, the stream's write-ahead.
input=(--workdir "$TMP" --frames 240 --quiet --keys "10:T 14:O 18:N 22:E 26:Space 30:4 34:4 38:0 42:Comma 46:9 50:Enter")
"$RUN" "${input[@]}" --wav "$TMP/heard.wav" || fail "--wav exited with $?"
err=$("$RUN" "${input[@]}" --record-sound "$TMP/rec.wav" 2>&1) || fail "--record-sound exited with $?: $err"
[ "$err" = "Recording sound: $TMP/rec.wav
Sound recorded: $TMP/rec.wav" ] || fail "record notices: $err"
python3 - "$TMP/heard.wav" "$TMP/rec.wav" <<'EOF' || fail "recording differs from what is heard"
import struct, sys
heard, rec = (open(name, 'rb').read() for name in sys.argv[1:])
riff, fmt, channels, rate, bits, data = struct.unpack('<4xI8x4xHHI6xH4xI', rec[:44])
# 60 frames a second: 736 bytes (368 samples) a frame.
assert (riff, fmt, channels, rate, bits, data) == (len(rec) - 8, 1, 1, 22050, 16, 240 * 736), rec[:44]
assert heard[:44] == rec[:44], heard[:44]
ahead = 3 * 736
assert rec[44:-ahead] == heard[44 + ahead:] and rec[44:].strip(b'\0'), 'samples differ or are silent'
EOF
err=$("$RUN" --workdir "$TMP" --frames 1 --record-sound "$TMP/none/rec.wav" 2>&1)
[ $? -eq 2 ] && grep -q "^Sound not recorded: $TMP/none/rec.wav: No such file or directory" <<<"$err" ||
    fail "a recording into a missing folder: $err"
echo "run_outputs: ok"

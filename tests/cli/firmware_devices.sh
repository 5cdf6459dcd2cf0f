#!/bin/bash
# The BASIC ROM's devices through vzelvega-run: CSAVE to a CP6 file and CLOAD
# back in a fresh machine by name, tapes damaged, cut short or stopped, LPRINT
# to the printer file, SOUND, TONE and PLAY in the AY log, USR with the binary
# loader, MODE and PSET; the examples primes.txt and catch.txt as a user runs them.
set -u
source "$(dirname "$0")/common.bash" "$1"

# CSAVE: the recording is named from header bytes 10-15, six characters of a
# longer name and zeros after a shorter one.
mkdir "$TMP/tapes"
typed '10 PRINT "HELLO"\r20 FOR I=1 TO 3:PRINT I:NEXT\rCSAVE "DEMOTAPE"\rCSAVE "A"\rPRINT "SA";"VED"\r' SAVED \
    --record-dir "$TMP/tapes"
tape=$TMP/tapes/DEMOTA_BAS.CP6
[ "$(hexat "$tape" 0 10)" = "d3d3d3d3d3d3d3d3d3d3" ] || fail "sync bytes $(hexat "$tape" 0 10): $(ls "$TMP/tapes")"
[ "$(hexat "$tape" 10 7)" = "44454d4f544100" ] || fail "name bytes $(hexat "$tape" 10 7)"
[ "$(hexat "$TMP/tapes/A_BAS.CP6" 10 7)" = "41000000000000" ] || fail "1-character name: $(ls "$TMP/tapes")"
# Program length: records of 13 and 19 bytes and the end marker.
[ "$(hexat "$tape" 17 2)" = "2100" ] || fail "length bytes $(hexat "$tape" 17 2)"
[ "$(stat -c %s "$tape")" -eq $((19 + 33 + 2)) ] || fail "tape size $(stat -c %s "$tape")"

# Typing is refused while a tape is loaded for play, so these runs press keys
# (lower case without Shift): F3 types CLOAD and Enter, F1 LIST and Enter.
cload() {  # tape, keys, the row the listed rows follow, those rows
    shown --tape "$1" --frames 900 --keys "$2"
    expect_rows "$3" "$4"
}
# CLOAD compares six characters in either case.
name='60:C 64:L 68:O 72:A 76:D 80:Space 84:Shift+Quote 88:D 92:E 96:M 100:O 104:T'
cload "$tape" "$name 108:A 112:P 116:E 120:Enter 300:F1" 'cload "demotape' 'FOUND: DEMOTA
READY
LIST
10 PRINT "HELLO"
20 FOR I=1 TO 3:PRINT I:NEXT
READY'
cload "$tape" "$name 108:B 112:Enter" 'cload "demotb' 'FOUND: DEMOTA
SKIPPED'
# One damaged program byte: the checksum says so and no program is left.
cp "$tape" "$TMP/bad.cp6"
printf 'X' | dd of="$TMP/bad.cp6" bs=1 seek=27 conv=notrunc 2>/dev/null
cload "$TMP/bad.cp6" "60:F3 300:F1" CLOAD 'FOUND: DEMOTA
?TAPE CHECKSUM ERROR
READY
LIST
READY'
# A tape that ends inside the program: the error, and no half-loaded line.
head -c 30 "$tape" >"$TMP/cut.cp6"
cload "$TMP/cut.cp6" "60:F3 800:F1" CLOAD 'FOUND: DEMOTA
?TAPE READ ERROR
READY
LIST
READY'
# Stop part way through a long program (200 lines of 16 bytes, made here):
# BREAK, and again no half-loaded program.
{ printf '\323%.0s' {1..10}; printf 'BIG\0\0\0\0\201\014'
  for _ in $(seq 200); do printf '\020\001\000\216 XXXXXXXXXX\000'; done; printf '\000\000\000'; } >"$TMP/big.cp6"
cload "$TMP/big.cp6" "60:F3 150:End 700:F1" CLOAD 'FOUND: BIG
BREAK
READY
LIST
READY'

# LPRINT and LLIST: plain text in the printer file, lines ending CR LF.
typed '10 REM LISTED\rLPRINT "SUM";2+3\rLLIST\rPRINT "PRI";"NTED"\r' PRINTED --printer "$TMP/lp.txt"
printf 'SUM 5 \r\n10 REM LISTED\r\n' >"$TMP/lp.expected"
cmp "$TMP/lp.txt" "$TMP/lp.expected" || fail "printer file: $(od -c "$TMP/lp.txt")"

# SOUND writes AY registers; TONE 1000,25 sets period 125 (2 MHz / 16 / 125
# = 1000 Hz) at full volume on channel A, then silences it. PLAY: two C notes
# of ten fiftieths (spaces are passed over); the first is silenced (volume 8
# to 0) a fiftieth before the second starts, so the second starts after a pause.
(cd "$TMP" && "$RUN" --workdir "$TMP" --frames 500 --quiet --ay-log \
    --type 'SOUND 2,77:SOUND 9,0:TONE 1000,25\rPLAY " L10C C"\r') || fail "the sound run exited with $?"
log=$(cat "$TMP"/aysound_*.txt)
# (each log line: frames since the last, the count of writes, register,value pairs)
grep -A1 ',0,125,1,0,2,77,7,62,8,15,' <<<"$log" | tail -1 | grep -q ',1,8,0$' ||
    fail "SOUND 2,77 and the tone (period, mixer, volume, then silence) not in the AY log: $log"
[ "$(grep -c '^ *\.byte [1-9][0-9]*,4,0,221,1,1,7,62,8,15$' <<<"$log")" = 2 ] || fail "the two notes did not start apart: $log"

# USR calls the routine the binary loader put at F000h.
typed 'PRINT USR(14)\r' ' 42' --load-binary "$BUILD/examples/usrdemo.bin@\$F000,usr=\$F000"
expect_rows 'PRINT USR(14)' 'HELLO FROM MACHINE CODE
 42'

# MODE 8 (256 x 192, two colours, set 0) with two pixels set (POINT: firmware_language).
shown --frames 600 --screenshot "$TMP/pset.bmp" \
    --type '10 MODE 8:PSET 0,0:PSET 255,191:PSET 9,9:PRESET 9,9\rRUN\r'
[ "$(grep -c '^#\{32\}$' <<<"$screen")" -eq 16 ] || fail "the screen is not all graphics cells"
python3 - "$TMP/pset.bmp" <<'EOF' || fail "graphics picture"
import struct, sys
b = open(sys.argv[1], 'rb').read()
off, = struct.unpack_from('<I', b, 10)
w, h = struct.unpack_from('<ii', b, 18)
def green(x, y):  # of the picture's pixel (x, y), inside the 12-pixel border
    row = y + 12 if h < 0 else h - 13 - y
    return b[55 + 4 * b[off + row * ((w + 3) & ~3) + x + 12]]
# Two-colour set 0: a 1 bit is light green (40,224,40), a 0 bit dark green (16,96,16).
want = {(0, 0): 224, (1, 0): 96, (255, 191): 224, (254, 191): 96, (9, 9): 96}
got = {p: green(*p) for p in want}
sys.exit(0 if got == want else f'green of the pixels: {got}')
EOF
EXAMPLES=$(cd "$(dirname "$0")/../../examples" && pwd)

shown --frames 3000 --type-file "$EXAMPLES/primes.txt" --until-text " 197  199"
got=$(sed -n '1,/199/p' <<<"$screen" | tr -s ' \n' '\n\n' | grep -v '^$' | tr '\n' ' ')
want=$(python3 -c 'print(" ".join(str(n) for n in range(2, 200) if all(n % d for d in range(2, n))), end=" ")')
[ "$got" = "$want" ] || fail "primes: $got"

# Nobody plays: every ball is missed or caught by the paddle standing still,
# and the game ends with no lives left.
shown --frames 20000 --type-file "$EXAMPLES/catch.txt" --until-text "           GAME OVER"
grep -q "LIVES 0 " <<<"$(head -1 <<<"$screen")" || fail "the lives at GAME OVER: $(head -1 <<<"$screen")"
# Left pressed during the game (the game starts near frame 1380) is not left
# over in the key buffer: a line typed after the game starts at the left edge.
keys="$(printf '%s:Left ' $(seq 1420 10 1560)) $(printf '2600:%s ' P R I N T Space 6 Shift+8 7 Enter)"
shown --frames 3000 --type-file "$EXAMPLES/catch.txt" --keys "$keys" --until-text " 42 "
grep -A1 '^print 6\*7' <<<"$screen" | tail -1 | grep -q '^ 42 ' || fail "keys left over after the game"

typed '10 INPUT "AGE";A:PRINT A+1\rRUN\rX\r41\r' " 42"
expect_rows RUN 'AGE? X
?REDO FROM START
AGE? 41
 42'

echo "firmware_devices: ok"

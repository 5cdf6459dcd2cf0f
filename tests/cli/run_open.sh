#!/bin/bash
# Files named on the runner's command line, opened as the desktop opens them:
# the example tape is CLOADed and RUN to its end, the example cartridge
# starts, a text is typed, a binary goes to its address; refused files end
# the run with 2.
set -u
source "$(dirname "$0")/common.bash" "$1"
SRC=$(cd "$2" && pwd)
ini="$TMP/open.ini"

# The tape is of the first edition (its keywords and digits as stored then).
shown --ini "$ini" --frames 4000 "$SRC/examples/CATCH_BAS.CP6" --until-text "GAME OVER" 2>"$TMP/err"
grep -q "Tape loading: CATCH_BAS.CP6" "$TMP/err" || fail "no notice of the tape: $(cat "$TMP/err")"

shown --ini "$ini" --frames 300 "$BUILD/examples/cartridge.bin" --until-text "STOP TO LEAVE" 2>/dev/null

shown --ini "$ini" --frames 3000 "$SRC/examples/primes.txt" --until-text "197  199" 2>/dev/null

printf '\x01\x02\x03' >"$TMP/code.bin"
"$RUN" --workdir "$TMP" --ini "$ini" --quiet --frames 1 --save-ram "$TMP/code.bin@\$c123" 2>/dev/null ||
    fail "the binary was not loaded"
[ "$(od -An -tx1 -j $((0xC123)) -N 3 "$TMP/ram.bin" | tr -d ' ')" = "010203" ] || fail "binary not at C123h"

# Newest first, in the settings file's own section.
[ "$(grep -A1 '^\[RECENT\]' "$ini" | tail -1)" = "file1=$TMP/code.bin" ] || fail "recent list: $(cat "$ini")"

# Refused (which files and why: the open tests): the reason on stderr, exit code 2.
err=$("$RUN" --workdir "$TMP" --ini "$ini" --quiet --frames 1 "$TMP/missing.cp6" 2>&1)
[ $? -eq 2 ] || fail "a missing file was not refused"
grep -q "^Not opened: " <<<"$err" || fail "no reason given: $err"
echo "run_open: ok"

#!/bin/bash
# The examples and the fixes a new user asked for: primes.txt lists every
# prime below 200 (2 too), catch.txt shows the lives left at GAME OVER and
# leaves no keys behind, INPUT asks again with its prompt after ?REDO FROM
# START, and PLAY keeps repeated notes apart and passes over spaces.
set -u
source "$(dirname "$0")/common.bash" "$1"
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

# Two C notes of ten fiftieths (spaces are passed over): the first is silenced
# (volume 8 to 0) a fiftieth before the second starts, so the second starts
# after a pause.
(cd "$TMP" && "$RUN" --workdir "$TMP" --frames 200 --quiet --ay-log --type 'PLAY " L10C C"\r') >/dev/null 2>&1 ||
    fail "PLAY run exited with $?"
starts=$(grep -c '^ *\.byte [1-9][0-9]*,4,0,221,1,1,7,62,8,15$' "$TMP"/aysound_*.txt)
[ "$starts" = 2 ] || fail "the two notes did not start apart: $(cat "$TMP"/aysound_*.txt)"
echo "firmware_examples: ok"

#!/bin/bash
# vzelvega-run as a user calls it: help, frame counts, refused option values,
# --until-text's exit code, speed figures.
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
refuse --workdir "$TMP/does-not-exist"

# Text that never shows: exit code 1 after the frame limit.
(cd "$TMP" && "$RUN" --frames 5 --quiet --until-text "NO SUCH TEXT ON SCREEN" 2>/dev/null)
[ $? -eq 1 ] || fail "--until-text not found should exit 1"
echo "run_options: ok"

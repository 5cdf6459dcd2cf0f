# Shared set-up of the command-line tests: sourced with the build folder as $1.
# Gives BUILD, RUN (vzelvega-run), a scratch folder TMP removed at exit, and
# fail, which prints the last screen text captured in $screen.
BUILD=$(cd "$1" && pwd)
RUN=$BUILD/tools/vzelvega-run
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
screen=""
fail() {
    echo "FAIL: $*"
    [ -n "$screen" ] && echo "$screen"
    exit 1
}
# The screen rows after the last row that reads exactly $1, trailing spaces removed.
after() { sed 's/ *$//' <<<"$screen" | awk -v mark="$1" '{ rows[NR] = $0; if ($0 == mark) last = NR }
    END { if (last) for (i = last + 1; i <= NR; i++) print rows[i] }'; }
# The rows after the marker row $1 must read $2.
expect_rows() {
    local got
    got=$(after "$1" | head -n "$(wc -l <<<"$2")")
    [ "$got" = "$2" ] || fail "after '$1' expected:
$2
got:
$got"
}
# A run with these runner options; $screen is its screen text at the end.
shown() { screen=$("$RUN" --workdir "$TMP" --quiet "$@" --screen-text </dev/null) || fail "the run with $* ended with $?"; }
# Type $1 (a newline is Enter), run until the screen shows $2; further runner options after.
typed() {
    screen=$("$RUN" --workdir "$TMP" --frames 6000 --quiet "${@:3}" --type "${1//$'\n'/\\r}" --until-text "$2" \
        --screen-text </dev/null) || fail "'$2' never appeared"
}
repeat() { printf "%${2}s" "" | tr ' ' "$1"; }
hexat() { od -An -tx1 -j "$2" -N "$3" "$1" | tr -d ' \n'; }
# Rows "typed line|message" on stdin: each line typed alone answers ?message ERROR.
refused() {
    local line message got
    while IFS='|' read -r line message; do
        [[ $line == \#* ]] && continue
        typed "$line"'\rPRINT "DO";"NE"\r' DONE
        got=$(sed 's/ *$//' <<<"$screen" | grep -A1 -xF -- "$line" | tail -1)
        [ "$got" = "?$message ERROR" ] || fail "$line gave '$got'"
    done
}

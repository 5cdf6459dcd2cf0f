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

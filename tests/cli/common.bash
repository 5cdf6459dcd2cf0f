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

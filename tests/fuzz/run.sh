#!/usr/bin/env bash
# Fuzzes each target for a while from its seed corpus: tests/fuzz/run.sh BUILD_DIR SECONDS [TARGET...]
# BUILD_DIR is a build with -DVZ_SANITIZE=ON -DVZ_FUZZ=ON (clang). New inputs go to a scratch corpus; an
# input that breaks a target is kept as BUILD_DIR/fuzz-findings/TARGET-crash-* and the script exits 1.
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?build folder}" && pwd)
seconds=${2:?seconds per target}
shift 2
[ $# -gt 0 ] || set -- $(cd "$here/corpus" && echo *_fuzz)
findings=$build/fuzz-findings
mkdir -p "$findings"
export LSAN_OPTIONS="suppressions=$here/../sanitizer/lsan.supp:print_suppressions=0"
# Scratch folders in memory where there is one: the settings writer syncs every write to disk.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
status=0
for target in "$@"; do
    bin=$build/tests/fuzz/$target
    [ -x "$bin" ] || { echo "$target: not built in $build"; status=1; continue; }
    case $target in
        tape_rom_fuzz) len=600 ;;       # about a frame per tape byte: keep runs short
        cartridge_fuzz) len=16390 ;;
        binary_fuzz) len=8192 ;;
        *) len=4096 ;;
    esac
    work=$(mktemp -d)
    "$bin" -max_total_time="$seconds" -max_len="$len" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$findings/$target-" "$work" "$here/corpus/$target" </dev/null >"$work.log" 2>&1
    code=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work.log")
    if [ $code -eq 0 ]; then
        echo "$target: ${runs:-?} runs in ${seconds}s, no finding"
    else
        status=1
        echo "$target: FINDING (exit $code)"
        grep -E "ERROR|SUMMARY|check failed|runtime error" "$work.log" | head -5
        echo "  log kept: $findings/$target.log"
        cp "$work.log" "$findings/$target.log"
    fi
    rm -rf "$work" "$work.log"
done
exit $status

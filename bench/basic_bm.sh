#!/bin/bash
# The eight classic BASIC benchmarks (BM1-BM7 of Rugg and Feldman, 1000
# passes each; BM8, 100 passes of K^2, LOG(K), SIN(K)) in the built-in BASIC,
# through the headless runner at 100 % of the NTSC clock. Each program times
# itself with TIME (fiftieths of a second of emulated time) and the script
# prints the emulated seconds per test and their mean.
# Usage: bench/basic_bm.sh [BUILD_DIR]
set -u
BUILD=$(cd "${1:-build}" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
printf '[SPEED]\ncpuspeedopt=0\nntscmultiplierpct=100\n' >"$WORK/bench.ini"

loop='300 K=K+1'
bm[1]='300 FOR K=1 TO 1000
400 NEXT K'
bm[2]="200 K=0
$loop
500 IF K<1000 THEN 300"
bm[3]="200 K=0
$loop
400 A=K/K*K+K-K
500 IF K<1000 THEN 300"
bm[4]="200 K=0
$loop
400 A=K/2*3+4-5
500 IF K<1000 THEN 300"
bm[5]="200 K=0
$loop
400 A=K/2*3+4-5
450 GOSUB 700
500 IF K<1000 THEN 300"
bm[6]="200 K=0
250 DIM M(5)
$loop
400 A=K/2*3+4-5
450 GOSUB 700
460 FOR L=1 TO 5
480 NEXT L
500 IF K<1000 THEN 300"
bm[7]="200 K=0
250 DIM M(5)
$loop
400 A=K/2*3+4-5
450 GOSUB 700
460 FOR L=1 TO 5
470 M(L)=A
480 NEXT L
500 IF K<1000 THEN 300"
bm[8]="200 K=0
$loop
330 A=K^2
340 B=LOG(K)
350 C=SIN(K)
500 IF K<100 THEN 300"

total=0
for n in 1 2 3 4 5 6 7 8; do
    program="100 T=TIME
${bm[$n]}
600 PRINT \"BM$n\";(TIME-T)/50;\"SE\";\"CS\"
650 END
700 RETURN
RUN
"
    screen=$("$BUILD/tools/vzelvega-run" --workdir "$WORK" --ini "$WORK/bench.ini" --frames 20000 --quiet \
        --type "${program//$'\n'/\\r}" --until-text SECS --screen-text) || { echo "BM$n did not finish"; exit 1; }
    secs=$(grep -o "BM$n *[0-9.]* *SECS" <<<"$screen" | awk '{print $2}' | head -1)
    printf 'BM%d %8.2f s\n' "$n" "$secs"
    total=$(awk -v a="$total" -v b="$secs" 'BEGIN { print a + b }')
done
awk -v t="$total" 'BEGIN { printf "mean %7.2f s\n", t / 8 }'

#!/usr/bin/env bash
# The Windows programs under Wine against the native ones: the same scripts and options give the
# same standard output and error, exit code and screenshot pixels, byte for byte.
#   compare_test.sh NATIVE-dorurura WINDOWS-dorurura.exe NATIVE-dorurura-par WINDOWS-dorurura-par.exe
# Wine's prefix comes from WINEPREFIX (the build tree's); exit 77 when Wine is missing.
set -uo pipefail
native=$(readlink -f "$1") windows=$(readlink -f "$2")
nativePar=$(readlink -f "$3") windowsPar=$(readlink -f "$4")
command -v wine > /dev/null || { echo "no wine: skipped"; exit 77; }
source=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# same NAME PROGRAM WINDOWS-PROGRAM ARGS...: both runs, each in a folder of its own, end alike and
# write the same bytes, and the same pixels in each PNG file they make. With streams=out, the error
# output (a simulation's speed) is not compared.
same() {
    local name=$1 linux=$2 win=$3 side
    shift 3
    for side in linux win; do
        mkdir -p "$work/$name/$side"
        cp "$work"/*.txt "$work/$name/$side/" 2> /dev/null
        (cd "$work/$name/$side" && if [[ $side == linux ]]; then timeout 120 "$linux" "$@"; else
            timeout 120 wine "$win" "$@"; fi > out 2> err; echo "exit $?" > code)
    done
    local a=$work/$name/linux b=$work/$name/win file
    for file in code out ${streams:-err}; do
        cmp -s "$a/$file" "$b/$file" ||
            { echo "FAIL $name: $file differs"; diff "$a/$file" "$b/$file" | head -5; ((++failures)); }
    done
    for file in "$a"/*.png; do
        [[ -e $file ]] || continue
        [[ $(compare -metric AE "$file" "$b/${file##*/}" null: 2>&1) == 0 ]] ||
            { echo "FAIL $name: ${file##*/} differs"; failures=$((failures + 1)); }
    done
    echo "$name: $(cat "$a/code"), $(wc -l < "$a/out") lines, $(ls "$a" | grep -c '\.png$') shots"
}

cp "$source/docs/session.txt" "$work/readme.txt"
# A session on every machine: a loan, a bet of one, spins, the most bet and a spin, with shots.
for id in 40011 40010 40009 40008; do
    printf 'until Idle\nmenu %s\npasses 2\nmenu 40012\ntap 60 253\nstate\n' "$id"
    for spin in 1 2 3 4; do printf 'tap 170 253\npasses 2\nuntil Idle\nstate\n'; done
    printf 'menu 40012\ntap 115 253\ntap 170 253\npasses 20\nshot m%s-spinning.png\n' "$id"
    printf 'until Idle\nstate\nshot m%s.png\n' "$id"
done > "$work/machines.txt"
printf 'until Idle\nstate\ntap 60 253\nbogus 1\n' > "$work/error.txt"
# The clock wraps from 2^32 - 1 ms to 0 in the middle of the spins.
printf 'start-tick 4294966000\nuntil Idle\nmenu 40012\ntap 60 253\n' > "$work/wrap.txt"
for spin in 1 2 3 4; do printf 'tap 170 253\npasses 2\nuntil Idle\nstate\nshot wrap%s.png\n' $spin; done \
    >> "$work/wrap.txt"

same readme "$native" "$windows" --headless --script readme.txt
same machines "$native" "$windows" --headless --script machines.txt
same fast-passes "$native" "$windows" --headless --script machines.txt --ms-per-pass 7
same error "$native" "$windows" --headless --script error.txt
same wrap "$native" "$windows" --headless --script wrap.txt
same missing "$native" "$windows" --headless --script none.txt
same help "$native" "$windows" --help
same version "$native" "$windows" --version
same bad-option "$native" "$windows" --scale 0
same par-sheets "$nativePar" "$windowsPar"
same par-trace "$nativePar" "$windowsPar" --trace --spins 2000 --machine 2 --seed 7
same par-json "$nativePar" "$windowsPar" --format json --machine 1
for threads in 1 2 5; do
    streams=out same "par-simulate-$threads" "$nativePar" "$windowsPar" --simulate 300000 --seed 11 \
        --threads $threads
done
streams=out same par-sessions "$nativePar" "$windowsPar" --simulate 2000 --bet 2 --machine 3
same par-bad "$nativePar" "$windowsPar" --machine 9
((failures == 0)) || { echo "$failures differences"; exit 1; }
echo "all alike"

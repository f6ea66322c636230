#!/usr/bin/env bash
# The program as a user runs it: each way it ends, with its exit code and the first line it writes.
#   program_test.sh PATH/TO/dorurura VERSION
set -uo pipefail
game=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work"

# expect CODE TEXT ARGS...: the program ends with CODE, and its first line (on stderr, else on
# stdout) starts with TEXT.
expect() {
    local code=$1 text=$2 got first
    shift 2
    timeout 60 "$game" "$@" > "$work/out" 2> "$work/err"
    got=$?
    first=$(head -n1 "$work/err")
    [[ -n $first ]] || first=$(head -n1 "$work/out")
    if [[ $got -ne $code || $first != "$text"* ]]; then
        echo "FAIL: dorurura $*: exit $got, '$first'; wanted exit $code, '$text...'" >&2
        exit 1
    fi
}

printf 'until Idle  # a comment\r\nstate\n' > "$work/ok.txt"
printf 'until Idle\nbogus 1\n' > "$work/bad.txt"
printf 'until Spinning 100\n' > "$work/late.txt"
expect 0 'usage: dorurura [--scale N]' --help
expect 0 "dorurura $version" --version
expect 2 "dorurura: unknown option '--bogus'" --bogus
expect 2 "dorurura: --scale takes a whole number from 1 to 8, not '0'" --scale 0
expect 2 "$work/none.txt:0: cannot read the script" --headless --script "$work/none.txt"
expect 2 "$work:0: cannot read the script" --headless --script "$work"
expect 2 "$work/bad.txt:2: unknown command 'bogus'" --headless --script "$work/bad.txt"
expect 1 "$work/late.txt:1: still Splash, not Spinning, after 100 ms" --headless --script "$work/late.txt"
expect 0 '{"pass":' --headless --script "$work/ok.txt"
expect 0 '{"pass":' --headless --script <(cat "$work/ok.txt")
# Only a file or a pipe, of at most 64 MB, is read.
truncate -s $((64 << 20)) "$work/big.txt"
expect 2 "$work/big.txt:1: unknown command '\\x00\\x00" --headless --script "$work/big.txt"
truncate -s $(((64 << 20) + 1)) "$work/big.txt"
expect 2 "$work/big.txt:0: the script is larger than 64 MB" --headless --script "$work/big.txt"
mkfifo "$work/pipe"
head -c $(((64 << 20) + 1)) /dev/zero > "$work/pipe" 2> /dev/null &
expect 2 "$work/pipe:0: the script is larger than 64 MB" --headless --script "$work/pipe"
wait
expect 2 "/dev/null:0: cannot read the script: not a file or a pipe" --headless --script /dev/null
expect 2 "/dev/zero:0: cannot read the script: not a file or a pipe" --headless --script /dev/zero
# What the program repeats of its input shows no control byte, and a backslash doubled.
expect 2 "dorurura: unknown option '--bad\\x1b[31mRED\\\\'" $'--bad\e[31mRED\\'
expect 2 "dorurura: --scale takes a whole number from 1 to 8, not '\\x0a'" --scale $'\n'
expect 2 "$work/new\\x0aline\\x1b.txt:0: cannot read the script" --headless --script "$work/new"$'\n'"line"$'\e'".txt"
# A shot into a pipe is refused rather than waited on; a failed one says why.
printf 'shot %s\n' "$work/pipe" > "$work/shot-pipe.txt"
expect 1 "$work/shot-pipe.txt:1: cannot write $work/pipe: not a regular file" --headless --script "$work/shot-pipe.txt"
printf 'shot %s/none/a.png\n' "$work" > "$work/shot-none.txt"
expect 1 "$work/shot-none.txt:1: cannot write $work/none/a.png: No such file or directory" --headless --script "$work/shot-none.txt"
# Output that cannot be written ends the run with 1 at once.
for out in /dev/full closed; do
    for args in "--version" "--headless --script $work/ok.txt"; do
        code=0
        if [[ $out == closed ]]; then
            timeout 60 "$game" $args >&- 2> "$work/err" || code=$?
        else
            timeout 60 "$game" $args > "$out" 2> "$work/err" || code=$?
        fi
        [[ $code -eq 1 && $(cat "$work/err") == "dorurura: cannot write standard output: "* ]] ||
            { echo "FAIL: dorurura $args to $out: exit $code, '$(cat "$work/err")'" >&2; exit 1; }
    done
done
# A script of the largest size takes at most twice its size and 64 MB, and a line is refused as
# soon as it has a word too many, under a limit of its address space (skipped where the program
# cannot start under it: a sanitizer build reserves terabytes).
if (ulimit -v $((320 << 10)); "$game" --version > /dev/null 2>&1); then
    ones() { yes 1 | head -n $((((64 << 20) - 16) / 2)) | tr '\n' ' '; }
    big() { (ulimit -v $((320 << 10)); expect "$@"); }
    { printf 'tap '; ones; } > "$work/big.txt"
    big 2 "$work/big.txt:1: usage: tap X Y" --headless --script "$work/big.txt" || exit 1
    { printf 'steps '; ones; printf '\nbogus\n'; } > "$work/big.txt"
    big 2 "$work/big.txt:2: unknown command 'bogus'" --headless --script "$work/big.txt" || exit 1
    { yes state | head -n $(((64 << 20) / 6 - 2)); echo bogus; } > "$work/big.txt"
    big 2 "$work/big.txt:11184809: unknown command 'bogus'" --headless --script "$work/big.txt" || exit 1
    rm "$work/big.txt"
fi
(unset DISPLAY WAYLAND_DISPLAY; export SDL_VIDEODRIVER=x11; expect 1 'dorurura: ') || exit 1
grep -q 'see --headless --script FILE' "$work/err" || { echo "FAIL: no hint for a run without a display" >&2; exit 1; }
echo "1 passed, 0 failed"

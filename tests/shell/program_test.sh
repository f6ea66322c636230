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
    "$game" "$@" > "$work/out" 2> "$work/err"
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
(unset DISPLAY WAYLAND_DISPLAY; export SDL_VIDEODRIVER=x11; expect 1 'dorurura: ') || exit 1
grep -q 'see --headless --script FILE' "$work/err" || { echo "FAIL: no hint for a run without a display" >&2; exit 1; }
echo "1 passed, 0 failed"

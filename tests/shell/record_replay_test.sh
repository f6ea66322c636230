#!/usr/bin/env bash
# A session in the real SDL window under Xvfb, recorded and replayed: play it with xdotool (the
# splash, BET 1, SPIN, MAX, the pay table opened and closed, a machine switched and a loan through
# the Options menu, then keys), take a screenshot and close the window; the headless replay holds every check
# and ends on the same frame; one pen-down moved, it diverges; shown in the window it keeps the
# recorded pace and ignores the player's clicks; a second start leaves the recording alone; and a
# recording cut short by a crash or a full disk still plays, one into a pipe is refused.
#   record_replay_test.sh PATH/TO/dorurura VERSION
set -euo pipefail
game=$1 version=$2
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"

tap() {  # tap X Y [SECONDS]: a click at display (X, Y), then a wait
    xdotool mousemove --sync $((X + 2 * $1)) $((Y + 2 * $2)) click 1
    sleep "${3:-0.5}"
}
checks() {  # checks N FILE: waits until the recording holds N checks (one is written as a spin settles)
    for _ in $(seq 100); do (($(grep -c '^expect {' "$2") >= $1)) && return; sleep 0.1; done
    fail "no check $1 in $2"
}
key() {  # key KEY [SECONDS]: a key pressed in the window (it has the pointer, so the focus), then a wait
    xdotool key --clearmodifiers "$1"
    sleep "${2:-0.5}"
}
close() {  # SDL turns SIGTERM into a quit request, as closing the window does
    kill -TERM "$game_pid"
    wait "$game_pid" || fail "the game ended with $?"
}
clockless() {  # clockless NAME: $work/NAME.png with the navigation bar's clock (time of day) blacked out
    convert "$work/$1.png" -fill black -draw 'rectangle 200,0 239,25' "$work/$1-clockless.png"
    echo "$work/$1-clockless.png"
}

# Machine 0: BET 1, MAX and SPIN at (67, 253), (108, 253), (172, 253), its "PAY TABLE" sign at
# (194, 64); the Options button at (20, 307), and in its menu "Please lend me $20" at (50, 111) and
# "Dodore du Zevud" at (50, 154).
began=$(date +%s%N)
start --record "$work/session.txt"
sleep 4.5  # the splash lasts 3 s
tap 67 253
tap 172 253
checks 1 "$work/session.txt"
# A second start, recording too, only brings this copy forward: it touches no file.
for name in session other; do
    timeout 20 "$game" --record "$work/$name.txt" > "$work/second.log" 2>&1 ||
        fail "a second copy ended with $?: $(cat "$work/second.log")"
done
[[ ! -e $work/other.txt ]] || fail "a second copy made its recording"
tap 108 253
checks 2 "$work/session.txt"
tap 194 64
tap 120 200
tap 20 307
tap 50 154
tap 20 307
tap 50 111
# The keys: BET 1 and SPIN, the pay table opened and closed, the About box and its "ok", a held
# key (one press), and keys that do nothing (not recorded).
key b
key space
checks 4 "$work/session.txt"
key p
key Escape
key ctrl+a
key Return
xdotool keydown m sleep 1.2 keyup m
sleep 0.5
checks 5 "$work/session.txt"
key x
key ctrl+b
tap 20 307  # the menu open holds the game still for the screenshot
shot window
close
recorded_ms=$((($(date +%s%N) - began) / 1000000))

[[ $(head -n1 "$work/session.txt") == "# dorurura $version recording" ]] || fail "first line: $(head -n1 "$work/session.txt")"
[[ $(grep -c '^expect {' "$work/session.txt") -eq 6 ]] || fail "not 6 checks (four spins, a switch, the end)"
[[ $(grep -c '^pen down' "$work/session.txt") -eq 10 ]] || fail "not 10 pen-downs"
[[ $(grep '^key down' "$work/session.txt" | tr '\n' ' ') == "key down b key down space key down p key down escape key down ctrl+a key down enter key down m " ]] ||
    fail "keys recorded: $(grep '^key ' "$work/session.txt" | tr '\n' ' ')"

# Headless, the replay holds every check; its frame as the window closed is the screenshot.
sed 's|^host quit$|shot '"$work"'/replayed.png\n&|' "$work/session.txt" > "$work/shot.txt"
"$game" --headless --script "$work/shot.txt" > "$work/out" 2> "$work/err" || fail "replay: exit $?: $(cat "$work/err")"
[[ ! -s "$work/err" ]] || fail "replay: $(cat "$work/err")"
[[ $(differing "$(clockless window)" "$(clockless replayed)") == 0 ]] || fail "the replay's last frame differs"

# The SPIN's pen-down a little to the side, on nothing: the first check after it diverges.
awk '/^pen down/ && ++n == 2 { print "pen down 5 40"; next } { print }' "$work/session.txt" > "$work/moved.txt"
code=0
"$game" --headless --script "$work/moved.txt" > /dev/null 2> "$work/err" || code=$?
[[ $code -eq 1 ]] || fail "a moved pen-down: exit $code"
grep -Eq "^$work/moved.txt:[0-9]+: replay diverged: [a-zA-Z]+ is .+, recorded .+$" "$work/err" ||
    fail "a moved pen-down: $(cat "$work/err")"

# In the window, at the recorded pace; a click on Options during the first spin changes nothing
# (taken, it would open the menu, hold the spin and take the recorded taps).
began=$(date +%s%N)
start --replay "$work/session.txt"
sleep 6
tap 20 307
wait "$game_pid" || fail "the window's replay: exit $?: $(cat "$work/game.log")"
replayed_ms=$((($(date +%s%N) - began) / 1000000))
# Paced, it cannot take much less than the session did; the upper bound only catches a stall, as a
# sanitizer build on a busy machine runs well behind.
((replayed_ms > recorded_ms * 8 / 10 && replayed_ms < recorded_ms * 2 + 10000)) ||
    fail "the window's replay took $replayed_ms ms, the session $recorded_ms ms"

# Killed, the game leaves a recording that plays to where it was cut.
start --record "$work/cut.txt"
sleep 4.5
tap 67 253 1.5
kill -KILL "$game_pid"
wait "$game_pid" 2>/dev/null || true
grep -q '^pen up 67 253$' "$work/cut.txt" || fail "the cut recording lacks the pen-up written a second before"
"$game" --headless --script "$work/cut.txt" > /dev/null || fail "the cut recording: exit $?"

# Anything but a regular file is refused before the window appears.
mkfifo "$work/fifo"
code=0
timeout 20 "$game" --record "$work/fifo" > "$work/fifo.log" 2>&1 || code=$?
[[ $code -eq 2 && $(cat "$work/fifo.log") == "dorurura: cannot write $work/fifo: not a regular file" ]] ||
    fail "a recording into a pipe: exit $code: $(cat "$work/fifo.log")"

# A full disk (here a limit on the file's size): the game plays on, and the recording ends on its
# last whole line and plays.
(trap '' XFSZ; ulimit -f 1; exec "$game" --scale 2 --record "$work/full.txt") > "$work/full.log" 2>&1 &
game_pid=$!
pids+=($game_pid)
for _ in $(seq 300); do grep -q 'recording stops' "$work/full.log" && break; sleep 0.1; done
close
[[ $(cat "$work/full.log") == "dorurura: the recording stops: cannot write $work/full.txt: File too large" ]] ||
    fail "with the disk full: $(cat "$work/full.log")"
[[ $(tail -c1 "$work/full.txt" | od -An -tx1) == " 0a" ]] || fail "the recording cut by a full disk ends in a line"
"$game" --headless --script "$work/full.txt" > /dev/null || fail "the recording cut by a full disk: exit $?"
echo "1 passed, 0 failed"

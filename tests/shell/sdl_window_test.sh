#!/usr/bin/env bash
# The real SDL window under Xvfb: start the game, wait out the splash, take a screenshot and check
# it against the headless rendering; toggle fullscreen there and back and find the same picture;
# click Spin; then start a second copy and see it bring the first forward and leave with 0,
# without a second window, or give up on a first copy that does not answer; and start anyway,
# saying so, where the single-copy rule cannot be kept.
#   sdl_window_test.sh PATH/TO/dorurura
set -euo pipefail
game=$1
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"

# What the headless backend shows once the splash is over, for comparison.
cat > "$work/reference.txt" <<SCRIPT
until Idle
passes 2
shot $work/reference.png
SCRIPT
"$game" --headless --script "$work/reference.txt" > /dev/null

start
sleep 4.5  # the splash lasts 3 s
[[ $WIDTH -eq 480 && $HEIGHT -eq 640 ]] || fail "window is ${WIDTH}x${HEIGHT}, not 480x640"

region() {  # region NAME X Y W H: one part of a shot
    convert "$work/$1.png" -crop "$4x$5+$2+$3" +repage "$work/$1-$2-$3.png"
    echo "$work/$1-$2-$3.png"
}

shot before
# The cabinet above the reels, the navigation bar's title and the menu bar: exactly as headless.
[[ $(differing "$(region before 0 30 240 70)" "$(region reference 0 30 240 70)") == 0 ]] ||
    fail "the window's cabinet differs from the headless rendering"
[[ $(differing "$(region before 0 296 240 24)" "$(region reference 0 296 240 24)") == 0 ]] ||
    fail "the menu bar differs from the headless rendering"

# Fullscreen there and back (F11 twice): the window's size, and the picture in its place. The
# buttons blink in Idle: everything above and below their row is compared.
xdotool key F11
sleep 0.5
xdotool key F11
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$window")"
[[ $WIDTH -eq 480 && $HEIGHT -eq 640 ]] || fail "after fullscreen and back the window is ${WIDTH}x${HEIGHT}"
shot back
# (The navigation bar's clock, the time of day, is left out: its minute may turn meanwhile.)
for part in "0 0 200 26" "0 26 240 214" "0 266 240 54"; do
    [[ $(differing "$(region back $part)" "$(region before $part)") == 0 ]] ||
        fail "after fullscreen and back the picture differs at $part"
done

# Click Spin (client 156..188 x 218..235 on machine 0, 26 rows below the navigation bar).
xdotool mousemove --sync $((X + 2 * 172)) $((Y + 2 * 252)) click 1
sleep 0.4
shot spinning
[[ $(differing "$(region spinning 56 105 98 68)" "$(region before 56 105 98 68)") != 0 ]] ||
    fail "the reels did not move after a click on Spin"
[[ $(differing "$(region spinning 0 30 240 40)" "$(region reference 0 30 240 40)") == 0 ]] ||
    fail "the cabinet changed while spinning"

# A second copy brings the first forward and leaves with 0; still one window.
timeout 20 "$game" > "$work/second.log" 2>&1 || fail "the second copy ended with $?"
[[ $(xdotool search --onlyvisible --name '^dorurura$' | wc -l) -eq 1 ]] || fail "a second window appeared"
kill -0 "$game_pid" || fail "the first copy is gone"

# A first copy that does not answer (stopped): a second one gives up after its 1.5 s of patience
# (2.5 s allowed), says so in one line and leaves with 1.
kill -STOP "$game_pid"
started=$(date +%s%N)
status=0
timeout 20 "$game" > "$work/silent.log" 2>&1 || status=$?
waited=$((($(date +%s%N) - started) / 1000000))
kill -CONT "$game_pid"
[[ $status -eq 1 && $waited -lt 2500 ]] || fail "with the first copy stopped, the second ended with $status after $waited ms"
[[ $(cat "$work/silent.log") == "dorurura: another copy is running but does not answer" ]] ||
    fail "with the first copy stopped, the second said: $(cat "$work/silent.log")"

# Where the rule cannot be kept (no runtime folder, and the one under home open to others), the
# game says so in one line and starts anyway.
mkdir -p "$work/home/.cache/dorurura"
chmod 777 "$work/home/.cache/dorurura"
env -u XDG_RUNTIME_DIR -u XDG_CACHE_HOME HOME="$work/home" "$game" > "$work/unkept.log" 2>&1 &
unkept_pid=$!
pids+=($unkept_pid)
for _ in $(seq 100); do [[ $(xdotool search --onlyvisible --name '^dorurura$' | wc -l) -eq 2 ]] && break; sleep 0.1; done
[[ $(xdotool search --onlyvisible --name '^dorurura$' | wc -l) -eq 2 ]] || fail "the game did not start without the rule"
grep -qx "dorurura: cannot keep to one running copy ($work/home/.cache/dorurura is not a folder of this user's that only they can write to); starting anyway" "$work/unkept.log" ||
    fail "without the rule the game said: $(cat "$work/unkept.log")"
kill -TERM "$unkept_pid"
wait "$unkept_pid" || true

# An XDG_RUNTIME_DIR too long to keep is passed over, as an unset one is: the folder under home
# serves, and a second copy finds the first there. A folder name too long to keep is cut with
# "..." in the message.
long=$work
for _ in 1 2 3 4 5; do long+=/$(printf '%0250d' 0); done
mkdir -p "$long" "$work/home2"
chmod 700 "$long"
env -u XDG_CACHE_HOME XDG_RUNTIME_DIR="$long" HOME="$work/home2" "$game" > "$work/long.log" 2>&1 &
long_pid=$!
pids+=($long_pid)
for _ in $(seq 100); do [[ $(xdotool search --onlyvisible --name '^dorurura$' | wc -l) -eq 2 ]] && break; sleep 0.1; done
[[ $(xdotool search --onlyvisible --name '^dorurura$' | wc -l) -eq 2 ]] || fail "no game with a long XDG_RUNTIME_DIR"
[[ ! -s $work/long.log ]] || fail "with a long XDG_RUNTIME_DIR: $(cat "$work/long.log")"
timeout 20 env -u XDG_CACHE_HOME XDG_RUNTIME_DIR="$long" HOME="$work/home2" "$game" > "$work/long.log" 2>&1 ||
    fail "a second copy with a long XDG_RUNTIME_DIR ended with $?"
kill -TERM "$long_pid"
wait "$long_pid" || true
env -u XDG_RUNTIME_DIR -u XDG_CACHE_HOME HOME="$long" "$game" > "$work/long.log" 2>&1 &
long_pid=$!
pids+=($long_pid)
for _ in $(seq 100); do [[ -s $work/long.log ]] && break; sleep 0.1; done
kill -TERM "$long_pid"
wait "$long_pid" || true
[[ $(cat "$work/long.log") == "dorurura: cannot keep to one running copy (the folder's name is too long: $work/0"*"0...); starting anyway" ]] ||
    fail "a long folder's name: $(cat "$work/long.log")"

# A quit request from the desktop ends the game with 0.
kill -TERM "$game_pid"  # SDL turns it into a quit request, as closing the window does
for _ in $(seq 100); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
wait "$game_pid" || fail "the game ended with $? after its window closed"
echo "1 passed, 0 failed"

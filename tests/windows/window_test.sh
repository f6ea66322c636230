#!/usr/bin/env bash
# The Windows program's real window, under Wine in Xvfb: the splash and then the idle game as the
# program's own headless run draws them; Bet One and the menu (F10) from the keyboard; Spin with the
# pen pressed on it and lifted outside the window, then clicked (the reels turn and settle each
# time); fullscreen there and back leaves the picture as it was; a second copy brings the first
# forward and leaves with 0, or gives up on one that does not answer and leaves with 1; Alt+F4 ends
# the game with 0, and its recording replays headless. Wine's prefix is the test's own.
#   window_test.sh PATH/TO/dorurura.exe
set -euo pipefail
game=$(realpath "$1")
command -v wine > /dev/null || { echo "skipped: wine is not installed"; exit 77; }
source "$(dirname "${BASH_SOURCE[0]}")/../shell/xvfb.sh"
export WINEPREFIX="$(dirname "$game")/wine-window-test" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2> /dev/null || true; cleanup' EXIT
mkdir -p "$WINEPREFIX"
wineserver -p
wineboot --init > /dev/null 2>&1  # a new prefix made quietly
cd "$work"  # the scripts' files by relative names, which Wine takes as they are

# What the program draws headless: the splash, the idle game, and the game after Bet One.
cat > reference.txt << SCRIPT
passes 20
shot splash.png
until Idle
passes 2
shot reference.png
key b
passes 5
shot bet.png
key f10
passes 5
shot menu.png
SCRIPT
wine "$game" --headless --script reference.txt > /dev/null || fail "the headless run ended with $?"

start() {  # start [ARGS...]: the game in a window at scale 2; sets game_pid, window and X, Y, WIDTH, HEIGHT
    wine "$game" --scale 2 "$@" > game.log 2>&1 &
    game_pid=$!
    pids+=($game_pid)
    window=$(timeout 30 xdotool search --sync --onlyvisible --name '^dorurura$' | head -n1) ||
        fail "no window"
    eval "$(xdotool getwindowgeometry --shell "$window")"
}
region() {  # region NAME X Y W H: one part of a shot
    convert "$1.png" -crop "$4x$5+$2+$3" +repage "$1-$2-$3.png"
    echo "$1-$2-$3.png"
}
same() {  # same SHOT REFERENCE X Y W H: whether that part of both is equal
    [[ $(differing "$(region "$1" "$3" "$4" "$5" "$6")" "$(region "$2" "$3" "$4" "$5" "$6")") == 0 ]]
}
until_same() {  # until_same SHOT REFERENCE X Y W H: shots until that part equals, for 10 s at most
    for _ in $(seq 50); do
        shot "$1"
        same "$@" && return 0
        sleep 0.2
    done
    return 1
}

start --record session.txt
[[ $WIDTH -eq 480 && $HEIGHT -eq 640 ]] || fail "window is ${WIDTH}x${HEIGHT}, not 480x640"
# The splash below the navigation bar (whose clock is the time of day), then the idle game: the
# cabinet above the reels and the menu bar.
until_same splash splash 0 26 240 294 || fail "the window's splash differs from the headless one"
until_same idle reference 0 30 240 70 || fail "the window's cabinet differs from the headless rendering"
same idle reference 0 296 240 24 || fail "the menu bar differs from the headless rendering"

# Fullscreen there and back (F11 twice): the whole screen, then the window's size and the picture
# in its place. The buttons blink in Idle: everything above and below their row is compared.
for size in 800x800 480x640; do
    xdotool key F11
    sleep 0.5
    eval "$(xdotool getwindowgeometry --shell "$window")"
    [[ ${WIDTH}x$HEIGHT == "$size" ]] || fail "after F11 the window is ${WIDTH}x${HEIGHT}, not $size"
done
shot back
for part in "0 0 200 26" "0 26 240 214" "0 266 240 54"; do
    same back idle $part || fail "after fullscreen and back the picture differs at $part"
done

# Bet One by its key (B): the meters as headless.
xdotool key b
until_same betting bet 117 182 69 25 || fail "the meters after Bet One differ from the headless ones"
# F10, a system key to Windows, opens the Options menu; Escape closes it.
xdotool key F10
until_same menu menu 0 100 120 220 || fail "F10 did not open the Options menu as headless"
xdotool key Escape

# Spin (client 156..188 x 218..235 on machine 0, 26 rows below the navigation bar) with the pen
# pressed there and lifted left of the window: the reels turn, then stop. A plain click on Spin
# then turns them again: the pen came up (a pen still down takes no press).
spin() {  # spin HOW...: xdotool's pointer steps; the reels turn and stop
    xdotool mousemove --sync $((X + 2 * 172)) $((Y + 2 * 252)) "$@"
    sleep 0.4
    shot spinning
    same spinning reference 0 30 240 40 || fail "the cabinet changed while spinning"
    same spinning stopped 56 105 98 68 && fail "the reels did not turn after Spin ($*)"
    for _ in $(seq 20); do
        sleep 0.5
        shot stopped
        same stopped spinning 56 105 98 68 && return 0
        cp stopped.png spinning.png
    done
    fail "the reels did not stop"
}
cp betting.png stopped.png
spin mousedown 1 mousemove --sync $((X - 40)) $((Y + 2 * 252)) mouseup 1
spin click 1

# A second copy brings the first forward and leaves with 0; still one window. The first has had no
# input for over 5 s: a game that stopped asking for messages meanwhile would be one the system
# takes as not responding, and the second copy would not wait for its answer.
sleep 5.5
timeout 30 wine "$game" > second.log 2>&1 || fail "the second copy ended with $?: $(cat second.log)"
[[ $(xdotool search --onlyvisible --name '^dorurura$' | wc -l) -eq 1 ]] || fail "a second window appeared"
kill -0 "$game_pid" || fail "the first copy is gone"

# A first copy that does not answer (stopped): a second one waits out its 1.5 s of patience, says
# so in one line and leaves with 1.
kill -STOP "$game_pid"
started=$(date +%s%N)
status=0
timeout 30 wine "$game" > silent.log 2>&1 || status=$?
waited=$((($(date +%s%N) - started) / 1000000))
kill -CONT "$game_pid"
[[ $status -eq 1 && $waited -ge 1500 ]] ||
    fail "with the first copy stopped, the second ended with $status after $waited ms"
[[ $(cat silent.log) == "dorurura: another copy is running but does not answer" ]] ||
    fail "with the first copy stopped, the second said: $(cat silent.log)"

# Alt+F4, the system's close, ends the game with 0. (Without a window manager, keys go to the
# window under the pointer.)
xdotool mousemove --sync $((X + 2 * 120)) $((Y + 2 * 10)) key alt+F4
for _ in $(seq 100); do kill -0 "$game_pid" 2> /dev/null || break; sleep 0.1; done
kill -0 "$game_pid" 2> /dev/null && fail "the game did not end after Alt+F4"
wait "$game_pid" || fail "the game ended with $? after Alt+F4"

# The session's recording: the pen lifted outside came up where it last was on the display, and
# the program run headless on it comes to the state the window's game was in.
pen=$(grep '^pen' session.txt | tr '\n' ' ')
[[ $pen == "pen down 172 252 pen up 172 252 pen down 172 252 pen up 172 252 " ]] || fail "the pen: $pen"
wine "$game" --headless --script session.txt > /dev/null || fail "the recording does not replay headless ($?)"
echo "1 passed, 0 failed"

# What the tests of the real window share, sourced by them: the tools they need (exit 77, a skip,
# without one), a work folder and the processes to end when the test does, fail, and a display of
# their own under Xvfb (800 x 800, or $XVFB_SCREEN), silent audio, and the lock and socket of the
# single running copy in the work folder; the game ($game) started in a window, its screenshots,
# and their comparison.
for tool in Xvfb xdotool import convert compare; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# -noreset: a server that resets when its last client leaves drops the connections that come
# meanwhile, and a test's next xdotool or game would fail to open the display now and then.
exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-800x800x24}" -nolisten tcp -noreset > "$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.1; done
[[ -s "$work/display" ]] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"
export XDG_RUNTIME_DIR="$work"
export SDL_AUDIODRIVER=dummy
# The display answers before anything is started on it.
for _ in $(seq 100); do xdotool getdisplaygeometry > /dev/null 2>&1 && break; sleep 0.1; done

start() {  # start [ARGS...]: the game in a window at scale 2; sets game_pid, window and X, Y, WIDTH, HEIGHT
    "$game" --scale 2 "$@" > "$work/game.log" 2>&1 &
    game_pid=$!
    pids+=($game_pid)
    window=$(timeout 20 xdotool search --sync --onlyvisible --name '^dorurura$' | head -n1) || fail "no window"
    eval "$(xdotool getwindowgeometry --shell "$window")"
}
shot() {  # shot NAME: the window's picture, scaled back to device pixels, as $work/NAME.png
    import -window root -crop "480x640+$X+$Y" +repage "$work/$1-2x.png"
    convert "$work/$1-2x.png" -sample 50% "$work/$1.png"
}
differing() {  # differing A B: how many pixels differ
    compare -metric AE "$1" "$2" null: 2>&1 || true
}

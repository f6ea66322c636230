#!/usr/bin/env bash
# How soon the splash shows: the headless program from its start to the splash written as PNG, and
# the real window on an Xvfb screen of its own from its start until it is on the screen showing the
# splash (each renderer). Medians of several runs, in milliseconds.
#   startup.sh PATH/TO/dorurura [RUNS]
set -euo pipefail
game=$1
runs=${2:-15}
XVFB_SCREEN=1280x1024x24
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/shell/xvfb.sh"
now() { date +%s%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { printf "%.1f\n", v[int((NR + 1) / 2)] / 1e6 }'; }

printf 'until Splash\nshot %s/splash.png\n' "$work" > "$work/splash.txt"
for _ in $(seq "$runs"); do
    t0=$(now)
    "$game" --headless --script "$work/splash.txt" > /dev/null
    echo $(($(now) - t0))
done | median > "$work/headless"
echo "headless, start to the splash written: $(cat "$work/headless") ms (median of $runs)"

convert "$work/splash.png" -crop 240x200+0+60 +repage "$work/splash-part.png"

# Starts the game and waits for its window to show the splash (its middle, at scale 1); gives the
# time taken in nanoseconds.
window_run() {
    local t0 pid id=""
    t0=$(now)
    "$game" --scale 1 > "$work/game.log" 2>&1 &
    pid=$!
    while [[ -z $id ]] && kill -0 "$pid" 2>/dev/null; do
        id=$(xdotool search --onlyvisible --name '^dorurura$' 2>/dev/null | head -n1) || true
    done
    while kill -0 "$pid" 2>/dev/null; do
        import -window "$id" -crop 240x200+0+60 +repage "$work/seen.png" 2>/dev/null || continue
        [[ $(compare -metric AE "$work/seen.png" "$work/splash-part.png" null: 2>&1) == 0 ]] && break
    done
    if ! kill -0 "$pid" 2>/dev/null; then
        cat "$work/game.log" >&2
        fail "the game ended before its window showed the splash"
    fi
    echo $(($(now) - t0))
    kill -TERM "$pid"
    wait "$pid" || true
}
for renderer in software default; do
    if [[ $renderer == default ]]; then unset SDL_RENDER_DRIVER; else export SDL_RENDER_DRIVER=$renderer; fi
    for _ in $(seq 5); do window_run; done | median > "$work/window"
    echo "window ($renderer renderer), start to the splash on the screen: at most $(cat "$work/window") ms (median of 5)"
done

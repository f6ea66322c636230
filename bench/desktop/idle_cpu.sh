#!/usr/bin/env bash
# What an idle game costs: starts the game in a window on a 1280 x 1024 Xvfb screen of its own,
# waits out the splash, then measures the process's CPU time (user + system, from /proc/PID/stat)
# over 10 s of the Idle state, as a percentage of one core. One line per renderer: SDL's software
# renderer and the default one.
#   idle_cpu.sh PATH/TO/dorurura [SECONDS]
set -euo pipefail
game=$1
seconds=${2:-10}
warmup=4  # the splash lasts 3 s
XVFB_SCREEN=1280x1024x24
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/shell/xvfb.sh"

ticks=$(getconf CLK_TCK)
cpu() {  # cpu PID: user + system time in clock ticks (fields 14 and 15; the name may hold spaces)
    local stat
    stat=$(< "/proc/$1/stat")
    stat=${stat##*) }
    read -r -a fields <<< "$stat"
    echo $((fields[11] + fields[12]))
}
now() { date +%s%N; }

for renderer in software default; do
    if [[ $renderer == default ]]; then unset SDL_RENDER_DRIVER; else export SDL_RENDER_DRIVER=$renderer; fi
    "$game" > "$work/game.log" 2>&1 &
    pid=$!
    pids+=("$pid")
    sleep "$warmup"
    kill -0 "$pid" 2>/dev/null || { echo "the game ended early:" >&2; cat "$work/game.log" >&2; exit 1; }
    cpu0=$(cpu "$pid"); t0=$(now)
    sleep "$seconds"
    cpu1=$(cpu "$pid"); t1=$(now)
    kill -TERM "$pid"
    wait "$pid" || true
    # ticks / ticks-per-second over the wall time in nanoseconds, in hundredths of a per cent.
    hundredths=$(( (cpu1 - cpu0) * 1000000000 * 10000 / ticks / (t1 - t0) ))
    printf '%-8s %d.%02d %% of a core (idle, %d s)\n' "$renderer" $((hundredths / 100)) $((hundredths % 100)) "$seconds"
done

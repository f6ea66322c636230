#!/bin/sh
# The PAR tool's simulation speed: spins per second on 1 and 2 threads (and on every processor).
# usage: bench/rules/par_speed.sh PATH/TO/dorurura-par [SPINS]
set -eu
par=${1:?usage: par_speed.sh PATH/TO/dorurura-par [SPINS]}
spins=${2:-100000000}
cores=$(getconf _NPROCESSORS_ONLN 2>/dev/null || echo 1)
[ "$cores" -le 64 ] || cores=64
list="1 2"
[ "$cores" -le 2 ] || list="$list $cores"
for threads in $list; do
    # The tool's own last line on the standard error: "... spins in T s, R M spins/s on N threads".
    line=$("$par" --simulate "$spins" --seed 1 --machine 0 --threads "$threads" 2>&1 >/dev/null | tail -n 1)
    echo "par simulate, $threads thread(s): ${line#dorurura-par: }"
done

# What the tests of the real window share, sourced by them: the tools they need (exit 77, a skip,
# without one), a work folder and the processes to end when the test does, fail, and a display of
# their own under Xvfb (800 x 800, or $XVFB_SCREEN), silent audio, and the lock and socket of the single running copy in the
# work folder; leak reports from the system's libraries suppressed.
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
# Leaks of the system's libraries are suppressed by library; a leak of ours fails the run.
LSAN_OPTIONS=suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/lsan.supp:print_suppressions=0
export LSAN_OPTIONS
# The display answers before anything is started on it.
for _ in $(seq 100); do xdotool getdisplaygeometry > /dev/null 2>&1 && break; sleep 0.1; done

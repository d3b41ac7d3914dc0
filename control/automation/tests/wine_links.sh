#!/usr/bin/env bash
# wine_links.sh STANDIN PROGRAM [ARGUMENT...]
# Runs the Windows test PROGRAM under Wine against stand-in printers of the
# native build: one listening on TCP loopback and on a pseudo-terminal mapped
# as COM3, one reading a FIFO mapped as LPT1 (three jobs, one per opening).
# The test learns where they are from ZELMAR_TEST_TCP_PORT and
# ZELMAR_TEST_WORK (their flash and output directories). Wine reads its port
# mapping only when its server starts: this test restarts it and runs alone.
# Exits 77 (skipped) when STANDIN has not been built.
set -euo pipefail
. "$(dirname "$0")/../../../scripts/lib.sh"

standin=$1
shift
if [ ! -x "$standin" ]; then
    echo "no $standin: build the native tree first" >&2
    exit 77
fi

ports="COM3 LPT1"
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    # shellcheck disable=SC2086
    unmap_wine_ports $ports
    rm -rf "$work"
}
trap cleanup EXIT

# Waits, boundedly, for a line of a stand-in's report that begins with $2.
report_line() {
    local tries
    for tries in $(seq 200); do
        if grep -q "^$2" "$1" 2>/dev/null; then
            grep -m1 "^$2" "$1"
            return
        fi
        sleep 0.05
    done
    echo "no '$2' from the stand-in printer: $(cat "$1")" >&2
    return 1
}

"$standin" --listen 127.0.0.1:0 --pty --flash "$work/flash" --out "$work/out" \
    >"$work/standin.txt" 2>&1 &
pids+=($!)
port=$(report_line "$work/standin.txt" listening)
port=${port##*:}
line=$(report_line "$work/standin.txt" pty)
line=${line#pty }

mkfifo "$work/lpt"
"$standin" --input "$work/lpt" --input "$work/lpt" --input "$work/lpt" \
    --flash "$work/lpt-flash" --out "$work/lpt-out" >"$work/lpt.txt" 2>&1 &
pids+=($!)

ensure_wine_prefix </dev/null >/dev/null 2>&1
map_wine_ports "COM3=$line" "LPT1=$work/lpt"

status=0
ZELMAR_TEST_TCP_PORT=$port ZELMAR_TEST_WORK=$work "$WINE" "$@" || status=$?
exit "$status"

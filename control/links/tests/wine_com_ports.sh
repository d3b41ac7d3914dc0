#!/usr/bin/env bash
# wine_com_ports.sh ECHO PROGRAM [ARGUMENT...]
# Runs the Windows test PROGRAM under Wine with COM3 and COM10 mapped onto one
# pseudo-terminal, whose far end the native program ECHO holds and which sends
# every byte back. Wine reads its port mapping only when its server starts:
# the server is restarted after the mapping, so this test must run alone.
# Exits 77 (skipped) when ECHO has not been built.
set -euo pipefail
. "$(dirname "$0")/../../../scripts/lib.sh"

echo_program=$1
shift
if [ ! -x "$echo_program" ]; then
    echo "no $echo_program: build the native tree first" >&2
    exit 77
fi

ports="COM3 COM10"  # COM1 is the machine's own serial port: never used here
work=$(mktemp -d)
echo_pid=
cleanup() {
    if [ -n "$echo_pid" ]; then kill "$echo_pid" 2>/dev/null || true; fi
    # shellcheck disable=SC2086
    unmap_wine_ports $ports
    rm -rf "$work"
}
trap cleanup EXIT

mkfifo "$work/line"
"$echo_program" >"$work/line" &
echo_pid=$!
read -r line <"$work/line" || true
[ -n "$line" ] || { echo "$echo_program made no pseudo-terminal" >&2; exit 1; }

ensure_wine_prefix </dev/null >/dev/null 2>&1
map_wine_ports "COM3=$line" "COM10=$line"

status=0
ZELMAR_TEST_COM_PORTS=$ports "$WINE" "$@" || status=$?
exit "$status"

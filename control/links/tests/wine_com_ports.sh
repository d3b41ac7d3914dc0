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
lower() { echo "$1" | tr 'A-Z' 'a-z'; }
work=$(mktemp -d)
echo_pid=
cleanup() {
    if [ -n "$echo_pid" ]; then kill "$echo_pid" 2>/dev/null || true; fi
    for port in $ports; do
        "$WINE" reg delete 'HKLM\Software\Wine\Ports' /v "$port" /f </dev/null >/dev/null 2>&1 || true
        rm -f "$WINEPREFIX/dosdevices/$(lower "$port")"
    done
    rm -rf "$work"
}
trap cleanup EXIT

mkfifo "$work/line"
"$echo_program" >"$work/line" &
echo_pid=$!
read -r line <"$work/line" || true
[ -n "$line" ] || { echo "$echo_program made no pseudo-terminal" >&2; exit 1; }

ensure_wine_prefix </dev/null >/dev/null 2>&1
for port in $ports; do
    "$WINE" reg add 'HKLM\Software\Wine\Ports' /v "$port" /d "$line" /f </dev/null >/dev/null 2>&1
done
# The server's services hold the output of its first command: none of it
# goes to the test's output.
stop_wineserver
"$WINESERVER" -w
start_wineserver </dev/null >/dev/null 2>&1
for port in $ports; do
    mapped=$(readlink "$WINEPREFIX/dosdevices/$(lower "$port")" || true)
    if [ "$mapped" != "$line" ]; then
        echo "Wine mapped $port onto '$mapped', not $line" >&2
        exit 1
    fi
done

status=0
ZELMAR_TEST_COM_PORTS=$ports "$WINE" "$@" || status=$?
exit "$status"

#!/usr/bin/env bash
# wine_version.sh VERSION PROGRAM [ARGUMENT...]
# Runs the Windows test PROGRAM under Wine as the Windows VERSION (win98,
# winxp) reports itself to GetVersionEx: Wine's "Version" value for that
# program alone, so that the other programs of the prefix are left as they
# are; taken back afterwards. ZELMAR_TEST_WINDOWS tells the program.
set -euo pipefail
. "$(dirname "$0")/../../../scripts/lib.sh"

version=$1 program=$2
shift 2
key="HKCU\\Software\\Wine\\AppDefaults\\$(basename "$program")"
forget() {
    "$WINE" reg delete "$key" /f </dev/null >/dev/null 2>&1 || true
}
trap forget EXIT
ensure_wine_prefix </dev/null >/dev/null 2>&1
"$WINE" reg add "$key" /v Version /d "$version" /f </dev/null >/dev/null 2>&1
ZELMAR_TEST_WINDOWS=$version "$WINE" "$program" "$@"

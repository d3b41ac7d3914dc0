#!/usr/bin/env bash
# journey.sh SOURCE-DIR TEST-PROGRAM WORK-DIR: the setup's journey test in a
# new Wine prefix of its own under WORK-DIR, with its own wineserver. As root
# every folder is writable, so the test runs in a mount namespace of its own
# where a read-only file system stands for a read-only program folder.
set -euo pipefail
source=$1 program=$2 work=$3
if [ "$(id -u)" -eq 0 ] && [ -z "${SETUP_JOURNEY_NAMESPACE:-}" ]; then
    export SETUP_JOURNEY_NAMESPACE=1
    exec unshare --mount --propagation private bash "$0" "$@"
fi
. "$source/scripts/lib.sh"
export WINEPREFIX=$work/prefix
[ ! -d "$WINEPREFIX" ] || stop_wineserver  # one an interrupted run left
rm -rf "$work"
mkdir -p "$work/read-only" "$work/files"
if [ -n "${SETUP_JOURNEY_NAMESPACE:-}" ]; then
    mount -t tmpfs -o ro,size=64k setup-read-only "$work/read-only"
else
    chmod a-w "$work/read-only"
fi
export SETUP_READ_ONLY_DIR=$work/read-only SETUP_WORK_DIR=$work/files

trap stop_wineserver EXIT
start_wineserver </dev/null >/dev/null 2>&1
"$WINE" "$program" --gtest_brief=1 --gtest_filter=-*Korean*
LOCPATH=$KOREAN_LOCPATH LANG=ko_KR.UTF-8 "$WINE" "$program" --gtest_brief=1 --gtest_filter=*Korean*
stop_wineserver
"$WINESERVER" -w
rm -rf "$WINEPREFIX"

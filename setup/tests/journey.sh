#!/usr/bin/env bash
# journey.sh SOURCE-DIR TEST-PROGRAM WORK-DIR PREFIX [LANGUAGES]: the setup's
# journey test in a new Wine prefix of its own under WORK-DIR, with its own
# wineserver and display, so that it runs beside other tests. PREFIX is the
# Windows it stands for: win64 (a 64-bit Windows, which runs 32-bit programs
# through WoW64) or win32; the test program runs with the Wine of its own
# build (ZELMAR_WINE_BUILD). LANGUAGES: "english korean" (the default) or
# "english". As root every folder is writable, so the test runs in a mount
# namespace of its own where a read-only file system stands for a read-only
# program folder.
set -euo pipefail
source=$1 program=$2 work=$3 prefix=$4 languages=${5:-english korean}
if [ "$(id -u)" -eq 0 ] && [ -z "${SETUP_JOURNEY_NAMESPACE:-}" ]; then
    export SETUP_JOURNEY_NAMESPACE=1
    exec unshare --mount --propagation private bash "$0" "$@"
fi
. "$source/scripts/lib.sh"
loader=$WINE
use_wine "$prefix" "$work/prefix"
[ ! -d "$WINEPREFIX" ] || stop_wineserver  # one an interrupted run left
rm -rf "$work"
mkdir -p "$work/read-only" "$work/files"
if [ -n "${SETUP_JOURNEY_NAMESPACE:-}" ]; then
    mount -t tmpfs -o ro,size=64k setup-read-only "$work/read-only"
else
    chmod a-w "$work/read-only"
fi
export SETUP_READ_ONLY_DIR=$work/read-only SETUP_WORK_DIR=$work/files

status=0
# shellcheck disable=SC2016
with_display bash -c '
    set -e
    "$1" "$2" --gtest_brief=1 --gtest_filter=-*Korean*
    case $3 in *korean*)
        LOCPATH=$KOREAN_LOCPATH LANG=ko_KR.UTF-8 "$1" "$2" --gtest_brief=1 --gtest_filter=*Korean*
    esac' _ "$loader" "$program" "$languages" || status=$?
"$WINESERVER" -w
rm -rf "$WINEPREFIX"
exit "$status"

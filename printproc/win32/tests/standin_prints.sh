#!/usr/bin/env bash
# standin_prints.sh STANDIN RECEIPT OUT-DIR: the stand-in printer of the
# native build prints the receipt that came out of the queue: one receipt, no
# error, and each reworked element in its transcript. Without the stand-in the
# test is skipped (77).
set -euo pipefail
standin=$1 receipt=$2 out=$3
[ -x "$standin" ] || { echo "no stand-in printer at $standin (the native build)"; exit 77; }
rm -rf "$out"
summary=$("$standin" --flash "$out/flash" --out "$out" --input "$receipt")
echo "$summary"
grep -q ', 0 errors$' <<<"$summary"
grep -q '^receipt .*\.bmp$' <<<"$summary"
for printed in '"command":"GS v 0","m":0,"width":96,"height":24,' \
               '"command":"text","text":"ORVENNA STORE"' \
               '"command":"GS k","m":73,"n":4,"data":"{B12"' \
               '"command":"GS k","m":4,"data":"*7*"'; do
    grep -qF "$printed" "$out/transcript.jsonl" || { echo "not in the transcript: $printed"; exit 1; }
done

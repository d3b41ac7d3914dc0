#!/usr/bin/env bash
# install_queues.sh SOURCE-DIR DLL QUEUE-DIR: the print processor and the
# tests' two queues, "Tivrap Test A" (with the sample translation file beside
# the DLL) and "Tivrap Test B", each printing to a file in QUEUE-DIR.
set -euo pipefail
source=$1 dll=$2 queues=$3
rm -rf "$queues"
mkdir -p "$queues"
"$source/scripts/install-tivrap" --queue "Tivrap Test A" --dll "$dll" \
    --translation "$source/samples/Thermal.ini" "$queues/a.bin"
"$source/scripts/install-tivrap" --queue "Tivrap Test B" --dll "$dll" "$queues/b.bin"

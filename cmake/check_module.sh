#!/bin/sh
# check_module.sh OBJDUMP MODULE ALLOWED-IMPORTS [EXPORT ...]
# A host finds a module's entry points by their plain names: the module must
# export exactly the given names, undecorated (no _Name@N of __stdcall). It
# must import system DLLs only (the runtime is linked in), and from them only
# the reviewed functions of ALLOWED-IMPORTS, so that it loads on the oldest
# Windows the product claims.
set -eu
objdump=$1
module=$2
allowed=$3
shift 3

exports=$("$objdump" -p "$module" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[ *[0-9]*\] //p' | sort | tr '\n' ' ')
expected=$(for name in "$@"; do echo "$name"; done | sort | tr '\n' ' ')
if [ "$exports" != "$expected" ]; then
    echo "$module: exports '$exports', expected '$expected'" >&2
    exit 1
fi

imports=$("$objdump" -p "$module" | awk '
    /DLL Name:/ { dll = tolower($3) }
    /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print dll "!" $3 }' | sort -u)
unreviewed=$(echo "$imports" | grep -v -x -F -f "$allowed" || true)
if [ -n "$unreviewed" ]; then
    echo "$module: imports functions that are not in $allowed:" >&2
    echo "$unreviewed" >&2
    exit 1
fi

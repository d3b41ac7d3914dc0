#!/bin/sh
# check_exports.sh OBJDUMP MODULE
# A COM host finds the module's entry points by their plain names: the module
# must export exactly the four, undecorated (no _Name@N of __stdcall), and
# import system DLLs only (the runtime is linked in).
set -eu
objdump=$1
module=$2

exports=$("$objdump" -p "$module" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[ *[0-9]*\] //p' | sort | tr '\n' ' ')
expected="DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer "
if [ "$exports" != "$expected" ]; then
    echo "$module: exports '$exports', expected '$expected'" >&2
    exit 1
fi

foreign=$("$objdump" -p "$module" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' |
    grep -v -x -E '(advapi32|gdi32|kernel32|msvcrt|ole32|oleaut32|user32)\.dll' || true)
if [ -n "$foreign" ]; then
    echo "$module: imports libraries that are not part of Windows: $foreign" >&2
    exit 1
fi

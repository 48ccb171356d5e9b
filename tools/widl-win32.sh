#!/bin/sh
# widl-win32.sh WIDL ARGS...
# widl for a 32-bit type library. The only stdole2.tlb a 64-bit Wine installs
# is its win64 one, and widl --win32 importing it warns that stdole's library
# GUID is defined twice; the type library refers to stdole by that GUID all
# the same (tools/check-exports.sh compares it with the 64-bit one). Drops
# that one warning, keeps everything else and widl's exit status.
out=$("$@" 2>&1)
status=$?
if [ -n "$out" ]; then
    printf '%s\n' "$out" | grep -v '^warning: duplicate uuid {00020430-0000-0000-c000-000000000046}$' >&2
fi
exit $status

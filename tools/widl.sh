#!/bin/sh
# widl.sh WIDL ARGS...
# widl without its one warning on every type library here: importing
# stdole2.tlb, it reports stdole's library GUID as defined twice (Wine 8's
# widl and IDL files). The import is written all the same, and the type
# libraries are checked by tools/check-exports.sh. Everything else widl
# prints is kept, and so is its exit status.
out=$("$@" 2>&1)
status=$?
if [ -n "$out" ]; then
    printf '%s\n' "$out" | grep -v '^warning: duplicate uuid {00020430-0000-0000-c000-000000000046}$' >&2
fi
exit $status

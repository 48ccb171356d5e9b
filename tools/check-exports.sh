#!/bin/sh
# check-exports.sh BUILD_X86_64 BUILD_I686
# The two builds are one product: every program and library of each tree is
# a PE of its architecture, each DLL exports the same names at the same
# ordinals in both (none decorated), the trace library's WriteTrace and
# WriteErrorCode are ordinals 10 and 13 without names, the COM servers
# export exactly the four COM entry points, and the control's type library
# is the same apart from its target system and pointer size.
b64=$1
b32=$2
status=0
fail() {
    echo "check-exports: $*" >&2
    status=1
}

# "ORDINAL NAME" per export ("ORDINAL -" for one exported by ordinal only).
exports() {
    objdump=$1
    file=$2
    "$objdump" -p "$file" | awk '
        /^Export Address Table -- Ordinal Base/ { base = $NF; section = "eat"; next }
        /^\[Ordinal\/Name Pointer\] Table/ { section = "names"; next }
        /^$/ { section = "" }
        section == "eat" && /Export RVA/ { sub(/.*\+base\[ */, ""); sub(/\].*/, ""); ord[$0] = "-" }
        section == "names" && /^\t\[/ { line = $0; sub(/^\t\[ */, "", line); idx = line; sub(/\].*/, "", idx);
                                         sub(/^[0-9]+\] /, "", line); ord[idx + base] = line }
        END { for (o in ord) print o, ord[o] }' | sort -n
}

for dir in "$b64/bin" "$b32/bin"; do
    [ -d "$dir" ] || { fail "$dir does not exist"; exit 1; }
done

# Every binary of a tree is of the tree's architecture.
for tree in "$b64:x86_64:pei-x86-64" "$b32:i686:pei-i386"; do
    dir=${tree%%:*}/bin
    rest=${tree#*:}
    arch=${rest%%:*}
    format=${rest#*:}
    count=0
    for file in "$dir"/*.exe "$dir"/*.dll "$dir"/*.ocx; do
        [ -f "$file" ] || continue
        count=$((count + 1))
        "$arch-w64-mingw32-objdump" -f "$file" | grep -q "file format $format\$" ||
            fail "$file is not $format"
    done
    [ "$count" -gt 0 ] || fail "$dir holds no program"
done

for module in ZTOperatorPanel30.ocx TrcUtil30.dll msxfs.dll ttusim.dll ZTScriptEvents.dll; do
    [ -f "$b64/bin/$module" ] || { fail "$b64/bin/$module was not built"; continue; }
    [ -f "$b32/bin/$module" ] || { fail "$b32/bin/$module was not built"; continue; }
    e64=$(exports x86_64-w64-mingw32-objdump "$b64/bin/$module")
    e32=$(exports i686-w64-mingw32-objdump "$b32/bin/$module")
    [ -n "$e64" ] || fail "$module: no exports found"
    [ "$e64" = "$e32" ] || fail "$module: exports differ between x86_64 and i686:
$(printf '%s\n' "$e64" >/tmp/check-exports.$$.64; printf '%s\n' "$e32" | diff /tmp/check-exports.$$.64 -; rm -f /tmp/check-exports.$$.64)"
    case $e32 in *@*) fail "$module: decorated export names on i686" ;; esac
    case $module in
    TrcUtil30.dll)
        for ordinal in 10 13; do
            printf '%s\n' "$e64" | grep -qx "$ordinal -" || fail "$module: ordinal $ordinal is not an unnamed export"
        done
        ;;
    *.ocx | ZTScriptEvents.dll)
        names=$(printf '%s\n' "$e64" | cut -d' ' -f2 | sort | tr '\n' ' ')
        [ "$names" = "DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer " ] ||
            fail "$module: exports $names"
        ;;
    esac
done

# The type library, as winedump shows it: the same but for the target system,
# alignments and sizes of pointers, the build time, and vtable offsets and
# sizes, which are compared in pointer-sized slots.
typelib() {
    winedump "$1" | awk -v ptr="$2" '
        function hex(s,   n, i) { n = 0; s = tolower(s); sub(/h$/, "", s)
            for (i = 1; i <= length(s); i++) n = n * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
            return n }
        /^Contents of|^Done dumping|Created by WIDL|^ *vt 19:|syskind =|align = |^    size = / { next }
        /VtableOffset = |bSizeVftt = / { $NF = "slot " hex($NF) / ptr }
        { print }'
}
t64=$b64/control/ZTOperatorPanelX.tlb
t32=$b32/control/ZTOperatorPanelX.tlb
if [ -f "$t64" ] && [ -f "$t32" ]; then
    winedump "$t64" | grep -q 'syskind = SYS_WIN64' || fail "$t64 is not a win64 type library"
    winedump "$t32" | grep -q 'syskind = SYS_WIN32' || fail "$t32 is not a win32 type library"
    typelib "$t64" 8 >"$b32/typelib.x86_64.txt"
    typelib "$t32" 4 >"$b32/typelib.i686.txt"
    [ -s "$b32/typelib.i686.txt" ] && cmp -s "$b32/typelib.x86_64.txt" "$b32/typelib.i686.txt" ||
        fail "the type libraries differ: diff $b32/typelib.x86_64.txt $b32/typelib.i686.txt"
else
    fail "a type library is missing ($t64, $t32)"
fi

[ $status -eq 0 ] && echo "check-exports: x86_64 and i686 builds export the same"
exit $status

#!/bin/sh
# stdcall-link.sh TRIPLE IN.def OUT.def LINK-COMMAND...
# Links an i686 DLL whose IN.def names its exports undecorated. A WINAPI
# function is _Name@N in the objects; OUT.def is IN.def with each such
# export spelled Name@N, which the link command (given OUT.def and
# --kill-at) exports undecorated. ld's import library would then lose the
# decorated symbols importers link against, so dlltool writes it from OUT.def.
triple=$1
in=$2
out=$3
shift 3

objects=
dll=
implib=
previous=
for arg in "$@"; do
    case $arg in
    *.obj) objects="$objects $arg" ;;
    -Wl,--out-implib,*) implib=${arg#-Wl,--out-implib,} ;;
    esac
    [ "$previous" = "-o" ] && dll=$arg
    previous=$arg
done
if [ -z "$dll" ] || [ -z "$objects" ]; then
    echo "stdcall-link: no output or no objects in the link command" >&2
    exit 1
fi

# shellcheck disable=SC2086 # the object paths have no blanks
"$triple-nm" -g --defined-only $objects |
    awk '$3 ~ /^_[A-Za-z_][A-Za-z0-9_]*@[0-9]+$/ { print substr($3, 2) }' | sort -u >"$out.stdcall" || exit 1
awk 'NR == FNR { split($0, p, "@"); decorated[p[1]] = $0; next }
     /^[ \t]*(LIBRARY|EXPORTS|;)/ || NF == 0 { print; next }
     ($1 in decorated) { sub($1, decorated[$1]) }
     { print }' "$out.stdcall" "$in" >"$out" || exit 1

"$@" || exit
if [ -n "$implib" ]; then
    "$triple-dlltool" -k -d "$out" -D "$(basename "$dll")" -l "$implib"
fi

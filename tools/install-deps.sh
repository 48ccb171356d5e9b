#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when one is
# missing, so a second run costs nothing.
#   install-deps.sh [WINE32_STATUS_FILE]
# The 32-bit Wine (wine32:i386, for the i686 tests) is wanted, not needed:
# when it cannot be installed, why is written to WINE32_STATUS_FILE (or
# printed without one) and the script still succeeds; the file is removed
# once the 32-bit Wine is there.
set -euo pipefail
wine32_status=${1:-}

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_file() { [ -e "$1" ]; }

have_cmd x86_64-w64-mingw32-g++-posix || need+=(mingw-w64)
have_cmd i686-w64-mingw32-g++-posix || need+=(mingw-w64)
have_cmd x86_64-w64-mingw32-widl || need+=(mingw-w64-tools)
have_file /usr/include/wine/wine/windows/oaidl.idl || need+=(libwine-dev)
have_cmd wine && have_cmd wineserver || need+=(wine wine64)
have_cmd winedump || need+=(wine64-tools)
have_file /usr/src/googletest/CMakeLists.txt || need+=(googletest)
have_cmd cmake || need+=(cmake)
have_cmd ninja || need+=(ninja-build)

# Debian's 32-bit Wine loader, and whether it runs here.
wine32_loader=/usr/lib/wine/wine
have_wine32() { [ -x "$wine32_loader" ] && "$wine32_loader" --version >/dev/null 2>&1; }

# Whether this kernel runs 32-bit x86 programs at all (without IA32
# emulation it does not, and an installed wine32 would only break Debian's
# `wine`, which prefers it): a 93-byte static i386 program that exits 42.
kernel_runs_i386() {
    local probe status=0
    probe=$(mktemp)
    printf '\177\105\114\106\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\061\333\263\052\061\300\100\315\200' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    [ "$status" -eq 42 ]
}

# apt-get, waiting for another apt or dpkg run (the lock) to finish.
apt_retry() {
    local out tries=0
    while :; do
        if out=$(apt-get "$@" 2>&1); then
            printf '%s\n' "$out"
            return 0
        fi
        if printf '%s' "$out" | grep -q 'Could not get lock' && [ $((tries += 1)) -lt 30 ]; then
            sleep 10
            continue
        fi
        printf '%s\n' "$out"
        return 1
    done
}

wine32_unavailable() {
    if [ -n "$wine32_status" ]; then
        echo "$1" >"$wine32_status"
    else
        echo "install-deps: $1; the i686 tests will be skipped" >&2
    fi
}

# wine32:i386 installed but unusable is removed again: it would only break `wine`.
remove_broken_wine32() {
    if dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'ok installed' && ! have_wine32; then
        DEBIAN_FRONTEND=noninteractive apt_retry remove -y -q wine32:i386 >/dev/null || true
    fi
}

install_wine32() {
    if have_wine32; then
        [ -z "$wine32_status" ] || rm -f "$wine32_status"
        return 0
    fi
    if ! kernel_runs_i386; then
        [ "$(id -u)" -ne 0 ] || remove_broken_wine32
        wine32_unavailable "this kernel cannot run 32-bit (i386) programs, so no 32-bit Wine"
        return 0
    fi
    if [ "$(id -u)" -ne 0 ]; then
        wine32_unavailable "wine32:i386 is not installed and installing it needs root"
        return 0
    fi
    local update_log log first
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    # A failing index (one architecture's) does not stop the install: apt
    # uses what it could fetch, and the install says whether that sufficed.
    update_log=$(apt_retry update || true)
    if log=$(DEBIAN_FRONTEND=noninteractive apt_retry install -y -q --no-install-recommends wine32:i386) &&
        have_wine32; then
        [ -z "$wine32_status" ] || rm -f "$wine32_status"
        echo "install-deps: installed wine32:i386"
        return 0
    fi
    remove_broken_wine32
    first=$( (printf '%s\n' "$update_log"; printf '%s\n' "$log") | grep -m1 '^E:' | tr -s ' \t' ' ' | cut -c1-200)
    wine32_unavailable "wine32:i386 could not be installed (apt-get: ${first:-installed, but its loader does not run})"
}

if [ ${#need[@]} -eq 0 ]; then
    install_wine32
    exit 0
fi

# De-duplicate while keeping order.
mapfile -t need < <(printf '%s\n' "${need[@]}" | awk '!seen[$0]++')
echo "install-deps: installing ${need[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: missing packages (${need[*]}) and not root; install them with apt-get" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${need[@]}" >/dev/null
install_wine32

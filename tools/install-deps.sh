#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when one is
# missing, so a second run costs nothing.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_file() { [ -e "$1" ]; }

have_cmd x86_64-w64-mingw32-g++-posix || need+=(mingw-w64)
have_cmd i686-w64-mingw32-g++-posix || need+=(mingw-w64)
have_cmd x86_64-w64-mingw32-widl || need+=(mingw-w64-tools)
have_file /usr/include/wine/wine/windows/oaidl.idl || need+=(libwine-dev)
have_cmd wine && have_cmd wineserver || need+=(wine wine64)
have_file /usr/src/googletest/CMakeLists.txt || need+=(googletest)
have_cmd cmake || need+=(cmake)
have_cmd ninja || need+=(ninja-build)

if [ ${#need[@]} -eq 0 ]; then
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

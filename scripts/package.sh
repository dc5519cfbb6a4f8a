#!/usr/bin/env bash
# Builds a Release tree of the checkout in build/package and makes from it, with CPack, the
# Debian package and the portable archive. The last lines are the packages' paths, one a line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/package"

# The distribution's hardening, all of it: fortified functions, stack protector, position
# independent code, read-only relocations bound at start.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cxxflags=$(dpkg-buildflags --get CXXFLAGS)
ldflags=$(dpkg-buildflags --get LDFLAGS)

# A unity build: each library compiles as a few large units, in a third of the time.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_UNITY_BUILD=ON \
    -DCMAKE_CXX_FLAGS="$cppflags $cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" --target halvoren halvoren_packaging_files modem-sim

rm -f "$build"/halvoren_*.deb "$build"/halvoren-*.tar.gz
cpack --config "$build/CPackConfig.cmake" -B "$build" | tee "$build/cpack.log"
sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$build/cpack.log"

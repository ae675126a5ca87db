#!/usr/bin/env bash
# Builds the Release program and its Debian package, and prints the package's path on the
# last line. The package is CPack's DEB generator over the project's install rules, built
# with Debian's own compiler flags (hardening) and installed under /usr.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build=build-package
# CMake reads CXXFLAGS and LDFLAGS, not the preprocessor's CPPFLAGS (_FORTIFY_SOURCE). The
# caller's own CXXFLAGS come last.
callers_flags=${CXXFLAGS:-}
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CXXFLAGS="$CPPFLAGS $CXXFLAGS $callers_flags"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVANE_BENCH=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
# Only what the package holds: the tests are not needed for it.
ninja -C "$build" morvane mvntool morvane_desktop_files
rm -f "$build"/package/morvane_*.deb
cpack --config "$build/CPackConfig.cmake" -B "$PWD/$build/package" >"$build/cpack.log" \
  || { cat "$build/cpack.log" >&2; exit 1; }
deb=$(sed -n 's/^CPack: - package: \(.*\.deb\) generated\.$/\1/p' "$build/cpack.log")
echo "$deb"

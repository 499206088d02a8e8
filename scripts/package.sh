#!/usr/bin/env bash
# Builds the Debian package: a release build for /usr with Debian's hardening
# flags, `cpack -G DEB` (dependencies from dpkg-shlibdeps), then lintian,
# which must find no error. Prints the package's path on the last line.
#   scripts/package.sh [BUILD_DIR]   (default: build-deb)
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
buildDir="${1:-$top/build-deb}"

# dpkg-buildflags gives the flags Debian builds its packages with (fortify,
# stack protector, relro and now); lintian checks for them.
export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
export CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
export LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake -S "$top" -B "$buildDir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DTOLVANE_BUILD_TESTS=OFF -DTOLVANE_BUILD_BENCH=OFF >&2
cmake --build "$buildDir" >&2
rm -f "$buildDir"/tolvane_*.deb
(cd "$buildDir" && cpack -G DEB >&2)
package="$(ls "$buildDir"/tolvane_*.deb)"

echo "package: contents of $(basename "$package")" >&2
dpkg-deb --info "$package" | sed -n '/Package:/,$p' >&2
dpkg-deb --contents "$package" >&2
# lintian refuses to run as root without this; errors fail the build,
# warnings are shown.
lintian --allow-root --fail-on error --display-info "$package" >&2
echo "$package"

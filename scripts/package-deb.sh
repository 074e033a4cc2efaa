#!/usr/bin/env bash
# Builds the Debian package of both programs, kelvora_<version>-1_<arch>.deb,
# and prints its path: a Release build with Debian's hardening flags in its
# own folder, stripped, packaged by CPack's DEB generator with the Depends
# line computed by dpkg-shlibdeps.
#   KELVORA_DEB_BUILD   build folder (default build-release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KELVORA_DEB_BUILD:-build-release}
scripts/setup.sh >&2
# The flags Debian builds its own packages with (stack protector, fortified
# functions, full RELRO, bind now); the compilers make position-independent
# programs already.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DKELVORA_BUILD_TESTS=OFF -DKELVORA_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" >/dev/null
cmake --build "$build" -j2 >&2
rm -f "$build"/kelvora_*.deb
(cd "$build" && cpack -G DEB >&2)
package=$(ls "$build"/kelvora_*.deb)
[ "$(wc -l <<<"$package")" -eq 1 ] || { echo "more than one package in $build" >&2; exit 1; }
echo "$package"

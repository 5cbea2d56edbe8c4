#!/usr/bin/env bash
# Builds the Debian package korvane_VERSION_amd64.deb with CPack.
#   scripts/package.sh              a Release build in build-release/ (or $KORVANE_BUILD_DIR),
#                                   then the package: the way a release is made
#   scripts/package.sh --from DIR   the package from a build folder that is already built
#                                   (CI packages the build its tests ran in)
# The package goes to <build folder>/package/, with the screenshots its AppStream entry names
# beside it in package/screenshots/, to be published at KORVANE_SCREENSHOT_URL.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--from" ]; then
  build_dir=${2:?"usage: scripts/package.sh [--from BUILD_DIR]"}
  cmake --build "$build_dir" -j "${KORVANE_JOBS:-2}"
else
  build_dir=${KORVANE_BUILD_DIR:-build-release}
  scripts/install-deps.sh
  # Debian's compiler and linker flags for packages, with every hardening option.
  flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    "-DCMAKE_C_FLAGS=$(flags CPPFLAGS) $(flags CFLAGS)" \
    "-DCMAKE_CXX_FLAGS=$(flags CPPFLAGS) $(flags CXXFLAGS)" \
    "-DCMAKE_EXE_LINKER_FLAGS=$(flags LDFLAGS)" "-DCMAKE_SHARED_LINKER_FLAGS=$(flags LDFLAGS)" \
    "-DCMAKE_MODULE_LINKER_FLAGS=$(flags LDFLAGS)"
  KORVANE_BUILD_DIR=$build_dir scripts/build.sh
fi
build_dir=$(realpath "$build_dir")
out="$build_dir/package"
rm -rf "$out"
mkdir -p "$out"
cmake --build "$build_dir" --target screenshots
cpack --config "$build_dir/CPackConfig.cmake" -B "$out" -G DEB
rm -rf "$out/_CPack_Packages"
cp -r "$build_dir/data/screenshots" "$out/screenshots"
ls "$out"/korvane_*.deb

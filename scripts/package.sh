#!/usr/bin/env bash
# Builds the Windows programs and writes the release: dist/stowr-<version>-win64.zip, one folder
# stowr-<version>-win64/ holding stowr.exe, stowr-cli.exe, the reader's headers tailpack.h and
# tailpack_reader.h, the C library tailpack.dll with its import library tailpack.lib, README.md (the
# guide for Windows users, docs/README-windows.md), stowr-cli.txt (stowr-cli's manual as text) and
# LICENSE.
# The version is the project's (CMakeLists.txt). Prints the zip's path.
# Usage: bash scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/mingw

bash scripts/deps.sh windows >&2
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j2 --target stowr stowr-cli tailpack >&2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "package: no project version in $build/CMakeCache.txt" >&2; exit 1; }

name=stowr-$version-win64
stage=$build/package
rm -rf "$stage" && mkdir -p "$stage/$name" "$root/dist"
cp "$build/app/stowr.exe" "$build/cli/stowr-cli.exe" "$build/reader/tailpack.dll" "$build/reader/tailpack.lib" "$stage/$name/"
x86_64-w64-mingw32-strip "$stage/$name/"*.exe "$stage/$name/tailpack.dll"
cp reader/tailpack.h reader/tailpack_reader.h LICENSE "$stage/$name/"
cp docs/README-windows.md "$stage/$name/README.md"
cp "$build/cli/stowr-cli.txt" "$stage/$name/"
zip=$root/dist/$name.zip
rm -f "$zip"
(cd "$stage" && zip -qrX "$zip" "$name")
echo "$zip"

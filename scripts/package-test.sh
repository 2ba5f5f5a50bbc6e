#!/usr/bin/env bash
# Checks the release zip: it holds exactly its files, both programs carry the version, tailpack.dll
# exports the functions tailpack.h marks TP_API and nothing else, and the programs in it start under
# Wine: stowr-cli works on a file with a Japanese name, a C program linked with tailpack.lib reads
# corpus files as every reader must, and stowr.exe passes the end-to-end start-up case. With a
# native build at hand, also checks what cmake --install installs; and pip installs the Python
# package offline.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
zip=$(bash scripts/package.sh) || { echo "package-test: packaging failed"; exit 1; }
name=$(basename "$zip" .zip)
version=${name#stowr-}
version=${version%-win64}

passed=0
failed=0
check() { if [ "$2" = "$3" ]; then passed=$((passed + 1)); echo "  ok: $1"; else failed=$((failed + 1)); echo "  FAILED: $1: got [$3], want [$2]"; fi; }

want=$(printf '%s\n' "$name/" "$name/LICENSE" "$name/README.md" "$name/stowr-cli.exe" "$name/stowr-cli.txt" "$name/stowr.exe" \
  "$name/tailpack.dll" "$name/tailpack.h" "$name/tailpack.lib" "$name/tailpack_reader.h")
check "zip contents" "$want" "$(unzip -Z1 "$zip" | sort)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work"
dir=$work/$name
for header in tailpack.h tailpack_reader.h; do
  check "$header as in the source" "" "$(cmp "$dir/$header" "reader/$header" 2>&1)"
done
check "README for Windows users" "" "$(cmp "$dir/README.md" docs/README-windows.md 2>&1)"
# It speaks of nothing the zip does not hold: no set-up on Linux, no scripts, no pictures.
check "README names no missing file" "" "$(grep -nE 'apt-get|Debian|scripts/|\.png|reader/example' "$dir/README.md")"
for exe in stowr.exe stowr-cli.exe; do
  check "$exe version resource" "$version" "$(strings -el "$dir/$exe" | sed -n '/^FileVersion$/{n;p;q}')"
done

# Wine turns Unix arguments and folder names into Windows text through the locale's charset.
export LC_ALL=C.UTF-8
export WINEPREFIX=$root/build/mingw/wineprefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$work/データ"
cp "$dir/stowr-cli.exe" "$work/データ/プログラム.exe"
printf 'caf\xc3\xa9' >"$work/データ/résumé.txt"
cli() { (cd "$work/データ" && timeout 120 wine "$dir/stowr-cli.exe" "$@" 2>&1 | tr -d '\r'); }
cli add プログラム.exe TXT résumé.txt >/dev/null
check "stowr-cli lists a chunk of プログラム.exe" "1	TXT	Text	5 B" "$(cli list プログラム.exe | cut -f1-4)"
check "stowr-cli names a missing file in UTF-8" "stowr-cli: cannot read なし.exe" "$(cli list なし.exe | cut -d: -f1-2)"

interface=$(grep -o '^TP_API [^(]*' reader/tailpack.h | grep -o 'tp_[a-z_]*$' | sort | tr '\n' ' ')
check "tailpack.dll exports its interface" "$interface" \
  "$(x86_64-w64-mingw32-objdump -p "$dir/tailpack.dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/{/Table/d;s/.*\] //p}' | sort | tr '\n' ' ')"
mkdir "$work/c-reader"
cp "$dir/tailpack.dll" "$work/c-reader/"
if x86_64-w64-mingw32-gcc -std=c99 -Wall -Wextra -Werror -municode -I"$dir" tests/corpus/list_c.c "$dir/tailpack.lib" \
  -o "$work/c-reader/list_c.exe"; then
  corpus=$(python3 tests/corpus/check.py --c "$work/c-reader/list_c.exe" --run-with "timeout 120 wine" \
    plain signed-front-and-inside signed-real kinds-invalid-utf8 big-sparse 2>&1)
  check "a C program linked with tailpack.lib reads the corpus" "0 failed" "$(tail -1 <<<"$corpus" | grep -o '[0-9]* failed')"
else
  check "a C program links with tailpack.lib" ok failed
fi

if E2E_PROGRAM="$dir/stowr.exe" E2E_SKIP_BUILD=1 bash scripts/e2e.sh starts_empty >"$work/e2e.log" 2>&1; then
  check "stowr.exe starts and shows its window" ok ok
else
  check "stowr.exe starts and shows its window" ok "$(tail -3 "$work/e2e.log")"
fi

# On Linux, cmake --install puts the tool, the reader's headers, libtailpack and the package files
# for CMake and pkg-config under the prefix.
if [ -f build/native/build.ninja ]; then
  cmake --build build/native -j2 --target stowr-cli tailpack tailpack_static >/dev/null
  cmake --install build/native --prefix "$work/prefix" >/dev/null
  check "cmake --install" "bin/stowr-cli include/tailpack.h include/tailpack_reader.h lib/cmake/stowr/mingw-w64-x86_64.cmake \
lib/cmake/stowr/stowrAddChunks.cmake lib/cmake/stowr/stowrAppendChunks.cmake lib/cmake/stowr/stowrConfig.cmake \
lib/cmake/stowr/stowrConfigVersion.cmake lib/cmake/stowr/stowrTargets-relwithdebinfo.cmake \
lib/cmake/stowr/stowrTargets.cmake lib/libtailpack.a lib/libtailpack.so.0.2.0 lib/pkgconfig/tailpack.pc \
share/man/man1/stowr-cli.1 share/pkgconfig/stowr-reader.pc" \
    "$(cd "$work/prefix" && find . -type f | sed 's|^\./||' | sort | tr '\n' ' ' | sed 's/ $//')"
  check "libtailpack's links" "lib/libtailpack.so -> libtailpack.so.0 lib/libtailpack.so.0 -> libtailpack.so.0.2.0" \
    "$(cd "$work/prefix" && find . -type l -printf '%P -> %l\n' | sort | tr '\n' ' ' | sed 's/ $//')"
fi

# pip installs the Python package without a network (from a copy, so that no build files land in
# the source), and the installed package lists a file. Debian's python3 builds it with the
# setuptools and wheel that scripts/deps.sh installs.
cp -r python "$work/python"
py=/usr/bin/python3
[ -x $py ] || py=python3
if $py -m venv --system-site-packages "$work/venv" >"$work/pip.log" 2>&1 &&
  "$work/venv/bin/python" -m pip install --no-build-isolation --no-index "$work/python" >>"$work/pip.log" 2>&1; then
  check "pip install ./python: python3 -m tailpack list --json" "$(cat tests/corpus/plain.json)" \
    "$(cd "$work" && python3 "$root/tests/corpus/make.py" "$work/corpus" plain && "$work/venv/bin/python" -m tailpack list corpus/plain.exe --json)"
else
  check "pip install ./python" ok "$(tail -3 "$work/pip.log")"
fi

echo "package-test: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

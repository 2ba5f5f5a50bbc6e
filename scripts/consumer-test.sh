#!/usr/bin/env bash
# The example consumer project (examples/consumer) built the two ways another project takes
# stowr: find_package from an installed prefix, and add_subdirectory of this tree; each natively
# and for Windows (MinGW, run under Wine). Every build must print its data files; after one file
# is edited, a rebuild must print the new bytes, and a build with nothing changed must do nothing.
# Also checks that pkg-config finds the reader in the prefix, and that a C program links libtailpack
# (shared and static) by pkg-config and by find_package and reads a chunk with it.
# The prefix is installed from build/native (or NATIVE_BUILD), built when missing or stale.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
native=${NATIVE_BUILD:-$root/build/native}
jobs=${JOBS:-2}

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "  ok: $1"; }
fail() { failed=$((failed + 1)); echo "  FAILED: $1"; }
die() { echo "consumer-test: $*" >&2; echo "consumer-test: $passed passed, $((failed + 1)) failed"; exit 1; }

if [ ! -f "$native/build.ninja" ]; then
  cmake --preset native -S "$root" -B "$native" >/dev/null || die "native configure failed"
fi
cmake --build "$native" -j"$jobs" --target stowr-cli >/dev/null || die "native build failed"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$native" --prefix "$prefix" >/dev/null || die "cmake --install failed"

export WINEPREFIX=${WINEPREFIX:-$root/build/mingw/wineprefix} WINEDEBUG=-all
wine=$(command -v wine || echo /usr/lib/wine/wine64)
if [ ! -d "$WINEPREFIX" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  timeout 300 "$wine" wineboot -i >/dev/null 2>&1 || die "wineboot failed"
fi

# run PROGRAM [ARG]...: its standard output, carriage returns removed.
run() {
  case "$1" in
    *.exe) timeout 120 "$wine" "$@" 2>&1 | tr -d '\r' ;;
    *) timeout 60 "$@" 2>&1 ;;
  esac
}

# check NAME EXPECTED ACTUAL
check() { if [ "$3" = "$2" ]; then pass "$1"; else fail "$1: expected [$2], got [$3]"; fi; }

echo "consumer-test: pkg-config"
pc=$prefix/share/pkgconfig
check "pkg-config --cflags stowr-reader" "-I$prefix/include" \
  "$(PKG_CONFIG_PATH=$pc pkg-config --cflags stowr-reader | sed "s|$pc/../..|$prefix|; s/ *$//")"
flags=$(PKG_CONFIG_PATH=$pc pkg-config --cflags stowr-reader)
if c++ -std=c++17 $flags -fsyntax-only "$root/examples/consumer/main.cpp"; then
  pass "the example compiles with pkg-config's flags"
else
  fail "the example compiles with pkg-config's flags"
fi

echo "consumer-test: libtailpack"
printf 'hello' >"$work/hello.txt"
cp "$prefix/bin/stowr-cli" "$work/carrier"
"$prefix/bin/stowr-cli" add "$work/carrier" TXT "$work/hello.txt" >/dev/null || fail "stowr-cli add"
listed="x545854 5 $(stat -c %s "$prefix/bin/stowr-cli") end Text x68656c6c6f"
reader=$root/tests/corpus/list_c.c
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
if cc -std=c99 $(pkg-config --cflags tailpack) "$reader" $(pkg-config --libs tailpack) -o "$work/list-pc"; then
  check "pkg-config tailpack: a C program reads a chunk" "$listed" "$(LD_LIBRARY_PATH=$prefix/lib run "$work/list-pc" "$work/carrier")"
else
  fail "pkg-config tailpack: the C program builds"
fi
unset PKG_CONFIG_PATH
mkdir -p "$work/c-reader"
cp "$reader" "$work/c-reader/"
cat >"$work/c-reader/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.21)
project(c_reader LANGUAGES C)
find_package(stowr 0.2 CONFIG REQUIRED)
add_executable(list-shared list_c.c)
target_link_libraries(list-shared PRIVATE stowr::tailpack)
add_executable(list-static list_c.c)
target_link_libraries(list-static PRIVATE stowr::tailpack_static)
CMAKE
if cmake -S "$work/c-reader" -B "$work/c-reader/build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >"$work/c-reader.log" 2>&1 &&
  cmake --build "$work/c-reader/build" >>"$work/c-reader.log" 2>&1; then
  check "stowr::tailpack: a C program reads a chunk" "$listed" "$(run "$work/c-reader/build/list-shared" "$work/carrier")"
  check "stowr::tailpack_static: the same" "$listed" "$(run "$work/c-reader/build/list-static" "$work/carrier")"
else
  fail "find_package(stowr): a C program with stowr::tailpack builds: $(tail -5 "$work/c-reader.log")"
fi

# The installed package carries the MinGW toolchain file; the tree's own serves the subdirectory way.
installedToolchain=$prefix/lib/cmake/stowr/mingw-w64-x86_64.cmake
[ -f "$installedToolchain" ] && pass "the toolchain file is installed" || fail "the toolchain file is installed"
for way in installed subdirectory; do
  for platform in native windows; do
    name="$way, $platform"
    echo "consumer-test: $name"
    src=$work/$way-$platform
    cp -r "$root/examples/consumer" "$src"
    printf 'volume=7' >"$src/config.txt"
    printf 'hello %s' "$platform" >"$src/message.txt"
    printf 'made' >"$src/note.in"
    args=(-G Ninja -DCMAKE_BUILD_TYPE=Release)
    if [ $way = installed ]; then args+=(-DCMAKE_PREFIX_PATH="$prefix"); else args+=(-DSTOWR_SOURCE_DIR="$root"); fi
    exe=$src/build/greeter
    if [ $platform = windows ]; then
      toolchain=$root/cmake/mingw-w64-x86_64.cmake
      [ $way = installed ] && toolchain=$installedToolchain
      args+=(-DCMAKE_TOOLCHAIN_FILE="$toolchain")
      exe=$exe.exe
      # A tree built here for Windows has no stowr-cli for Linux: the installed one writes the chunks.
      [ $way = subdirectory ] && args+=(-DSTOWR_CLI="$prefix/bin/stowr-cli")
    fi
    if ! cmake -S "$src" -B "$src/build" "${args[@]}" >"$src/configure.log" 2>&1; then
      fail "$name: configure: $(tail -5 "$src/configure.log")"
      continue
    fi
    if ! cmake --build "$src/build" -j"$jobs" >"$src/build.log" 2>&1; then
      fail "$name: build: $(tail -5 "$src/build.log")"
      continue
    fi
    check "$name: first build" "$(printf 'CFG: volume=7\nMSG: hello %s\nNOT: made' $platform)" "$(run "$exe")"
    if [ "$way-$platform" = subdirectory-windows ]; then
      check "$name: no stowr-cli.exe built" "" "$(find "$src/build" -name 'stowr-cli*.exe')"
    fi
    # A data file and the source of a generated one edited: both reach the program.
    printf 'volume=11, edited' >"$src/config.txt"
    printf 'made again' >"$src/note.in"
    cmake --build "$src/build" -j"$jobs" >"$src/build.log" 2>&1 || fail "$name: rebuild: $(tail -5 "$src/build.log")"
    check "$name: rebuilt after an edit" "$(printf 'CFG: volume=11, edited\nMSG: hello %s\nNOT: made again' $platform)" \
      "$(run "$exe")"
    before=$(md5sum <"$exe")
    cmake --build "$src/build" -j"$jobs" >"$src/build.log" 2>&1 || fail "$name: build with nothing changed failed"
    check "$name: nothing changed, nothing done" "$before" "$(md5sum <"$exe")"
    [ "$way-$platform" = installed-native ] || continue
    # A data file stowr-cli refuses (empty) fails the build and leaves no program without its data.
    : >"$src/config.txt"
    if cmake --build "$src/build" -j"$jobs" >"$src/build.log" 2>&1; then
      fail "$name: a refused data file fails the build"
    else
      check "$name: a refused data file leaves no program" "" "$(ls "$exe" 2>/dev/null)"
    fi
    printf 'fixed' >"$src/config.txt"
    cmake --build "$src/build" -j"$jobs" >"$src/build.log" 2>&1 || fail "$name: build after the fix"
    check "$name: built again after the fix" "$(printf 'CFG: fixed\nMSG: hello native\nNOT: made again')" "$(run "$exe")"
  done
done

# Calls that cannot work stop the configure step and say where.
echo "consumer-test: refused at configure"
src=$work/refused
while IFS='|' read -r what call expected; do
  rm -rf "$src"
  cp -r "$root/examples/consumer" "$src"
  echo "$call" >>"$src/CMakeLists.txt"
  if cmake -S "$src" -B "$src/build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >"$src/configure.log" 2>&1; then
    fail "$what: configured"
  elif tr -s ' \n' ' ' <"$src/configure.log" | grep -qF "$expected"; then
    pass "$what"
  else
    fail "$what: no [$expected] in: $(tail -8 "$src/configure.log")"
  fi
done <<EOF
a missing data file|stowr_add_chunks(greeter LIC missing.txt)|the data file $src/missing.txt does not exist
a kind named in two calls|stowr_add_chunks(greeter cfg other.txt)|CFG is named twice, here and in stowr_add_chunks(greeter ...) call 1 in $src/CMakeLists.txt
EOF

echo "consumer-test: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# Compiles the Tailpack reader the ways programs embed it: tailpack.h as C99 and C11 with gcc and
# clang; tailpack_reader.h as C++17, 20 and 23 with g++ and clang++, also without exceptions and
# RTTI, in a program of two files (which also runs and reads itself); C++14 stopping with exactly
# the one message naming C++17, and C++11 and 14 with the C interface; MinGW for Windows, with
# names <windows.h> would break in the program's files; tailpack.h in clang's MSVC mode (syntax
# only). Every compile treats warnings as errors.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
flags=(-Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Werror -I"$root")
matrix=tests/reader/matrix
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

passed=0
failed=0
# check NAME COMMAND...: runs the command, its output kept for a failure.
check() {
  local name=$1
  shift
  if "$@" >"$work/out" 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "  FAILED: $name"
    sed 's/^/    /' "$work/out" | head -20
  fi
}
have() { command -v "$1" >/dev/null 2>&1; }

# The newest C++ standard a compiler names 23 or, older, 2b.
cxx23() { if "$1" -std=c++23 -x c++ -fsyntax-only /dev/null 2>/dev/null; then echo c++23; else echo c++2b; fi; }

# A C++ program of two files that reads its own chunks: "COUNT TEXT" with no chunk of its own.
cxx_program() {
  local cxx=$1 std=$2 out=$3
  shift 3
  "$cxx" -std="$std" "${flags[@]}" "$@" "$matrix/one.cpp" "$matrix/two.cpp" -o "$out" && [ "$("$out")" = "0 none" ]
}

# C++14 must stop at the header's own #error, and at nothing else.
one_error() {
  local cxx=$1
  ! "$cxx" -std=c++14 "${flags[@]}" -fsyntax-only "$matrix/old_standard.cpp" >"$work/c++14.txt" 2>&1 || return 1
  [ "$(grep -c 'error:' "$work/c++14.txt")" -eq 1 ] && grep -q 'needs C++17' "$work/c++14.txt" || { cat "$work/c++14.txt"; return 1; }
}

for cc in gcc clang; do
  have "$cc" || { echo "reader-matrix: $cc missing"; failed=$((failed + 1)); continue; }
  for std in c99 c11; do
    check "$cc -std=$std: the C example" \
      bash -c "'$cc' -std=$std ${flags[*]} reader/example_c/main.c -o '$work/c-$cc-$std' && [ \"\$('$work/c-$cc-$std')\" = 'no TXT chunk' ]"
  done
done

for cxx in g++ clang++; do
  have "$cxx" || { echo "reader-matrix: $cxx missing"; failed=$((failed + 1)); continue; }
  for std in c++17 c++20 "$(cxx23 "$cxx")"; do
    check "$cxx -std=$std: two files" cxx_program "$cxx" "$std" "$work/cpp-$cxx-$std"
    check "$cxx -std=$std -fno-exceptions -fno-rtti" cxx_program "$cxx" "$std" "$work/cpp-$cxx-$std-bare" -fno-exceptions -fno-rtti
  done
  check "$cxx -std=c++14: the one #error" one_error "$cxx"
  for std in c++11 c++14; do
    check "$cxx -std=$std: the C interface" \
      bash -c "'$cxx' -std=$std ${flags[*]} $matrix/c_interface.cpp -o '$work/ci-$cxx-$std' && [ \"\$('$work/ci-$cxx-$std')\" = 0 ]"
  done
done

mingw=x86_64-w64-mingw32
if have $mingw-g++ && have $mingw-gcc; then
  check "MinGW C99: the C example" $mingw-gcc -std=c99 "${flags[@]}" reader/example_c/main.c -o "$work/c.exe"
  check "MinGW C++17: two files, ERROR and DeleteFile" \
    $mingw-g++ -std=c++17 "${flags[@]}" "$matrix/one.cpp" "$matrix/two.cpp" -o "$work/cpp.exe"
  check "MinGW C++17 -fno-exceptions -fno-rtti" \
    $mingw-g++ -std=c++17 "${flags[@]}" -fno-exceptions -fno-rtti "$matrix/one.cpp" "$matrix/two.cpp" -o "$work/cpp-bare.exe"
  # A file that includes <windows.h> as well: the core's own declarations of the Win32 calls agree.
  printf '#include <windows.h>\n#include "reader/tailpack_reader.h"\nint main() { return 0; }\n' >"$work/with_windows.cpp"
  check "MinGW C++17 with <windows.h> first" $mingw-g++ -std=c++17 "${flags[@]}" -fsyntax-only "$work/with_windows.cpp"
  printf '#include "reader/tailpack_reader.h"\n#include <windows.h>\nint main() { return 0; }\n' >"$work/windows_after.cpp"
  check "MinGW C++17 with <windows.h> after" $mingw-g++ -std=c++17 "${flags[@]}" -fsyntax-only "$work/windows_after.cpp"
else
  echo "reader-matrix: MinGW missing"
  failed=$((failed + 1))
fi

if have clang; then
  printf '#define TAILPACK_IMPLEMENTATION\n#include "reader/tailpack.h"\n' >"$work/msvc.c"
  check "clang MSVC mode, C11, syntax only" clang --target=x86_64-pc-windows-msvc -ffreestanding -fsyntax-only -std=c11 \
    "${flags[@]}" -isystem "$matrix/msvc_stubs" "$work/msvc.c"
fi

echo "reader-matrix: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

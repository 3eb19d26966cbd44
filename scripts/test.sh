#!/usr/bin/env bash
# Builds everything and runs every test this machine can run, warnings counting as errors:
#   - the format check of the sources (.clang-format);
#   - the host build (build/host) and its unit and player tests;
#   - a short run of the record fuzzer under the sanitizers (build/fuzz);
#   - the 32-bit and 64-bit Windows builds (build/win32, build/win64) with MinGW-w64, and in
#     each: the check of the DLL's export and import tables, the unit tests under Wine, and
#     jobs played through Wine's own print spooler and compared with the host's player.
# On a machine that cannot execute 32-bit x86 programs the 32-bit build and its table check
# still run, but its programs are not started under Wine; the summary at the end says so.
# Installs the Debian packages it needs when they are missing (as root, or through sudo).
#
#   scripts/test.sh              everything
#   scripts/test.sh --host-only  the format check and the host build and tests only
#
# Environment:
#   SPOOLHOOK_NO_32BIT=1   behave as on a machine without 32-bit x86 execution
#   SPOOLHOOK_WINE32, SPOOLHOOK_WINE64
#                          the Wine program that runs the 32-bit or 64-bit test programs
#                          (defaults: Debian's wine launcher, and the 64-bit loader)
set -euo pipefail

cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)
source scripts/lib/build.sh

host_only=false
case "${1:-}" in
  "") ;;
  --host-only) host_only=true ;;
  *)
    echo "usage: scripts/test.sh [--host-only]" >&2
    exit 2
    ;;
esac

fuzz_packages=(clang libclang-rt-14-dev)
windows_packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64 wine wine64
  wine32:i386)

# What ran and what was skipped, for the summary.
summary=()
ran() { summary+=("ran      $1"); }
skipped() {
  summary+=("skipped  $1: $2")
  printf 'SKIPPED %s: %s\n' "$1" "$2"
}
print_summary() {
  step "summary"
  printf '%s\n' "${summary[@]}"
}

build_and_test() {
  local dir=$1 ctest_jobs=$2
  shift 2
  step "configure $dir"
  configure_build "$dir" "$@"
  step "build $dir"
  cmake --build "$dir" -j "$jobs"
  step "test $dir"
  ctest --test-dir "$dir" -j "$ctest_jobs" --output-on-failure
}

# True when this machine executes 32-bit x86 Linux programs: a minimal static i386 ELF
# program (exit(42) through int 0x80) is run, which only a kernel with 32-bit support starts.
runs_32bit_programs() {
  local probe=$root/build/probe-i386
  mkdir -p "$root/build"
  printf '%b' '\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08' \
    '\x34\0\0\0\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\x28\0\0\0\0\0' \
    '\x01\0\0\0\0\0\0\0\0\x80\x04\x08\0\x80\x04\x08\x60\0\0\0\x60\0\0\0\x05\0\0\0\0\x10\0\0' \
    '\xb8\x01\0\0\0\xbb\x2a\0\0\0\xcd\x80' >"$probe"
  chmod +x "$probe"
  local status=0
  "$probe" 2>/dev/null || status=$?
  [[ $status -eq 42 ]]
}

# True when Wine program $1 runs a tiny Windows program of the width that toolchain prefix
# $2 builds (it returns 42).
wine_runs() {
  local wine=$1 compiler=$2-w64-mingw32-gcc-posix probe=$root/build/probe-$2.exe
  printf 'int main(void) { return 42; }\n' | "$compiler" -x c -o "$probe" - || return 1
  local status=0
  "$wine" "$probe" >/dev/null 2>&1 || status=$?
  [[ $status -eq 42 ]]
}

install_missing "${host_packages[@]}"

step "format check"
find src tests tools examples -name '*.cpp' -o -name '*.h' | sort |
  xargs clang-format --dry-run -Werror

build_and_test build/host "$jobs"
ran "host unit and player tests (build/host)"
if $host_only; then
  skipped "fuzzing and the Windows builds" "--host-only"
  print_summary
  exit 0
fi

install_missing "${fuzz_packages[@]}"
step "fuzz the record dispatch"
scripts/fuzz.sh 30
ran "record fuzzer, 30 s under the address and undefined-behaviour sanitizers"

install_missing "${windows_packages[@]}"

# The Wine programs, one per width. Debian's `wine` launcher takes the 32-bit loader whenever
# it is installed, so the 64-bit runs use the 64-bit loader directly; WINELOADER lets Wine
# start the processes of either width (it swaps the 64 suffix) from there.
wine64=${SPOOLHOOK_WINE64:-$(dpkg -L wine64 | grep -m1 '/wine64$')}
wine32=${SPOOLHOOK_WINE32:-$(command -v wine)}
export WINELOADER=$wine64

no32_reason=""
if [[ -n ${SPOOLHOOK_NO_32BIT:-} ]]; then
  no32_reason="SPOOLHOOK_NO_32BIT is set"
elif ! runs_32bit_programs; then
  no32_reason="this machine cannot execute 32-bit x86 programs (a minimal i386 program would not start)"
fi

# One 64-bit prefix, made by the 64-bit loader, runs the programs of both widths. Wine runs
# without a display, and without the .NET and HTML engines that it would offer to download.
export WINEPREFIX=$root/build/wine-prefix WINEARCH=win64 WINEDEBUG=-all DISPLAY=
export WINEDLLOVERRIDES="mscoree,mshtml="
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  step "create the Wine prefix $WINEPREFIX"
  "$wine64" wineboot.exe --init
  wineserver --wait
fi

step "probe Wine"
no64_reason=""
wine_runs "$wine64" x86_64 || no64_reason="$wine64 cannot run a 64-bit Windows program here"
if [[ -z $no32_reason ]] && ! wine_runs "$wine32" i686; then
  no32_reason="$wine32 cannot run a 32-bit Windows program here"
fi
echo "32-bit Windows programs: ${no32_reason:-run under $wine32}"
echo "64-bit Windows programs: ${no64_reason:-run under $wine64}"

# The Windows builds' tests share the prefix's registry and printers: one test at a time.
for width in 32 64; do
  toolchain=$([[ $width == 32 ]] && echo mingw-i686 || echo mingw-x86_64)
  wine=$([[ $width == 32 ]] && echo "$wine32" || echo "$wine64")
  reason=$([[ $width == 32 ]] && echo "$no32_reason" || echo "$no64_reason")
  dir=build/win$width
  step "configure $dir"
  configure_build "$dir" "-DCMAKE_TOOLCHAIN_FILE=$root/cmake/$toolchain.cmake" \
    "-DSPOOLHOOK_WINE=$wine" "-DSPOOLHOOK_HOST_PLAYER=$root/build/host/tools/spoolhook"
  step "build $dir"
  cmake --build "$dir" -j "$jobs"
  step "test $dir"
  if [[ -z $reason ]]; then
    ctest --test-dir "$dir" -j 1 --output-on-failure
    ran "$width-bit build, DLL tables, unit tests under Wine, Wine spooler jobs ($dir)"
  else
    ctest --test-dir "$dir" -j 1 --output-on-failure -R '^dll_tables$'
    ran "$width-bit build with warnings as errors and its DLL tables check ($dir)"
    skipped "$width-bit unit tests and Wine spooler jobs under Wine" "$reason"
  fi
done

print_summary
step "all tests passed"

#!/usr/bin/env bash
# Builds everything and runs every test, warnings counting as errors:
#   - the format check of the sources (.clang-format);
#   - the host build (build/host) and its unit and player tests;
#   - a short run of the record fuzzer under the sanitizers (build/fuzz);
#   - the 32-bit and 64-bit Windows builds (build/win32, build/win64) with MinGW-w64, and in
#     each: the unit tests under Wine, the check of the DLL's export and import tables, and
#     jobs played through Wine's own print spooler and compared with the host's player.
# Installs the Debian packages it needs when they are missing (as root, or through sudo).
#
#   scripts/test.sh              everything
#   scripts/test.sh --host-only  the format check and the host build and tests only
set -euo pipefail

cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)

host_only=false
case "${1:-}" in
  "") ;;
  --host-only) host_only=true ;;
  *)
    echo "usage: scripts/test.sh [--host-only]" >&2
    exit 2
    ;;
esac

host_packages=(g++ cmake ninja-build googletest libbenchmark-dev clang-format)
fuzz_packages=(clang libclang-rt-14-dev)
windows_packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64 wine wine64
  wine32:i386)

step() { printf '\n=== %s\n' "$*"; }

as_root() {
  if [[ $(id -u) -eq 0 ]]; then
    "$@"
  else
    sudo "$@"
  fi
}

missing_packages() {
  local package
  for package; do
    dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -qx 'install ok installed' ||
      echo "$package"
  done
}

install_missing() {
  local missing
  missing=$(missing_packages "$@")
  [[ -z $missing ]] && return
  step "installing $(echo $missing)"
  # 32-bit Wine comes from the i386 architecture.
  if grep -q ':i386' <<<"$missing" && ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  as_root apt-get update
  # shellcheck disable=SC2086
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y $missing
}

# The same flags for every build: -O2 (GCC 12 gives false -Wrestrict warnings at -O3).
configure() {
  local dir=$1
  shift
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" -DSPOOLHOOK_WERROR=ON "$@"
}

build_and_test() {
  local dir=$1 ctest_jobs=$2
  shift 2
  step "configure $dir"
  configure "$dir" "$@"
  step "build $dir"
  cmake --build "$dir" -j "$jobs"
  step "test $dir"
  ctest --test-dir "$dir" -j "$ctest_jobs" --output-on-failure
}

install_missing "${host_packages[@]}"

step "format check"
find src tests tools -name '*.cpp' -o -name '*.h' | sort | xargs clang-format --dry-run -Werror

build_and_test build/host "$jobs"
$host_only && exit 0

install_missing "${fuzz_packages[@]}"
step "fuzz the record dispatch"
scripts/fuzz.sh 30

install_missing "${windows_packages[@]}"

# One 64-bit prefix runs the programs of both widths. Wine runs without a display, and
# without the .NET and HTML engines that it would offer to download.
export WINEPREFIX=$root/build/wine-prefix WINEARCH=win64 WINEDEBUG=-all DISPLAY=
export WINEDLLOVERRIDES="mscoree,mshtml="
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  step "create the Wine prefix $WINEPREFIX"
  wineboot --init
  wineserver --wait
fi

# The Windows builds' tests share the prefix's registry and printers: one test at a time.
for width in 32 64; do
  toolchain=$([[ $width == 32 ]] && echo mingw-i686 || echo mingw-x86_64)
  build_and_test "build/win$width" 1 "-DCMAKE_TOOLCHAIN_FILE=$root/cmake/$toolchain.cmake" \
    "-DSPOOLHOOK_HOST_PLAYER=$root/build/host/tools/spoolhook"
done

step "all tests passed"

# Shared by the project's commands: one way to install what is missing and to configure a
# build folder, so that every command may run in any order on the same work tree.
# Source it from bash with the work tree's root as the current directory.

host_packages=(g++ cmake ninja-build googletest libbenchmark-dev clang-format)

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

# Installs the Debian packages among "$@" that are missing.
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

# Configures build folder $1 with the project's one generator and flags (-O2: GCC 12 gives
# false -Wrestrict warnings at -O3; warnings are errors). A folder that an older command
# configured with another generator is configured afresh.
configure_build() {
  local dir=$1
  shift
  if [[ -f $dir/CMakeCache.txt ]] &&
    ! grep -qx 'CMAKE_GENERATOR:INTERNAL=Ninja' "$dir/CMakeCache.txt"; then
    rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
  fi
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" -DSPOOLHOOK_WERROR=ON "$@"
}

#!/usr/bin/env bash
# Plays every stream of streams.sh through the built library twice: inside Wine's spooler
# (wine_spooler_job) and on the host (`spoolhook play`). The printer output of both must be
# the bytes of the stream's raw data records, and the two call logs must be the same.
#
#   run_wine_spooler_test.sh WINE WINE_SPOOLER_JOB SPOOLHOOK_DLL HOST_PLAYER WORK_DIR
#
# WINE is the Wine program for the job program's width; it runs in the prefix that
# WINEPREFIX names.
set -euo pipefail

wine=$1 job_program=$2 library=$3 player=$4 work=$5
export WINEDEBUG=${WINEDEBUG:--all}

u32() {
  local hex
  hex=$(printf '%08x' "$1")
  printf "\\x${hex:6:2}\\x${hex:4:2}\\x${hex:2:2}\\x${hex:0:2}"
}

# A data frame with the bytes of $1 (backslash escapes as printf's %b reads them).
data_frame() {
  printf '%b' "$1" >"$work/payload"
  { u32 "$(wc -c <"$work/payload")"; cat "$work/payload"; } >>"$stream"
}

# A data frame holding a raw data record (id 0) with the bytes of $1 as its payload. Outside
# spooling its bytes are what the port must get next.
raw_record() {
  printf '%b' "$1" >"$work/payload"
  { u32 $(($(wc -c <"$work/payload") + 8)); u32 0; u32 0; cat "$work/payload"; } >>"$stream"
  $spooling || cat "$work/payload" >>"$expected"
}

# A data frame holding a spool record (id 2): subcommand $1, then the words $2... (the
# parameter and the value slots). Subcommand 100 starts spooling, 101 ends it.
spool_record() {
  local word
  { u32 $((8 + 4 * $#)); u32 2; u32 0; for word; do u32 "$word"; done; } >>"$stream"
  case $1 in
    100) spooling=true ;;
    101) spooling=false ;;
  esac
}

# Bytes the port must get next that no raw data record of the stream carries as such (a
# replay's output).
expect_port() { printf '%b' "$1" >>"$expected"; }

windows_path() { "$wine" winepath.exe -w "$1"; }

control() { { u32 0xFFFFFFFF; u32 "$1"; } >>"$stream"; }

every_byte_value() {
  local value
  for value in $(seq 0 255); do printf '\\x%02x' "$value"; done
}

source "$(dirname "$0")/streams.sh"

rm -rf "$work"
mkdir -p "$work"
failures=0
for name in $(declare -F | awk '{print $3}' | grep '^stream_'); do
  stream=$work/${name#stream_}.stream
  expected=$work/${name#stream_}.expected
  : >"$stream"
  : >"$expected"
  spooling=false
  "$name"
  base=${stream%.stream}
  "$player" play --port "$base.host.port" --log "$base.host.log" "$stream"
  "$wine" "$job_program" "$(windows_path "$library")" "$(windows_path "$stream")" \
    "$(windows_path "$base.wine.port")" "$(windows_path "$base.wine.log")"
  agreed=true
  for check in "$base.host.port $expected" "$base.wine.port $expected" \
    "$base.wine.log $base.host.log"; do
    # shellcheck disable=SC2086
    cmp $check || agreed=false
  done
  if $agreed; then
    echo "${name#stream_}: $(wc -c <"$expected") port bytes, $(wc -l <"$base.host.log") calls agree"
  else
    failures=$((failures + 1))
  fi
done
exit $((failures > 0))

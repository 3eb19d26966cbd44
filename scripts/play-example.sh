#!/bin/sh
# Plays the bundled example job (examples/hello.stream) on the simulated machine: the bytes
# the printer port received go to standard output, the event log to standard error.
# SPOOLHOOK_BUILD_DIR chooses the host build tree (default build/host); it is configured and
# brought up to date first, with the build's own output on standard error.
set -eu
cd "$(dirname "$0")/.."
build="${SPOOLHOOK_BUILD_DIR:-build/host}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" >&2
fi
cmake --build "$build" -j2 --target spoolhook_tool >&2
exec "$build/tools/spoolhook" play examples/hello.stream --log /dev/stderr

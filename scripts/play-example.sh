#!/usr/bin/env bash
# Plays the bundled example job (examples/hello.stream) on the simulated machine: the bytes
# the printer port received go to standard output, the event log to standard error.
# SPOOLHOOK_BUILD_DIR chooses the host build tree (default build/host, the one the test
# command uses too); it is configured and brought up to date first, with the build's own
# output on standard error.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/build.sh
build=${SPOOLHOOK_BUILD_DIR:-build/host}
{
  install_missing "${host_packages[@]}"
  configure_build "$build"
  cmake --build "$build" -j "$(nproc)" --target spoolhook_tool
} >&2
exec "$build/tools/spoolhook" play examples/hello.stream --log /dev/stderr

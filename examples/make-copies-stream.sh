#!/usr/bin/env bash
# Writes the example job copies.stream to standard output: a three-page job spooled with its
# header, page and trailer marks, then replayed as two collated copies with the first sheet
# from the upper bin and the last from the lower. The committed file is its output:
#
#   examples/make-copies-stream.sh >examples/copies.stream
set -euo pipefail

# A little-endian 32-bit word.
u32() {
  local hex
  hex=$(printf '%08x' "$1")
  printf %b "\\x${hex:6:2}\\x${hex:4:2}\\x${hex:2:2}\\x${hex:0:2}"
}

# A data frame holding a record of id $1 whose payload is the words $2...
record() {
  local id=$1 word
  shift
  u32 $((8 + 4 * $#))
  u32 "$id"
  u32 0
  for word; do u32 "$word"; done
}

# A data frame holding a raw data record (id 0) with the bytes of $1 (printf's %b escapes).
raw() {
  u32 $(($(printf '%b' "$1" | wc -c) + 8))
  u32 0
  u32 0
  printf '%b' "$1"
}

# A control frame with code $1.
control() {
  u32 0xFFFFFFFF
  u32 "$1"
}

# Job settings (0x1000, subcommand 1, 136 bytes): the command bracket on, all else zero.
settings=(1 1)
while ((${#settings[@]} < 32)); do settings+=(0); done
record 0x1000 "${settings[@]}"

record 2 100 # create the spool file; printer data go into it from here
record 2 105 # the header
record 0x1032 # the PJL job-name line, spooled with the header
raw 'Header\r\n'
for page in 1 2 3; do
  record 2 107 # the page's lead part
  raw "Lead $page\\r\\n"
  record 2 108 # its body part
  raw "Body $page\\f"
done
record 2 106 # the trailer
raw 'Trailer\r\n'
record 0x1033 # the PJL end-of-job line, spooled with the trailer
record 2 101 # close the spool file

record 2 103 0 0 0 2 0 # replay mode 0 (page order), 2 copies, no options
record 2 103 1 0 1 # one-sided, one page per side
record 2 103 2 1 0 # collated, forward
record 2 103 3 0 1 # paper-source mode 1: the first and the last sheet
record 2 103 4 7 1 7 2 7 # bins: default automatic, first upper, second automatic, last lower, interleaf automatic
record 2 104 # replay
record 2 102 # delete the spool file
control 4 # DrvSplEndDoc

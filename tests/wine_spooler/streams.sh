# The record streams of the Wine spooler test, written with the frame helpers of
# run_wine_spooler_test.sh. They hold raw data and spool records and page, abort and
# end-of-document frames only, whose output depends neither on the clock nor on the machine's
# names. Each stream also writes what the port must get: the bytes its raw data records carry
# outside spooling, and what a replay sends.

stream_pages() {
  control 1 # DrvSplStartPage
  raw_record '\x1B%-12345X@PJL ENTER LANGUAGE=PCL\r\n'
  raw_record '\x1BE\x1B&l0O'
  control 2 # DrvSplEndPage
  control 1
  control 5 # DrvSplWritePrinter without a buffer
  raw_record ''
  data_frame '\x00\x00'               # too short for a record id
  data_frame '\x00\x00\x00\x00\x00\x00' # too short for a record's head
  raw_record "$(every_byte_value)"
  raw_record '\f'
  control 2
  raw_record '\x1B%-12345X'
}

stream_large_record() {
  control 1
  raw_record "$(yes 'A line of a long page.' | head -c 300000)"
  control 2
}

stream_abort_then_more_data() {
  raw_record 'before the abort\r\n'
  control 3 # DrvSplAbort
  raw_record 'after the abort\r\n'
}

stream_end_doc_in_the_stream() {
  raw_record 'the document\f'
  control 4 # DrvSplEndDoc
}

# A three-page job held in a temporary spool file of Windows' own temporary drive and replayed
# in reverse order for two-sided printing, first sheet from the upper bin (paper source 1),
# last from the lower (2), the rest automatic (7): the odd side count puts a blank side first,
# and the restore after the first sheet waits for its second side.
stream_spooled_reverse_two_sided() {
  spool_record 100 0
  spool_record 105 0
  raw_record 'H'
  local page
  for page in 1 2 3; do
    spool_record 107 0
    raw_record "L$page"
    spool_record 108 0
    raw_record "B$page"
  done
  spool_record 106 0
  raw_record 'T'
  spool_record 101 0
  spool_record 103 1 1 1  # two-sided, one page per side
  spool_record 103 2 0 1  # not collated, reverse order
  spool_record 103 3 0 1  # paper sources for the first and last sheets
  spool_record 103 4 7 1 3 2 0
  spool_record 104 0
  spool_record 102 0
  # H PS(last) BL B3 PS(default) L3 PS(first) B2 L2 B1 PS(default) T: the blank page is the
  # plain one with its form feed, the paper sources 2, 7 and 1 the commands of numbers 13, 0
  # and 11.
  expect_port 'H\x1B[13q\x1B[0;1x\fB3\x1B[0qL3\x1B[11qB2L2B1\x1B[0qT'
}

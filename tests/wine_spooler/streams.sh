# The record streams of the Wine spooler test, written with the frame helpers of
# run_wine_spooler_test.sh. They hold raw data records and page, abort and end-of-document
# frames only, whose output depends neither on the clock nor on the machine's names. Each
# stream also writes the bytes its raw data records carry, which is what the port must get.

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

#include "spool/spool_fixture.h"

#include <algorithm>
#include <cstdio>

#include "engine/output_sink.h"

namespace spoolhook::testing {
namespace {

void Emit(JobContext* job, const char* text) {
  DWORD written = 0;
  WriteDirect(job, text, static_cast<DWORD>(std::char_traits<char>::length(text)), &written);
}

BOOL RecordPaperSource(JobContext* job, LONG paperSource, LONG typeRequest) {
  char text[40];
  if (typeRequest == -1) {
    std::snprintf(text, sizeof text, "PS(%ld) ", static_cast<long>(paperSource));
  } else {
    std::snprintf(text, sizeof text, "PS(%ld,%ld) ", static_cast<long>(paperSource),
                  static_cast<long>(typeRequest));
  }
  Emit(job, text);
  return TRUE;
}

BOOL RecordBlankPage(JobContext* job) {
  Emit(job, "BL ");
  return TRUE;
}

BOOL RecordGroupPad(JobContext* job, LONG groupSize, LONG pagesPresent) {
  char text[40];
  std::snprintf(text, sizeof text, "PAD(%ld,%ld) ", static_cast<long>(groupSize),
                static_cast<long>(pagesPresent));
  Emit(job, text);
  return TRUE;
}

}  // namespace

void SpoolTest::SetUp() {
  const JobOption options[] = {
      {JOB_OPTION_PAPER_SOURCE, reinterpret_cast<FARPROC>(RecordPaperSource)},
      {JOB_OPTION_BLANK_PAGE, reinterpret_cast<FARPROC>(RecordBlankPage)},
      {JOB_OPTION_GROUP_PAD, reinterpret_cast<FARPROC>(RecordGroupPad)},
      {JOB_OPTION_END, nullptr},
  };
  job_ = CreateJobContext(machine_.printer(), 1, 0, options);
  ASSERT_NE(job_, nullptr);
}

void SpoolTest::CloseJob() {
  if (job_) DrvSplClose(job_);
  job_ = nullptr;
}

void SpoolTest::Sub(std::uint32_t subcommand, std::int32_t parameter) {
  const Written result = Write(SpoolRecord(subcommand, parameter));
  EXPECT_TRUE(result.result) << "subcommand " << subcommand;
  EXPECT_EQ(result.written, 16u) << "subcommand " << subcommand;
}

void SpoolTest::Data(const std::string& bytes) { EXPECT_TRUE(Write(RawDataRecord(bytes)).result); }

void SpoolTest::Set(std::int32_t parameterCase, std::initializer_list<std::uint32_t> slots) {
  EXPECT_TRUE(Write(SpoolRecord(kSetParameters, parameterCase, slots)).result);
}

void SpoolTest::SpoolPages(int pages, const std::vector<int>& noLead) {
  Sub(kCreateSpool);
  Sub(kMarkHeader);
  Data("H ");
  for (int page = 1; page <= pages; ++page) {
    const std::string number = std::to_string(page);
    if (std::find(noLead.begin(), noLead.end(), page) == noLead.end()) {
      Sub(kMarkLead);
      Data("L" + number + " ");
    }
    Sub(kMarkBody);
    Data("B" + number + " ");
  }
  Sub(kMarkTrailer);
  Data("T ");
  Sub(kEndSpooling);
}

}  // namespace spoolhook::testing

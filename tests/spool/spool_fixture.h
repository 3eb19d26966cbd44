// A job made with CreateJobContext and callbacks that write what they were asked for into the
// printer output, so that a replay's port bytes show data, paper-source changes and blank
// pages in the exact order they happened: "PS(11) " for a paper source of 11, "PS(14,2) " with
// a type request other than -1, "BL " for a blank page, "PAD(2,1) " for a short group.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/exports.h"
#include "engine/job_context.h"
#include "support/records.h"
#include "support/test_machine.h"
#include "support/write_record.h"

namespace spoolhook::testing {

// Spool subcommands.
enum : std::uint32_t {
  kCreateSpool = 100,
  kEndSpooling = 101,
  kDeleteSpool = 102,
  kSetParameters = 103,
  kReplay = 104,
  kMarkHeader = 105,
  kMarkTrailer = 106,
  kMarkLead = 107,
  kMarkBody = 108,
  kCloseMarks = 110,
  kAbandonSpool = 111,
  kPassSection = 120,
  kEndPassSection = 121,
  kCycleSection = 122,
  kEndCycleSection = 123,
  kOpenReplay = 130,
  kCloseReplay = 131,
  kReplayPass = 132,
  kReplayHeader = 133,
  kReplayTrailer = 134,
  kReplayLead = 135,
  kReplayBody = 136,
};

// The bins the replay tests use.
constexpr std::uint32_t kDefaultBin = 10, kFirstBin = 11, kSecondBin = 12, kLastBin = 13,
                        kInterleafBin = 14;

class SpoolTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override { CloseJob(); }
  void CloseJob();

  JobContext* job() { return job_; }

  Written Write(const Record& record) { return WriteRecord(job_, record); }
  // A spool subcommand that must succeed.
  void Sub(std::uint32_t subcommand, std::int32_t parameter = 0);
  // Printer data through a raw data record.
  void Data(const std::string& bytes);
  // Subcommand 103.
  void Set(std::int32_t parameterCase, std::initializer_list<std::uint32_t> slots);

  // Spools a job of `pages` pages: 100, the header "H ", per page k a lead "Lk " (unless the
  // page is in `noLead`) and a body "Bk ", the trailer "T ", then 101.
  void SpoolPages(int pages, const std::vector<int>& noLead = {});

  std::string Port() { return machine_.PortBytes(); }

  TestMachine machine_;
  JobContext* job_ = nullptr;
};

}  // namespace spoolhook::testing

// A job for the job-information and PJL records: a fresh test machine whose spooler the test
// may configure, a scripted clock and computer name that read the same on every platform,
// and helpers for the capture file and the spool file that tests write into.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/exports.h"
#include "engine/job_context.h"
#include "engine/slots.h"
#include "jobinfo/driver_block.h"
#include "jobinfo/packet_bytes.h"
#include "jobinfo/scripted_platform.h"
#include "support/job_settings_records.h"
#include "support/records.h"
#include "support/test_machine.h"
#include "support/write_record.h"

namespace spoolhook::testing {

// Sunday, 7 March 2004, 13:05:09.250 UTC.
constexpr SYSTEMTIME kSettingsTime = {2004, 3, 0, 7, 13, 5, 9, 250};

class JobInfoTest : public ::testing::Test {
 protected:
  void SetUp() override { StartJob(); }
  void TearDown() override { EndJob(); }

  // Ends the job under way and starts one on a fresh machine with `config`.
  void StartJob(SimulatedSpoolerConfig config = {}) {
    EndJob();
    machine_.emplace(std::move(config));
    scripted_.emplace();
    scripted_->systemTime = kSettingsTime;
    scripted_->computer = u"PRINTSRV";
    OpenJob();
  }
  // A job on the machine there is, after the one before was closed.
  void OpenJob() {
    handle_ = DrvSplStartDoc(machine().printer(), machine().spooler().config().jobId);
    ASSERT_NE(handle_, nullptr);
  }
  void CloseJob() {
    if (handle_) DrvSplClose(handle_);
    handle_ = nullptr;
  }
  void EndJob() {
    CloseJob();
    scripted_.reset();
    machine_.reset();
  }

  TestMachine& machine() { return *machine_; }
  ScriptedPlatform& scripted() { return *scripted_; }
  JobContext* job() { return static_cast<JobContext*>(handle_); }
  DriverBlock& driver() { return *GetDriverBlock(job()); }

  // One DrvSplWritePrinter call with the count written preset to `preset`.
  Written Write(const Record& record, DWORD preset = 0xFFFFFFFFu) {
    return WriteRecord(handle_, record, preset);
  }
  void Settings(const JobSettings& settings) {
    ASSERT_TRUE(Write(JobSettingsRecord(settings)).result);
  }

  std::string Port() { return machine().PortBytes(); }
  std::vector<std::string> PortPackets() { return SplitPackets(Port()); }

  // Sends the job to the printer and to a capture file, whose writes a test can make fail.
  void CaptureToo() {
    ASSERT_TRUE(Write(CapturePathRecord(Wide(machine().Folder() + "CAP.PRN"))).result);
    ASSERT_TRUE(Write(SettingsRecord(2, 3)).result);
    ASSERT_NE(job()->CaptureFile, INVALID_HANDLE_VALUE);
  }

  // Turns spooling on into a spool file of the test's own; SpoolBytes closes it and reads it.
  void SpoolIntoFile() {
    spoolPath_ = machine().Folder() + "SPOOL.TMP";
    ASSERT_NE(OpenFileSlot(&job()->SpoolFile, spoolPath_.c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr),
              INVALID_HANDLE_VALUE);
    job()->Spooling = 1;
  }
  std::string SpoolBytes() {
    job()->Spooling = 0;
    CloseFileSlot(&job()->SpoolFile);
    return machine().ReadFileBytes(spoolPath_);
  }

 private:
  std::optional<TestMachine> machine_;
  std::optional<ScriptedPlatform> scripted_;
  HANDLE handle_ = nullptr;
  std::string spoolPath_;
};

// Record 0x1014 for one step.
inline Record StepRecord(std::uint32_t step) { return Record(0x1014).U32(step); }

}  // namespace spoolhook::testing

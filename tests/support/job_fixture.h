// A job started through the library's entry points on a fresh test machine.
#pragma once

#include <gtest/gtest.h>

#include "engine/exports.h"
#include "engine/job_context.h"
#include "support/records.h"
#include "support/test_machine.h"
#include "support/write_record.h"

namespace spoolhook::testing {

class JobTest : public ::testing::Test {
 protected:
  explicit JobTest(TestMachine::DriverPlace driver = TestMachine::DriverPlace::kAsConfigured)
      : machine_({}, driver) {}

  void SetUp() override {
    handle_ = DrvSplStartDoc(machine_.printer(), machine_.spooler().config().jobId);
    ASSERT_NE(handle_, nullptr);
  }
  void TearDown() override { CloseJob(); }

  void CloseJob() {
    if (handle_) DrvSplClose(handle_);
    handle_ = nullptr;
  }

  JobContext* job() { return static_cast<JobContext*>(handle_); }

  // One DrvSplWritePrinter call with the count written preset to `preset`.
  Written Write(const Record& record, DWORD preset = 0xFFFFFFFFu) {
    return WriteRecord(handle_, record, preset);
  }

  TestMachine machine_;
  HANDLE handle_ = nullptr;
};

}  // namespace spoolhook::testing

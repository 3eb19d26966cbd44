// A job started through the library's entry points on a fresh test machine.
#pragma once

#include <gtest/gtest.h>

#include "engine/exports.h"
#include "engine/job_context.h"
#include "support/records.h"
#include "support/test_machine.h"

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

  struct Written {
    BOOL result;
    DWORD written;
  };
  // One DrvSplWritePrinter call with the count written preset to `preset`.
  Written Write(const Record& record, DWORD preset = 0xFFFFFFFFu) {
    std::string bytes = record.bytes();
    DWORD written = preset;
    const BOOL result = DrvSplWritePrinter(handle_, bytes.data(), record.size(), &written);
    return {result, written};
  }

  TestMachine machine_;
  HANDLE handle_ = nullptr;
};

}  // namespace spoolhook::testing

#include "platform/simulated_spooler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/exception_guard.h"
#include "support/inaccessible_memory.h"
#include "support/test_machine.h"

namespace spoolhook {
namespace {

using testing::TestMachine;

// One of the spooler's info calls, for a given printer and level.
struct InfoCall {
  const char* name;
  std::size_t structSize;
  std::function<BOOL(Platform&, HANDLE printer, DWORD level, BYTE* buffer, DWORD size,
                     DWORD* needed)>
      call;
};

const InfoCall kInfoCalls[] = {
    {"GetPrinterDriverW", sizeof(DRIVER_INFO_2W),
     [](Platform& os, HANDLE printer, DWORD level, BYTE* buffer, DWORD size, DWORD* needed) {
       return os.GetPrinterDriverW(printer, nullptr, level, buffer, size, needed);
     }},
    {"GetJobW", sizeof(JOB_INFO_2W),
     [](Platform& os, HANDLE printer, DWORD level, BYTE* buffer, DWORD size, DWORD* needed) {
       return os.GetJobW(printer, 1, level, buffer, size, needed);
     }},
    {"GetPrinterW", sizeof(PRINTER_INFO_2W),
     [](Platform& os, HANDLE printer, DWORD level, BYTE* buffer, DWORD size, DWORD* needed) {
       return os.GetPrinterW(printer, level, buffer, size, needed);
     }},
};

void PrintTo(const InfoCall& call, std::ostream* out) { *out << call.name; }

class SpoolerInfoCall : public ::testing::TestWithParam<InfoCall> {
 protected:
  BOOL Call(HANDLE printer, DWORD level, BYTE* buffer, DWORD size, DWORD* needed) {
    machine_.spooler().SetLastError(ERROR_SUCCESS);
    return GetParam().call(machine_.spooler(), printer, level, buffer, size, needed);
  }
  DWORD LastError() { return machine_.spooler().GetLastError(); }
  DWORD NeededSize() {
    DWORD needed = 0;
    Call(machine_.printer(), 2, nullptr, 0, &needed);
    return needed;
  }

  TestMachine machine_;
};

TEST_P(SpoolerInfoCall, NoBufferLearnsTheSizeOfStructureAndStrings) {
  DWORD needed = 0;
  EXPECT_FALSE(Call(machine_.printer(), 2, nullptr, 0, &needed));
  EXPECT_EQ(LastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_GT(needed, GetParam().structSize);
}

TEST_P(SpoolerInfoCall, BufferOneByteShortFailsAndTellsTheSizeAgain) {
  const DWORD size = NeededSize();
  std::vector<BYTE> buffer(size - 1, 0xCC);
  DWORD needed = 0;
  EXPECT_FALSE(Call(machine_.printer(), 2, buffer.data(), size - 1, &needed));
  EXPECT_EQ(LastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(needed, size);
  EXPECT_EQ(buffer, std::vector<BYTE>(size - 1, 0xCC)) << "a failed call writes nothing";
}

TEST_P(SpoolerInfoCall, BufferOfTheSizeNeededOrMoreSucceeds) {
  const DWORD size = NeededSize();
  for (const DWORD given : {size, size + 64}) {
    std::vector<BYTE> buffer(given, 0xCC);
    DWORD needed = 0;
    EXPECT_TRUE(Call(machine_.printer(), 2, buffer.data(), given, &needed));
    EXPECT_EQ(needed, size);
    // Everything lies in the first `size` bytes.
    EXPECT_EQ(std::vector<BYTE>(buffer.begin() + size, buffer.end()),
              std::vector<BYTE>(given - size, 0xCC));
  }
}

TEST_P(SpoolerInfoCall, OtherPrinterHandleIsInvalid) {
  SimulatedSpoolerPlatform other(machine_.base(), {});
  for (HANDLE printer : {HANDLE{nullptr}, other.printer()}) {
    DWORD needed = 0;
    std::vector<BYTE> buffer(4096);
    EXPECT_FALSE(Call(printer, 2, buffer.data(), 4096, &needed));
    EXPECT_EQ(LastError(), ERROR_INVALID_HANDLE);
  }
}

TEST_P(SpoolerInfoCall, OnlyLevelTwoIsServed) {
  for (DWORD level : {0u, 1u, 3u, 4u}) {
    DWORD needed = 0;
    std::vector<BYTE> buffer(4096);
    EXPECT_FALSE(Call(machine_.printer(), level, buffer.data(), 4096, &needed)) << level;
    EXPECT_EQ(LastError(), ERROR_INVALID_LEVEL) << level;
  }
}

INSTANTIATE_TEST_SUITE_P(Level2, SpoolerInfoCall, ::testing::ValuesIn(kInfoCalls),
                         [](const ::testing::TestParamInfo<InfoCall>& info) {
                           return std::string(info.param.name);
                         });

// Fetches an info structure the way callers do: learn the size, then fill a buffer of that
// size, and checks that every text lies inside the buffer.
class SpoolerInfoContents : public ::testing::Test {
 protected:
  template <class Info, class Call>
  Info Fetch(Call call) {
    DWORD needed = 0;
    call(nullptr, 0, &needed);
    buffer_.assign(needed, 0xCC);
    EXPECT_TRUE(call(buffer_.data(), needed, &needed));
    Info info;
    std::memcpy(&info, buffer_.data(), sizeof info);
    return info;
  }

  // The text a member points to; "<outside>" when it does not point into the buffer.
  std::u16string Text(const char16_t* text) const {
    if (!text) return u"<none>";
    const BYTE* at = reinterpret_cast<const BYTE*>(text);
    if (at < buffer_.data() || at >= buffer_.data() + buffer_.size()) return u"<outside>";
    return std::u16string(text);
  }

  std::vector<BYTE> buffer_;
};

TEST_F(SpoolerInfoContents, DriverInfoNamesTheDriverFilesInTheDriverFolder) {
  TestMachine machine;
  const auto info = Fetch<DRIVER_INFO_2W>([&](BYTE* buffer, DWORD size, DWORD* needed) {
    return machine.spooler().GetPrinterDriverW(machine.printer(), nullptr, 2, buffer, size, needed);
  });
  EXPECT_EQ(info.cVersion, 3u);
  EXPECT_EQ(Text(info.pName), u"ZEMT4");
  EXPECT_EQ(Text(info.pEnvironment), u"Windows NT x86");
  EXPECT_EQ(Text(info.pDriverPath), u"C:\\DRIVERS\\ZEMT4.DLL");
  EXPECT_EQ(Text(info.pDataFile), u"C:\\DRIVERS\\ZEMT4.PPD");
  EXPECT_EQ(Text(info.pConfigFile), u"C:\\DRIVERS\\ZEMT4UI.DLL");
}

TEST_F(SpoolerInfoContents, DriverInfoEchoesTheEnvironmentAndTheConfiguredPath) {
  SimulatedSpoolerConfig config;
  config.driverName = u"PRN9";
  config.driverPath = u"D:\\SPOOL\\DRV\\MAIN.DLL";
  TestMachine machine(config);
  const auto info = Fetch<DRIVER_INFO_2W>([&](BYTE* buffer, DWORD size, DWORD* needed) {
    return machine.spooler().GetPrinterDriverW(machine.printer(), u"Windows x64", 2, buffer, size,
                                               needed);
  });
  EXPECT_EQ(Text(info.pName), u"PRN9");
  EXPECT_EQ(Text(info.pEnvironment), u"Windows x64");
  EXPECT_EQ(Text(info.pDriverPath), u"D:\\SPOOL\\DRV\\MAIN.DLL");
  EXPECT_EQ(Text(info.pDataFile), u"D:\\SPOOL\\DRV\\PRN9.PPD");
  EXPECT_EQ(Text(info.pConfigFile), u"D:\\SPOOL\\DRV\\PRN9UI.DLL");
}

TEST_F(SpoolerInfoContents, JobInfoDescribesTheConfiguredJob) {
  SimulatedSpoolerConfig config;
  config.jobId = 42;
  config.jobUser = u"m\u00FCller";
  config.jobMachine = u"\\\\CAD7";
  config.jobDocument = u"plan.dwg";
  config.jobYear = 1999;
  TestMachine machine(config);
  const auto info = Fetch<JOB_INFO_2W>([&](BYTE* buffer, DWORD size, DWORD* needed) {
    return machine.spooler().GetJobW(machine.printer(), 42, 2, buffer, size, needed);
  });
  EXPECT_EQ(info.JobId, 42u);
  EXPECT_EQ(Text(info.pUserName), u"m\u00FCller");
  EXPECT_EQ(Text(info.pMachineName), u"\\\\CAD7");
  EXPECT_EQ(Text(info.pDocument), u"plan.dwg");
  EXPECT_EQ(Text(info.pPrinterName), u"ZEMT4");
  EXPECT_EQ(info.Submitted.wYear, 1999);
  EXPECT_GE(info.Submitted.wMonth, 1);
  EXPECT_LE(info.Submitted.wMonth, 12);
  EXPECT_EQ(info.Size, 0u);
  EXPECT_EQ(info.TotalPages, 0u);
}

TEST_F(SpoolerInfoContents, JobSubmittedInTheClocksYearByDefault) {
  TestMachine machine;
  const auto info = Fetch<JOB_INFO_2W>([&](BYTE* buffer, DWORD size, DWORD* needed) {
    return machine.spooler().GetJobW(machine.printer(), 1, 2, buffer, size, needed);
  });
  SYSTEMTIME now{};
  machine.base().GetSystemTime(&now);
  EXPECT_EQ(info.Submitted.wYear, now.wYear);
  EXPECT_EQ(Text(info.pUserName), u"user");
  EXPECT_EQ(Text(info.pMachineName), u"\\\\WS01");
}

TEST_F(SpoolerInfoContents, PrinterInfoNamesPrinterPortAndDriver) {
  SimulatedSpoolerConfig config;
  config.portName = u"IP_10.1.2.3";
  TestMachine machine(config);
  const auto info = Fetch<PRINTER_INFO_2W>([&](BYTE* buffer, DWORD size, DWORD* needed) {
    return machine.spooler().GetPrinterW(machine.printer(), 2, buffer, size, needed);
  });
  EXPECT_EQ(Text(info.pPrinterName), u"ZEMT4");
  EXPECT_EQ(Text(info.pPortName), u"IP_10.1.2.3");
  EXPECT_EQ(Text(info.pDriverName), u"ZEMT4");
}

// The failures configured or asked for, each with the error the real spooler reports.
TEST(SimulatedSpooler, UnavailableInformationAndUnknownJobsFail) {
  SimulatedSpoolerConfig unavailable;
  unavailable.driverInfoAvailable = false;
  unavailable.jobInfoAvailable = false;
  TestMachine machine(unavailable);
  SimulatedSpoolerPlatform& spooler = machine.spooler();
  std::vector<BYTE> buffer(4096);
  DWORD needed = 0;

  spooler.SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(
      spooler.GetPrinterDriverW(machine.printer(), nullptr, 2, buffer.data(), 4096, &needed));
  EXPECT_EQ(spooler.GetLastError(), ERROR_UNKNOWN_PRINTER_DRIVER);
  spooler.SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(spooler.GetJobW(machine.printer(), 1, 2, buffer.data(), 4096, &needed));
  EXPECT_EQ(spooler.GetLastError(), ERROR_INVALID_PARAMETER);

  TestMachine available;
  available.spooler().SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(
      available.spooler().GetJobW(available.printer(), 2, 2, buffer.data(), 4096, &needed));
  EXPECT_EQ(available.spooler().GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(SimulatedSpooler, WritePrinterCollectsEveryByteInOrder) {
  TestMachine machine;
  const std::string first(
      "\x1B"
      "E\0page",
      7);
  const std::string second = "\f";
  DWORD written = 0;
  EXPECT_TRUE(machine.spooler().WritePrinter(machine.printer(), first.data(), 7, &written));
  EXPECT_EQ(written, 7u);
  EXPECT_TRUE(machine.spooler().WritePrinter(machine.printer(), second.data(), 1, &written));
  EXPECT_EQ(written, 1u);
  written = 99;
  EXPECT_TRUE(machine.spooler().WritePrinter(machine.printer(), first.data(), 0, &written));
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(machine.PortBytes(), first + second);
}

TEST(SimulatedSpooler, WritePrinterRejectsMissingCountAndOtherPrinters) {
  TestMachine machine;
  SimulatedSpoolerPlatform other(machine.base(), {});
  DWORD written = 99;
  machine.spooler().SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(machine.spooler().WritePrinter(machine.printer(), "abc", 3, nullptr));
  EXPECT_EQ(machine.spooler().GetLastError(), ERROR_INVALID_PARAMETER);
  machine.spooler().SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(machine.spooler().WritePrinter(other.printer(), "abc", 3, &written));
  EXPECT_EQ(machine.spooler().GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(machine.PortBytes(), "");
  EXPECT_EQ(other.PortBytes(), "");
}

TEST(SimulatedSpooler, PortFunctionReceivesTheBytesInsteadOfTheCollection) {
  TestMachine machine;
  std::vector<std::string> calls;
  SimulatedSpoolerPlatform spooler(machine.base(), {}, [&](const void* bytes, DWORD count) {
    calls.emplace_back(static_cast<const char*>(bytes), count);
  });
  DWORD written = 0;
  EXPECT_TRUE(spooler.WritePrinter(spooler.printer(), "Hello", 5, &written));
  EXPECT_TRUE(spooler.WritePrinter(spooler.printer(), "\r\n", 2, &written));
  EXPECT_EQ(written, 2u);
  EXPECT_EQ(calls, (std::vector<std::string>{"Hello", "\r\n"}));
  EXPECT_EQ(spooler.PortBytes(), "");
}

// A caller's buffer that faults while it is read leaves the spooler usable: the fault jumps
// out of WritePrinter, which must not be holding its lock then.
TEST(SimulatedSpooler, FaultingBufferLeavesThePortUsable) {
  TestMachine machine;
  testing::InaccessibleMemory memory;
  auto faulting = [&] {
    DWORD written = 0;
    machine.spooler().WritePrinter(machine.printer(), memory.LastBytesBeforeTheHole(4), 64,
                                   &written);
  };
  EXPECT_FALSE(RunGuarded(faulting));
  DWORD written = 0;
  EXPECT_TRUE(machine.spooler().WritePrinter(machine.printer(), "ok", 2, &written));
  EXPECT_EQ(machine.PortBytes(), "ok");
}

}  // namespace
}  // namespace spoolhook

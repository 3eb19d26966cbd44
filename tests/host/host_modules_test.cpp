// Modules: the simulated network library that captures pop-ups, libraries loaded from the
// machine's file system, and the current directory they may be loaded from.
#include <gtest/gtest.h>

#include <cstring>

#include "host/host_machine_test.h"

namespace spoolhook::testing {
namespace {

class HostModules : public HostMachineTest {
 protected:
  NetMessageBufferSendFn FindSend(HMODULE netapi) {
    return reinterpret_cast<NetMessageBufferSendFn>(
        machine().GetProcAddress(netapi, "NetMessageBufferSend"));
  }
  DWORD Send(NetMessageBufferSendFn send, const std::u16string& to, const std::u16string& text) {
    std::u16string buffer = text;
    return send(nullptr, to.c_str(), nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                DWORD(text.size() * 2));
  }
  // Puts the test library into the machine's file system as C:\DRIVERS\TESTMOD.DLL.
  void InstallTestModule() {
    MakeFolder("C/DRIVERS");
    std::filesystem::copy_file(HOST_TEST_MODULE_PATH, Host("C/DRIVERS/TESTMOD.DLL"));
  }
};

TEST_F(HostModules, TheNetworkLibraryLoadsByAnyFormOfItsName) {
  const std::u16string names[] = {u"NETAPI32.Dll", u"netapi32.dll", u"NETAPI32",
                                  u"C:\\Windows\\System32\\NetApi32.DLL"};
  HMODULE first = machine().LoadLibraryW(names[0].c_str());
  ASSERT_NE(first, nullptr);
  for (const std::u16string& name : names) {
    EXPECT_EQ(machine().LoadLibraryW(name.c_str()), first) << std::string(name.begin(), name.end());
  }
  EXPECT_EQ(machine().OpenHandleCount(), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(machine().FreeLibrary(first));
  EXPECT_EQ(machine().OpenHandleCount(), 0u);
  EXPECT_FALSE(machine().FreeLibrary(first));
}

TEST_F(HostModules, NetMessageBufferSendCapturesThePopup) {
  HMODULE netapi = machine().LoadLibraryW(u"NETAPI32.Dll");
  NetMessageBufferSendFn send = FindSend(netapi);
  ASSERT_NE(send, nullptr);
  std::vector<Popup> seenByHook;
  machine().OnPopup([&](const Popup& popup) {
    seenByHook.push_back(popup);
    // The hook runs outside every lock: the machine can be asked again from inside it.
    EXPECT_EQ(machine().popups().size(), seenByHook.size());
  });
  EXPECT_EQ(Send(send, u"PRINTSRV", u"Overlay file missing."), ERROR_SUCCESS);
  ASSERT_EQ(machine().popups().size(), 1u);
  EXPECT_EQ(machine().popups()[0].to, u"PRINTSRV");
  EXPECT_EQ(machine().popups()[0].text, u"Overlay file missing.");
  ASSERT_EQ(seenByHook.size(), 1u);
  EXPECT_EQ(seenByHook[0].text, u"Overlay file missing.");
  machine().FreeLibrary(netapi);
}

TEST_F(HostModules, TheSizeIsInBytesAndMustBeEven) {
  HMODULE netapi = machine().LoadLibraryW(u"NETAPI32.Dll");
  NetMessageBufferSendFn send = FindSend(netapi);
  std::u16string text = u"abcdef";
  // Four bytes are two characters.
  EXPECT_EQ(send(nullptr, u"PRINTSRV", nullptr, reinterpret_cast<BYTE*>(text.data()), 4), 0u);
  EXPECT_EQ(send(nullptr, u"PRINTSRV", nullptr, reinterpret_cast<BYTE*>(text.data()), 3),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(send(nullptr, u"PRINTSRV", nullptr, nullptr, 4), ERROR_INVALID_PARAMETER);
  ASSERT_EQ(machine().popups().size(), 1u);
  EXPECT_EQ(machine().popups()[0].text, u"ab");
  machine().FreeLibrary(netapi);
}

TEST_F(HostModules, EachMachineReceivesItsOwnPopups) {
  HostMachineConfig otherConfig;
  otherConfig.root = root();
  HostPlatform other(otherConfig);
  HMODULE mine = machine().LoadLibraryW(u"NETAPI32.Dll");
  HMODULE theirs = other.LoadLibraryW(u"NETAPI32.Dll");
  NetMessageBufferSendFn sendMine = FindSend(mine);
  auto sendTheirs = reinterpret_cast<NetMessageBufferSendFn>(
      other.GetProcAddress(theirs, "NetMessageBufferSend"));
  EXPECT_NE(sendMine, sendTheirs);
  Send(sendTheirs, u"B", u"to the other");
  Send(sendMine, u"A", u"to this one");
  ASSERT_EQ(machine().popups().size(), 1u);
  EXPECT_EQ(machine().popups()[0].to, u"A");
  ASSERT_EQ(other.popups().size(), 1u);
  EXPECT_EQ(other.popups()[0].to, u"B");
  machine().FreeLibrary(mine);
  other.FreeLibrary(theirs);
}

TEST_F(HostModules, WithoutTheNetworkLibraryNoPopupCanBeSent) {
  HostMachineConfig config;
  config.netapiAvailable = false;
  Restart(config);
  EXPECT_EQ(machine().LoadLibraryW(u"NETAPI32.Dll"), nullptr);
  EXPECT_EQ(machine().GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(machine().OpenHandleCount(), 0u);
}

TEST_F(HostModules, TheNetworkLibraryExportsNothingElse) {
  HMODULE netapi = machine().LoadLibraryW(u"NETAPI32.Dll");
  EXPECT_EQ(machine().GetProcAddress(netapi, "NetMessageNameAdd"), nullptr);
  EXPECT_EQ(machine().GetLastError(), ERROR_PROC_NOT_FOUND);
  machine().FreeLibrary(netapi);
}

TEST_F(HostModules, ALibraryLoadsFromTheMachinesFileSystem) {
  InstallTestModule();
  HMODULE module = machine().LoadLibraryW(u"C:\\drivers\\testmod.dll");
  ASSERT_NE(module, nullptr);
  using AnswerFn = int (*)();
  auto answer =
      reinterpret_cast<AnswerFn>(machine().GetProcAddress(module, "HostTestModuleAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(machine().GetProcAddress(module, "NoSuchExport"), nullptr);
  EXPECT_EQ(machine().GetLastError(), ERROR_PROC_NOT_FOUND);

  // Loads are counted: each needs its own FreeLibrary.
  EXPECT_EQ(machine().LoadLibraryW(u"C:\\DRIVERS\\TESTMOD.DLL"), module);
  EXPECT_EQ(machine().OpenHandleCount(), 2u);
  EXPECT_TRUE(machine().FreeLibrary(module));
  EXPECT_NE(machine().GetProcAddress(module, "HostTestModuleAnswer"), nullptr);
  EXPECT_TRUE(machine().FreeLibrary(module));
  EXPECT_EQ(machine().OpenHandleCount(), 0u);
  EXPECT_FALSE(machine().FreeLibrary(module));
  EXPECT_EQ(machine().GetProcAddress(module, "HostTestModuleAnswer"), nullptr);
}

TEST_F(HostModules, ALibraryLoadsRelativeToTheCurrentDirectory) {
  InstallTestModule();
  ASSERT_TRUE(machine().SetCurrentDirectoryW(u"C:\\DRIVERS"));
  HMODULE module = machine().LoadLibraryW(u"TESTMOD.DLL");
  ASSERT_NE(module, nullptr);
  machine().FreeLibrary(module);
}

TEST_F(HostModules, WhatIsNoLibraryDoesNotLoad) {
  WriteHostFile("C/DRIVERS/TEXT.DLL", "not a library");
  const std::u16string names[] = {u"C:\\DRIVERS\\TEXT.DLL", u"C:\\DRIVERS\\MISSING.DLL",
                                  u"Q:\\X.DLL", u"C:\\DRIVERS"};
  for (const std::u16string& name : names) {
    EXPECT_EQ(machine().LoadLibraryW(name.c_str()), nullptr);
    EXPECT_EQ(machine().GetLastError(), ERROR_MOD_NOT_FOUND)
        << std::string(name.begin(), name.end());
  }
  EXPECT_EQ(machine().OpenHandleCount(), 0u);
}

TEST_F(HostModules, ThreadLibraryCallsCanBeDisabledForAnyModule) {
  EXPECT_TRUE(machine().DisableThreadLibraryCalls(HostPlatform::LibraryModule()));
}

TEST_F(HostModules, TheCurrentDirectoryFollowsTheBufferSizeProtocol) {
  char16_t buffer[16];
  EXPECT_EQ(machine().GetCurrentDirectoryW(0, nullptr), 4u);  // "C:\" and its terminator
  EXPECT_EQ(machine().GetCurrentDirectoryW(16, buffer), 3u);
  EXPECT_EQ(std::u16string(buffer), u"C:\\");

  ASSERT_TRUE(machine().SetCurrentDirectoryW(u"C:\\TEMP\\"));
  std::memset(buffer, 0, sizeof buffer);
  EXPECT_EQ(machine().GetCurrentDirectoryW(7, buffer), 8u);
  EXPECT_EQ(buffer[0], u'\0');  // nothing written
  EXPECT_EQ(machine().GetCurrentDirectoryW(8, buffer), 7u);
  EXPECT_EQ(std::u16string(buffer), u"C:\\TEMP");

  ASSERT_TRUE(machine().SetCurrentDirectoryW(u".."));
  EXPECT_EQ(machine().GetCurrentDirectoryW(16, buffer), 3u);
  EXPECT_EQ(std::u16string(buffer), u"C:\\");
}

TEST_F(HostModules, OnlyAnExistingFolderCanBeTheCurrentDirectory) {
  WriteHostFile("C/TEMP/file.txt", "");
  EXPECT_FALSE(machine().SetCurrentDirectoryW(u"C:\\NOPE"));
  EXPECT_EQ(machine().GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(machine().SetCurrentDirectoryW(u"C:\\TEMP\\file.txt"));
  EXPECT_EQ(machine().GetLastError(), ERROR_DIRECTORY);
  EXPECT_FALSE(machine().SetCurrentDirectoryW(u"Q:\\"));
  EXPECT_EQ(machine().GetLastError(), ERROR_PATH_NOT_FOUND);
  char16_t buffer[16];
  machine().GetCurrentDirectoryW(16, buffer);
  EXPECT_EQ(std::u16string(buffer), u"C:\\");
}

}  // namespace
}  // namespace spoolhook::testing

// Composing a pop-up from the string table and sending it through the network library.
#include "notify/job_message.h"

#include <gtest/gtest.h>

#include "engine/module_state.h"
#include "support/popup_recorder.h"
#include "support/test_machine.h"

namespace spoolhook::testing {
namespace {

const std::u16string kPrefix = u"Information from the ZEMT4 printer driver.\n\n";
const std::u16string kCancelled = u"\n\nPrinting will be cancelled.";
constexpr UINT kMissingString = 3999;

class JobMessageTest : public ::testing::Test {
 protected:
  void Send(UINT message, UINT suffix, UINT prefix, const char* fileName) {
    SendJobMessage(LibraryModule(), message, suffix, prefix, fileName);
  }

  TestMachine machine_;
  PopupRecorder popups_;
};

struct CompositionCase {
  const char* name;
  UINT message;
  UINT suffix;
  UINT prefix;
  const char* fileName;
  std::u16string text;
};

TEST_F(JobMessageTest, ComposesPrefixMessageFileNameAndSuffix) {
  const CompositionCase cases[] = {
      {"prefix and message", 3047, 0, 3020, nullptr,
       kPrefix + u"Unable to create Overlay file.\n\nOverlay file creation will be cancelled."},
      {"the path in place of %s", 3048, 0, 3020, "C:\\OVL\\FORM.OVL",
       kPrefix + u"C:\\OVL\\FORM.OVL File is overwritten."},
      {"with the suffix", 3042, 3021, 3020, "\\\\SRV\\FORMS\\A.OVL",
       kPrefix + u"Cannot find the Overlay file \\\\SRV\\FORMS\\A.OVL." + kCancelled},
      {"no file name: the text as loaded", 3048, 0, 3020, nullptr,
       kPrefix + u"%s File is overwritten."},
      {"an empty file name is none", 3042, 3021, 3020, "",
       kPrefix + u"Cannot find the Overlay file %s." + kCancelled},
      {"a name without a placeholder changes nothing", 3049, 0, 3020, "C:\\X.OVL",
       kPrefix + u"Not enough space in the disk.\n\nMake more disk space available by deleting "
                 u"unnecessary files, and then retry."},
      {"no prefix", 3055, 0, 0, nullptr,
       u"\nScaling and Page Layout settings are invalid when creating an Overlay file."},
      {"a name holding %s and %d stays as it is", 3048, 0, 3020, "%s%d%n.OVL",
       kPrefix + u"%s%d%n.OVL File is overwritten."},
  };
  for (const CompositionCase& c : cases) {
    popups_.messages.clear();
    Send(c.message, c.suffix, c.prefix, c.fileName);
    EXPECT_EQ(popups_.Texts(), std::vector<std::u16string>{c.text}) << c.name;
  }
}

TEST_F(JobMessageTest, AStringThatCannotBeLoadedSendsNothing) {
  Send(kMissingString, 0, 3020, nullptr);     // the message
  Send(3047, 0, kMissingString, nullptr);     // the prefix
  Send(3044, kMissingString, 3020, nullptr);  // the suffix: not sent without it either
  EXPECT_TRUE(popups_.messages.empty());
  EXPECT_EQ(popups_.loads, 0);
}

TEST_F(JobMessageTest, AFileNameIsCutAt259Units) {
  Send(3048, 0, 3020, std::string(300, 'N').c_str());
  EXPECT_EQ(popups_.Texts(), std::vector<std::u16string>{kPrefix + std::u16string(259, u'N') +
                                                         u" File is overwritten."});
}

TEST_F(JobMessageTest, SendsToThisComputerThroughTheNetworkLibraryLoadedForTheMessage) {
  char16_t computer[130] = {};
  DWORD size = 129;
  ASSERT_TRUE(machine_.base().GetComputerNameW(computer, &size));
  EXPECT_TRUE(SendNetMessage(u"Hello", 5));
  ASSERT_EQ(popups_.messages.size(), 1u);
  const PopupRecorder::Message& sent = popups_.messages[0];
  EXPECT_FALSE(sent.hasServer);
  EXPECT_FALSE(sent.hasSender);
  EXPECT_EQ(sent.to, std::u16string(computer));
  EXPECT_EQ(sent.text, u"Hello");
  EXPECT_EQ(sent.bufferSize, 10u);
  EXPECT_EQ(popups_.loads, 1);
  EXPECT_EQ(popups_.frees, 1);
}

TEST_F(JobMessageTest, ASendThatCannotBeMadeIsReportedAndLeavesNothingLoaded) {
  popups_.sendResult = 2136;  // the network's own failure
  EXPECT_FALSE(SendNetMessage(u"a", 1));
  popups_.sendResult = 0;
  popups_.entryPointAvailable = false;
  EXPECT_FALSE(SendNetMessage(u"b", 1));
  popups_.entryPointAvailable = true;
  machine_.faults().FailCall("GetComputerNameW");
  EXPECT_FALSE(SendNetMessage(u"c", 1));
  EXPECT_EQ(popups_.loads, 3);
  EXPECT_EQ(popups_.frees, 3);
  EXPECT_EQ(popups_.messages.size(), 1u);  // only the one the network refused
  popups_.libraryAvailable = false;
  EXPECT_FALSE(SendNetMessage(u"d", 1));
  EXPECT_EQ(popups_.loads, 3);
}

// Some systems ship NetMessageBufferSend as a stub that raises: the send fails and the
// library is unloaded all the same.
TEST_F(JobMessageTest, ASendThatRaisesFailsAndStillUnloadsTheLibrary) {
  popups_.sendRaises = true;
  EXPECT_FALSE(SendNetMessage(u"a", 1));
  EXPECT_EQ(popups_.loads, 1);
  EXPECT_EQ(popups_.frees, 1);
}

}  // namespace
}  // namespace spoolhook::testing

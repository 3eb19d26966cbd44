// The player's log lines as JSON: the escaping of UTF-16 texts into UTF-8 JSON strings, and
// the pop-up event (which needs no job to be shown here).
#include "play_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace spoolhook::play {
namespace {

struct Escape {
  std::u16string text;
  std::string json;
};

TEST(JsonString, EscapesWhatJsonRequiresAndEncodesTheRestAsUtf8) {
  const Escape cases[] = {
      {u"", R"("")"},
      {u"plain text", R"("plain text")"},
      {u"say \"hi\" \\ bye", R"("say \"hi\" \\ bye")"},
      {u"\b\f\n\r\t", R"("\b\f\n\r\t")"},
      {std::u16string(u"\0\x01\x1F", 3), R"("\u0000\u0001\u001f")"},
      {u"\x7F/", "\"\x7F/\""},
      {u"Gr\u00FC\u00DFe",
       "\"Gr\xC3\xBC\xC3\x9F"
       "e\""},
      {u"\u20AC", "\"\xE2\x82\xAC\""},
      {u"\U0001F5A8", "\"\xF0\x9F\x96\xA8\""},  // a surrogate pair: one 4-byte character
      {u"a\xD83Dz", R"("a\ud83dz")"},           // unpaired surrogates keep their escape
      {u"\xDDA8\xD83D", R"("\udda8\ud83d")"},
  };
  for (const Escape& entry : cases) {
    EXPECT_EQ(JsonString(entry.text), entry.json);
  }
}

class PlayLogLines : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(file_, nullptr); }
  void TearDown() override { std::fclose(file_); }

  std::string Written() {
    std::fflush(file_);
    std::rewind(file_);
    std::string text;
    for (int c; (c = std::fgetc(file_)) != EOF;) text += static_cast<char>(c);
    return text;
  }

  std::FILE* file_ = std::tmpfile();
};

TEST_F(PlayLogLines, PopupCarriesRecipientAndWholeText) {
  PlayLog log(file_);
  log.Popup(u"m\u00FCller", u"Job \"Plan\" failed:\r\n\tdisk full");
  EXPECT_EQ(Written(),
            "{\"event\":\"popup\",\"to\":\"m\xC3\xBCller\",\"text\":\"Job \\\"Plan\\\" "
            "failed:\\r\\n\\tdisk full\"}\n");
  EXPECT_TRUE(log.ok());
}

TEST_F(PlayLogLines, CallLinesCarryOnlyTheFieldsOfTheirFunction) {
  PlayLog log(file_);
  CallEvent write;
  write.n = 7;
  write.fn = "DrvSplWritePrinter";
  write.writePrinter = true;
  write.id = 4096;
  write.result = false;
  write.written = 4294967294u;
  log.Call(write);
  CallEvent abort;
  abort.n = 8;
  abort.fn = "DrvSplAbort";
  log.Call(abort);
  EXPECT_EQ(Written(),
            R"({"event":"call","n":7,"fn":"DrvSplWritePrinter","id":4096,"result":false,)"
            R"("written":4294967294})"
            "\n"
            R"({"event":"call","n":8,"fn":"DrvSplAbort"})"
            "\n");
}

TEST(PlayLog, WithoutFileNothingIsWritten) {
  PlayLog log(nullptr);
  log.Popup(u"user", u"text");
  EXPECT_TRUE(log.ok());
}

}  // namespace
}  // namespace spoolhook::play

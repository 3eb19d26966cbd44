// The example job examples/copies.stream: its generator makes the committed bytes, and played
// it gives two collated copies with the first sheet from the upper bin, the last from the lower.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "play_fixture.h"

namespace spoolhook::testing {
namespace {

const std::string kExample = SPOOLHOOK_SOURCE_DIR "/examples/copies.stream";

TEST_F(PlayTest, CopiesExampleIsWhatItsGeneratorWrites) {
  const std::string command = "bash '" SPOOLHOOK_SOURCE_DIR "/examples/make-copies-stream.sh' >'" +
                              Path("generated.stream") + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string generated = ReadBytes(dir_ / "generated.stream");
  EXPECT_EQ(generated.size(), 682u);
  EXPECT_EQ(generated, ReadBytes(kExample));
}

TEST_F(PlayTest, CopiesExamplePlaysTwoCollatedCopiesWithTheirPaperSources) {
  const ToolRun run =
      RunTool({"play", "--port", Path("port.bin"), "--log", Path("log.jsonl"), kExample}, dir_);
  EXPECT_EQ(run.status, 0) << run.err;
  // The settings turn the command bracket on: each paper-source change is the bracket open
  // }p RS, ESC [code q, the bracket close ESC [0&}. Upper (1) is code 11, automatic (7) 0,
  // lower (2) 13.
  const std::string upperBin = "}p\x1E\x1B[11q\x1B[0&}";
  const std::string defaultBin = "}p\x1E\x1B[0q\x1B[0&}";
  const std::string lowerBin = "}p\x1E\x1B[13q\x1B[0&}";
  // The first sheet from the first bin and the default bin after it; the last sheet from the
  // last bin, with nothing after it. No plug-in names the job: the PJL lines name "".
  const std::string copy = "@PJL JOB NAME = \"\"\r\nHeader\r\n" + upperBin + "Lead 1\r\nBody 1\f" +
                           defaultBin + "Lead 2\r\nBody 2\f" + lowerBin + "Lead 3\r\nBody 3\f" +
                           "Trailer\r\n@PJL EOJ NAME = \"\"\r\n";
  EXPECT_EQ(Port(), copy + copy);
  // 28 records and DrvSplEndDoc, every record a success.
  const std::vector<std::string> log = Log();
  ASSERT_EQ(log.size(), 29u);
  for (std::size_t n = 0; n < 28; ++n) {
    EXPECT_NE(log[n].find(R"("result":true)"), std::string::npos) << log[n];
  }
  EXPECT_EQ(log[28], R"({"event":"call","n":28,"fn":"DrvSplEndDoc"})");
}

}  // namespace
}  // namespace spoolhook::testing

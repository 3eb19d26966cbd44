// Runs the built `spoolhook` tool as a separate process, the way a user does.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace spoolhook::testing {

struct ToolRun {
  int status = -1;  // the exit status; -1 when the tool did not exit normally
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs the tool with `args` and `input` on its standard input; its files and the temporary
// directory it sees (TMPDIR) lie in `workDir`.
ToolRun RunTool(const std::vector<std::string>& args, const std::filesystem::path& workDir,
                const std::string& input = {});

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

}  // namespace spoolhook::testing

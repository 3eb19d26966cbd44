#include "tool_runner.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

namespace spoolhook::testing {

ToolRun RunTool(const std::vector<std::string>& args, const std::filesystem::path& workDir,
                const std::string& input) {
  const std::filesystem::path in = workDir / "stdin.bin";
  const std::filesystem::path out = workDir / "stdout.bin";
  const std::filesystem::path err = workDir / "stderr.txt";
  const std::filesystem::path tmp = workDir / "tmp";
  std::filesystem::create_directories(tmp);
  WriteBytes(in, input);

  std::vector<char*> argv{const_cast<char*>(SPOOLHOOK_TOOL)};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  const pid_t child = ::fork();
  if (child == 0) {
    const std::filesystem::path* streams[] = {&in, &out, &err};
    for (int fd = 0; fd < 3; ++fd) {
      const int file =
          ::open(streams[fd]->c_str(), fd == 0 ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (file < 0 || ::dup2(file, fd) < 0) ::_exit(126);
      ::close(file);
    }
    ::setenv("TMPDIR", tmp.c_str(), 1);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ToolRun run;
  int status = 0;
  if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)) {
    run.status = WEXITSTATUS(status);
  }
  run.out = ReadBytes(out);
  run.err = ReadBytes(err);
  return run;
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace spoolhook::testing

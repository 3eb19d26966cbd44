// spoolhook: the project's command-line tool. Its one command, `play`, runs a job through the
// library on a simulated Windows machine.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "play.h"
#include "play_options.h"

namespace {

constexpr std::string_view kVersionLine = "spoolhook " SPOOLHOOK_VERSION "\n";
constexpr std::string_view kToolUsage =
    "Usage: spoolhook play [OPTIONS] STREAM\n"
    "       spoolhook --help | --version\n"
    "Run `spoolhook play --help` for the options.\n";

int Print(std::FILE* to, std::string_view text, int status) {
  std::fwrite(text.data(), 1, text.size(), to);
  return status;
}

int Play(const std::vector<std::string_view>& args) {
  using namespace spoolhook::play;
  PlayAction action = PlayAction::kRun;
  PlayOptions options;
  std::string error;
  if (!ParsePlayOptions(args, action, options, error)) {
    std::fprintf(stderr, "spoolhook play: %s\nTry `spoolhook play --help`.\n", error.c_str());
    return kExitUsage;
  }
  switch (action) {
    case PlayAction::kHelp:
      return Print(stdout, PlayUsage(), kExitDone);
    case PlayAction::kVersion:
      return Print(stdout, kVersionLine, kExitDone);
    case PlayAction::kRun:
      break;
  }
  return RunPlay(options);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const std::string_view command = args.empty() ? std::string_view() : args[0];
  if (command == "play") return Play({args.begin() + 1, args.end()});
  if (command == "--help") return Print(stdout, kToolUsage, spoolhook::play::kExitDone);
  if (command == "--version") return Print(stdout, kVersionLine, spoolhook::play::kExitDone);
  if (!command.empty())
    std::fprintf(stderr, "spoolhook: unknown command %.*s\n", int(command.size()), command.data());
  return Print(stderr, kToolUsage, spoolhook::play::kExitUsage);
}

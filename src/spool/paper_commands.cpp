#include "spool/paper_commands.h"

#include <cstdio>

#include "jobinfo/data_wrapper.h"
#include "jobinfo/driver_block.h"

namespace spoolhook {
namespace {

// The code tables: pairs {key, code} searched from the start, the first equal key wins; the
// search ends at the first negative key, whose code (-1) is the answer.
struct CodePair {
  LONG key;
  LONG code;
};

// Windows paper-source numbers (1 upper, 2 lower, 3 middle, 4 manual, 5 envelope, 7 automatic;
// 264 to 266 the driver's own) to the number of the paper-source command.
constexpr CodePair kPaperSourceCodes[] = {
    {7, 0}, {1, 11}, {3, 12}, {2, 13}, {4, 10}, {5, 5}, {264, 14}, {265, 15}, {266, 16}, {-1, -1},
};

// Type requests to the number of the type command.
constexpr CodePair kTypeCodes[] = {
    {0, 0}, {1, 10}, {2, 20}, {3, 30}, {4, 40}, {5, 41}, {6, 15}, {7, 35}, {-1, -1},
};

constexpr LONG kDefaultTypeRequest = 4;

constexpr char kBracketOpen[] = "}p\x1E";
constexpr char kBracketClose[] = "\x1B[0&}";
constexpr char kPlainBlankPage[] = "\x1B[0;1x";
constexpr char kFormFeed[] = "\f";

// Room for the longest command: the bracket, a type and a paper-source command with numbers
// of any size, the bracket close.
class CommandText {
 public:
  void Add(const char* text) { Format("%s", text); }
  void AddNumber(const char* format, LONG number) { Format(format, static_cast<long>(number)); }
  BOOL Send(JobContext* job) const {
    DWORD written = 0;
    return SendWrappedDirect(job, text_, length_, &written);
  }

 private:
  template <typename Value>
  void Format(const char* format, Value value) {
    const int added = std::snprintf(text_ + length_, sizeof text_ - length_, format, value);
    if (added > 0) length_ += static_cast<DWORD>(added);
  }

  char text_[64] = {};
  DWORD length_ = 0;
};

LONG LookUpCode(const CodePair* table, LONG key) {
  for (const CodePair* pair = table;; ++pair) {
    if (pair->key < 0 || pair->key == key) return pair->code;
  }
}

}  // namespace

BOOL SendPaperSource(JobContext* job, LONG paperSource, LONG typeRequest) {
  const DriverBlock* driver = GetDriverBlock(job);
  if (!driver) return FALSE;
  if (typeRequest == kDefaultTypeRequest) typeRequest = driver->TypeCommandDefault;
  LONG code = LookUpCode(kPaperSourceCodes, paperSource);
  if (code < 0) code = 0;
  LONG type = -1;
  if (driver->TypeCommandOn && typeRequest >= 0) type = LookUpCode(kTypeCodes, typeRequest);

  CommandText command;
  if (driver->CommandBracketOn) command.Add(kBracketOpen);
  if (type >= 0) command.AddNumber("\x1B[%ld't", type);
  command.AddNumber("\x1B[%ldq", code);
  if (driver->CommandBracketOn) command.Add(kBracketClose);
  return command.Send(job);
}

BOOL SendBlankPage(JobContext* job) {
  const DriverBlock* driver = GetDriverBlock(job);
  if (!driver) return FALSE;
  CommandText command;
  if (driver->CommandBracketOn) {
    command.Add(kBracketOpen);
    command.AddNumber("\x1B[%ldv", static_cast<LONG>(driver->BlankPageValue));
    command.Add(kBracketClose);
  } else {
    command.Add(kPlainBlankPage);
  }
  command.Add(kFormFeed);
  return command.Send(job);
}

}  // namespace spoolhook

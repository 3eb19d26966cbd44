#include "jobinfo/job_info_steps.h"

#include <iterator>

#include "engine/output_sink.h"
#include "jobinfo/attribute_packet.h"
#include "jobinfo/driver_block.h"
#include "jobinfo/driver_texts.h"
#include "jobinfo/ext_attribute_encoder.h"
#include "jobinfo/job_identifier.h"

namespace spoolhook {
namespace {

constexpr char kAnonymousUser[] = "Anonymous";

// One step's packets: each is encoded into the same buffer and written at once; `result`
// follows the last packet written.
class StepSender {
 public:
  StepSender(JobContext* job, const DriverBlock& driver) : job_(job) {
    InitPacketHeader(packet_, driver.PacketTagOn, driver.PacketTagFirst, driver.PacketTagSecond);
  }

  void Attribute(DWORD kind, const void* value, const WORD* code = nullptr) {
    Write(EncodeAttribute(packet_, kind, value, code));
  }
  void ExtAttribute(DWORD kind, const void* first, const void* second) {
    Write(EncodeExtAttribute(packet_, kind, first, second));
  }
  BOOL result() const { return result_; }

 private:
  void Write(WORD size) {
    if (size == 0) return;
    DWORD written = 0;
    result_ = WriteRecordData(job_, packet_, size, &written);
  }

  JobContext* job_;
  AttributePacketBuffer packet_;
  BOOL result_ = TRUE;
};

// The document name attribute carries the job title when either name switch picks it.
const char* DocumentNameText(const DriverBlock& driver) {
  const bool byB = driver.NameSelectB && (driver.NameSelectFlags & NAME_SELECT_B);
  const bool byA = driver.NameSelectA && (driver.NameSelectFlags & NAME_SELECT_A) &&
                   !(driver.NameSelectMask & NAME_SELECT_A_VETO);
  return byA || byB ? driver.JobTitle : driver.DocumentName;
}

void SendTitleAndNames(JobContext*, DriverBlock& driver, StepSender& send) {
  send.Attribute(ATTRIBUTE_JOB_TITLE, JobInfoTitle(driver).data());
  if (driver.JobInfoFlags & JOB_INFO_DOCUMENT_NAME) {
    send.Attribute(ATTRIBUTE_DOCUMENT_NAME, DocumentNameText(driver), &kDefaultCharacterSet);
  }
  send.Attribute(ATTRIBUTE_USER_NAME, driver.JobUserName);
  send.Attribute(ATTRIBUTE_SETTINGS_TIME, &driver.SettingsTime);
}

void SendUserEntry(JobContext*, DriverBlock& driver, StepSender& send) {
  const char* name = driver.JobUserName[0] ? driver.JobUserName : kAnonymousUser;
  send.ExtAttribute(EXT_ATTRIBUTE_USER_ENTRY, &USER_ENTRY_USER_NAME, name);
}

void SendAccountShort(JobContext*, DriverBlock& driver, StepSender& send) {
  send.Attribute(ATTRIBUTE_ACCOUNT_SHORT, TerminatedField(driver.AccountText).data());
}

void SendAccount(JobContext*, DriverBlock& driver, StepSender& send) {
  if (driver.JobInfoFlags & JOB_INFO_ACCOUNT_NUMBER) {
    send.Attribute(ATTRIBUTE_ACCOUNT_NUMBER, &driver.AccountNumber);
  } else {
    send.Attribute(ATTRIBUTE_ACCOUNT, TerminatedField(driver.AccountText).data(),
                   &kAccountCharacterSet);
  }
}

void SendAccountSecond(JobContext*, DriverBlock& driver, StepSender& send) {
  if (driver.JobInfoFlags & JOB_INFO_NO_ACCOUNT_SECOND) return;
  send.Attribute(ATTRIBUTE_ACCOUNT_SECOND, TerminatedField(driver.AccountText).data(),
                 &kAccountCharacterSet);
}

// Reports the bytes sent since the last report (plus the extra on the first); the report
// counts as made whether or not its write succeeded.
void SendByteCount(JobContext* job, DriverBlock& driver, StepSender& send) {
  if (!(driver.JobInfoFlags & JOB_INFO_BYTE_COUNT)) return;
  const DWORD count = GetBytesSent(job) + kByteCountExtra - driver.BytesReported;
  send.Attribute(ATTRIBUTE_BYTE_COUNT, &count);
  driver.BytesReported += count;
}

void SendIdentifiers(JobContext* job, DriverBlock& driver, StepSender& send) {
  if (driver.JobInfoFlags & JOB_INFO_IDENTIFIER) {
    BYTE block[kJobIdentifierBlockBytes];
    BuildJobIdentifierBlock(job, driver.PrinterHandle, driver.SpoolerJobId, block);
    send.Attribute(ATTRIBUTE_JOB_IDENTIFIER, block);
  }
  if (driver.PluginJobValue) send.Attribute(ATTRIBUTE_PLUGIN_VALUE, &driver.PluginJobValue);
}

void SendLongTitle(JobContext*, DriverBlock& driver, StepSender& send) {
  send.ExtAttribute(EXT_ATTRIBUTE_LONG_TITLE, JobInfoTitle(driver).data(), &kDefaultCharacterSet);
}

using Step = void (*)(JobContext* job, DriverBlock& driver, StepSender& send);

// Steps 1 to 8.
constexpr Step kSteps[] = {
    SendTitleAndNames, SendUserEntry, SendAccountShort, SendAccount,
    SendAccountSecond, SendByteCount, SendIdentifiers,  SendLongTitle,
};

}  // namespace

BOOL SendJobInfoStep(JobContext* job, DWORD step) {
  DriverBlock* driver = GetDriverBlock(job);
  if (!driver || step < 1 || step > std::size(kSteps)) return TRUE;
  StepSender send(job, *driver);
  kSteps[step - 1](job, *driver, send);
  return send.result();
}

}  // namespace spoolhook

// Whether another report call has the installation now, as the support
// tools tell it: doctor, and the export commands while they wait.
#pragma once

#include <cstdint>

#include <optional>
#include <string>
#include <vector>

#include "platform/install_lock.h"
#include "platform/install_lock_rules.h"
#include "platform/process.h"

namespace vok::tool {

struct InstallationUse {
  enum class State {
    kFree,         // nobody holds it
    kInUse,        // a call of this user holds it: its record names a process that runs
    kInUseUnseen,  // a call holds it that no record of this user names: another
                   // user's, or one of another computer that maps the folder
    kUnknown,      // there is no lock to ask (the folder is missing, ...)
  };
  State state = State::kUnknown;
  std::optional<platform::InstallLockHolder> holder;  // what the holder published
  std::string lock;  // where the lock lives
  bool lock_made = true;  // false: the lock cannot be had, calls wait in vain
  std::uint32_t lock_refused = 0;  // the system's error when it is refused for good
  // Why this host may take no lock (Low integrity, AppContainer); empty
  // when it may. Every call is refused at once then.
  std::string host_refusal;
  // Why this user's calls cannot keep their record; empty when they can.
  // Every call is refused at once without it.
  std::string record_problem;
  std::string record_path;
  // This user's record of a holder that ended without letting go, and
  // what its tool is now.
  std::optional<platform::InstallLockHolder> gone_holder;
  platform::RecordedToolVerdict orphan;
  // Report tools of the installation that run now and that no record of
  // this user names: calls wait while any runs, and never end them.
  struct RunningTool {
    platform::ProcessEntry process;
    std::optional<std::string> user;  // nothing: another user, not to be told
    std::uint64_t age_ms = 0;
  };
  std::vector<RunningTool> tools;
};

// Reads this user's record of the installation folder `location` (GBK) and
// the report tools that run, without taking the lock: taking it, even for
// a moment, would hide a holder that died from the call that must end its
// tool. A call of this process counts as a holder like any other.
InstallationUse InspectInstallation(const std::string& location);

// "process 1234 (C:\client\filing.exe, GetReportDate) since 2026-12-09
// 08:01:02.345", or "another process" when the holder left no record;
// `brief`: "process 1234 (filing.exe, GetReportDate)", for a terminal line.
std::string DescribeHolder(const InstallationUse& use, bool brief = false);

}  // namespace vok::tool

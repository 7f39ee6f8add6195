// Whether another report call has the installation now, as the support
// tools tell it: doctor, and the export commands while they wait.
#pragma once

#include <cstdint>

#include <optional>
#include <string>

#include "platform/install_lock.h"
#include "platform/process.h"

namespace vok::tool {

struct InstallationUse {
  enum class State {
    kFree,         // nobody holds it
    kInUse,        // another call holds it: its record names a process that runs
    kInUseUnseen,  // a call holds it, but no record this user can read says
                   // whose (another user's, whose records cannot be read)
    kUnknown,      // there is no lock to ask (the folder is missing, ...)
  };
  State state = State::kUnknown;
  std::optional<platform::InstallLockHolder> holder;  // what the holder published
  std::string lock;  // where the lock lives
  bool lock_made = true;  // false: the lock cannot be had, calls wait in vain
  std::uint32_t lock_refused = 0;  // the system's error when it is refused for good
  // Why this user's calls cannot keep their record; empty when they can.
  // Without it every call waits in vain.
  std::string record_problem;
  // The record of a holder that ended without letting go: this user's, or
  // any whose report tool still runs; what that tool is to this user, and
  // how long it has been running.
  std::optional<platform::InstallLockHolder> gone_holder;
  platform::RecordedTool orphan = platform::RecordedTool::kGone;
  std::optional<std::uint64_t> orphan_age_ms;
};

// Reads the holder's record of the installation folder `location` (GBK)
// without taking the lock: taking it, even for a moment, would hide a
// holder that died from the call that must end its tool. A call of this
// process counts as a holder like any other.
InstallationUse InspectInstallation(const std::string& location);

// "process 1234 (C:\client\filing.exe, GetReportDate) since 2026-12-09
// 08:01:02.345", or "another process" when the holder left no record;
// another user's holder is named with its user; `brief`: "process 1234
// (filing.exe, GetReportDate)", for a terminal line.
std::string DescribeHolder(const InstallationUse& use, bool brief = false);

}  // namespace vok::tool

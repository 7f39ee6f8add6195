// Whether another report call has the installation now, as the support
// tools tell it: doctor, and the export commands while they wait.
#pragma once

#include <optional>
#include <string>

#include "platform/install_lock.h"

namespace vok::tool {

struct InstallationUse {
  enum class State {
    kFree,     // nobody holds it (checked by taking and releasing the lock)
    kInUse,    // another call holds it
    kUnknown,  // there is no lock to ask (the folder is missing, ...)
  };
  State state = State::kUnknown;
  std::optional<platform::InstallLockHolder> holder;  // what the holder published
  std::string lock;  // where the lock lives
};

// Asks the lock of the installation folder `location` (GBK). A call of this
// process counts as a holder like any other.
InstallationUse InspectInstallation(const std::string& location);

// "process 1234 (C:\client\filing.exe, GetReportDate) since 2026-12-09
// 08:01:02.345", or "another process" when the holder left no record;
// `brief`: "process 1234 (filing.exe, GetReportDate)", for a terminal line.
std::string DescribeHolder(const InstallationUse& use, bool brief = false);

}  // namespace vok::tool

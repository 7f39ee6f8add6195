// The record a holder leaves beside its installation lock, as text: one
// "name=value" line per field. Shared by both platform layers.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/install_lock.h"

namespace vok::platform {

// The record's bytes; line breaks inside a value become blanks.
std::string FormatHolderRecord(const InstallLockHolder& holder);

// The holder from a record's bytes; nothing when they hold no process id
// (an empty record: released, or not yet written).
std::optional<InstallLockHolder> ParseHolderRecord(std::string_view bytes);

}  // namespace vok::platform

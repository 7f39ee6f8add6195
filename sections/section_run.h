// The frame every section writer runs in: its head goes into the document
// first, then the cell export is read and its items gathered, and only when
// all of that succeeded do the items and closing tags follow.
#pragma once

#include <cstdint>
#include <string>

#include "request/message_buffer.h"
#include "sections/cell_grid.h"

namespace vok {

// `append_head(std::string&)` appends the section's head to `output`;
// `gather_rest(const CellGrid&)` scans the export and returns the rest of the
// section (items and closing tags). On any failure `output` keeps the head,
// `message` receives `failure_message` and the result is -1; else 0.
template <typename AppendHead, typename GatherRest>
std::int32_t RunSectionWriter(const std::string& export_path, std::string& output,
                              MessageBuffer& message, const char* failure_message,
                              AppendHead append_head, GatherRest gather_rest) noexcept {
  try {
    append_head(output);
    std::string rest;
    {
      const CellGrid grid = ReadCellExport(export_path);
      rest = gather_rest(grid);
    }  // The cell table is released before the document grows.
    output += rest;
    return 0;
  } catch (...) {
    // DOM errors, unreadable exports and exhausted memory alike: the caller
    // gets one message and stops.
    message.Set(failure_message);
    return -1;
  }
}

}  // namespace vok

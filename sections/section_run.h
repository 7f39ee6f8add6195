// The frame every section writer runs in: its head goes into the document
// first, then the cell export is read and its items gathered, and only when
// all of that succeeded do the items and closing tags follow.
#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "request/message_buffer.h"
#include "request/trace.h"
#include "sections/cell_grid.h"

namespace vok {

// Why a writer failed, for the trace: reading the export (records < 0) or
// scanning it, and the error's own words.
void TraceSectionFailure(const char* writer, const std::string& export_path,
                         std::int64_t records, std::exception_ptr error) noexcept;

// The items of a section's text, for the trace.
std::int64_t CountSectionItems(std::string_view section);

// `append_head(std::string&)` appends the section's head to `output`;
// `gather_rest(const CellGrid&)` scans the export and returns the rest of the
// section (items and closing tags). On any failure `output` keeps the head,
// `message` receives `failure_message` and the result is -1; else 0. The
// trace learns how many records the export held and how many items came of
// them (never their figures), or why the writer `writer` failed.
template <typename AppendHead, typename GatherRest>
std::int32_t RunSectionWriter(const char* writer, const std::string& export_path,
                              std::string& output, MessageBuffer& message,
                              const char* failure_message, AppendHead append_head,
                              GatherRest gather_rest) noexcept {
  const auto start = std::chrono::steady_clock::now();
  std::int64_t records = -1;
  try {
    append_head(output);
    std::string rest;
    {
      const CellGrid grid = ReadCellExport(export_path);
      records = grid.size();
      rest = gather_rest(grid);
    }  // The cell table is released before the document grows.
    output += rest;
    trace::Record("section.written",
                  {{"writer", writer}, {"export", export_path}, {"records", records},
                   {"items", CountSectionItems(rest)},
                   {"ms", std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now() - start)
                              .count()}});
    return 0;
  } catch (...) {
    // DOM errors, unreadable exports and exhausted memory alike: the caller
    // gets one message and stops.
    TraceSectionFailure(writer, export_path, records, std::current_exception());
    message.Set(failure_message);
    return -1;
  }
}

}  // namespace vok

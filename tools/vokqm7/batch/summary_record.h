// summary.csv (and with --html summary.html) in DIR, replaced whole
// whenever the run records something. A write that fails is told at once;
// the run's status says whether the record on disk is the last one.
#pragma once

#include <string>
#include <vector>

#include "batch/outcome.h"

namespace vok::tool {

class SummaryRecord {
 public:
  SummaryRecord(const std::string& folder, bool html, std::string title);

  const std::string& csv() const { return csv_; }
  bool current() const { return current_; }
  // The names of the files it writes in DIR.
  std::vector<std::string> Names() const;

  // The lines of the earlier summary that could not be read, kept as they
  // were after the rows.
  void KeepUnread(std::vector<std::string> lines) { unread_ = std::move(lines); }

  // Writes both files; false, told on stderr with the reason, when one of
  // them cannot be written.
  bool Write(const std::vector<RowOutcome>& outcomes);

 private:
  bool Replace(const std::string& path, const std::string& bytes);

  std::string csv_, page_, title_;
  std::vector<std::string> unread_;
  bool current_ = true;
};

}  // namespace vok::tool

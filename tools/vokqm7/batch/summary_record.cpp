#include "batch/summary_record.h"

#include "batch/runner.h"
#include "batch/summary.h"
#include "batch/summary_html.h"
#include "host.h"
#include "language/language.h"
#include "output.h"
#include "platform/files.h"

namespace vok::tool {

SummaryRecord::SummaryRecord(const std::string& folder, bool html, std::string title)
    : csv_(InFolder(folder, "summary.csv")),
      page_(html ? InFolder(folder, "summary.html") : ""),
      title_(std::move(title)) {}

std::vector<std::string> SummaryRecord::Names() const {
  if (page_.empty()) return {"summary.csv"};
  return {"summary.csv", "summary.html"};
}

bool SummaryRecord::Write(const std::vector<RowOutcome>& outcomes) {
  const bool was_current = current_;
  current_ = Replace(csv_, SummaryCsv(outcomes, unread_)) &&
             (page_.empty() || Replace(page_, DocumentToUtf8(SummaryHtml(outcomes, title_))));
  if (current_ && !was_current) Complain(TrF("%s is written again and up to date", csv_));
  return current_;
}

bool SummaryRecord::Replace(const std::string& path, const std::string& bytes) {
  if (platform::ReplaceFileAtomically(path, bytes)) return true;
  const std::string reason = LastFileError();
  // Windows tells a program that holds it open from the rest.
  const bool held = platform::ProbeFileUse(path) == platform::FileUse::kOpenElsewhere;
  Complain(held ? TrF("cannot write %s: %s (a program that holds it open keeps it from being "
                      "replaced)",
                      path, reason)
                : TrF("cannot write %s: %s", path, reason));
  return false;
}

}  // namespace vok::tool

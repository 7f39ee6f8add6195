// batch: every enterprise's combined filing of an accounts file made and
// checked in one run, with progress, a summary, and a way to stop and go on.
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "batch/accounts_file.h"
#include "batch/folder_state.h"
#include "batch/inputs.h"
#include "batch/resume.h"
#include "batch/runner.h"
#include "batch/summary.h"
#include "batch/summary_html.h"
#include "commands.h"
#include "doctor.h"
#include "exit_codes.h"
#include "host.h"
#include "language/language.h"
#include "library.h"
#include "output.h"
#include "platform/files.h"
#include "show.h"

namespace vok::tool {
namespace {

struct Options {
  std::string accounts, output, year, period, server, type, template_file;
  std::vector<std::string> rules;
  bool financial = false, resume = false, html = false, check = false;
  CLI::App* command = nullptr;
};

std::optional<std::string> Given(const Options& o, const char* name, const std::string& value) {
  if (o.command->count(name) == 0) return std::nullopt;
  return ArgumentToGbk(value);
}

// summary.csv (and with --html summary.html), replaced whole after every
// row. A write that fails is told at once and tried again at the next row;
// the run's status says whether the record on disk is the last one.
class SummaryRecord {
 public:
  SummaryRecord(const std::string& folder, bool html, std::string title)
      : csv_(InFolder(folder, "summary.csv")),
        page_(html ? InFolder(folder, "summary.html") : ""),
        title_(std::move(title)) {}

  const std::string& csv() const { return csv_; }
  bool current() const { return current_; }

  // Writes both files; false, told on stderr with the reason, when one of
  // them cannot be written.
  bool Write(const std::vector<RowOutcome>& outcomes) {
    const bool was_current = current_;
    current_ = Replace(csv_, SummaryCsv(outcomes)) &&
               (page_.empty() ||
                Replace(page_, DocumentToUtf8(SummaryHtml(outcomes, title_))));
    if (current_ && !was_current) Complain(TrF("%s is written again and up to date", csv_));
    return current_;
  }

 private:
  bool Replace(const std::string& path, const std::string& bytes) {
    if (platform::ReplaceFileAtomically(path, bytes)) return true;
    const std::string reason = LastFileError();
    Complain(TrF("cannot write %s: %s (a program that holds it open keeps it from being "
                 "replaced); it is tried again after the next row",
                 path, reason));
    return false;
  }

  std::string csv_, page_, title_;
  bool current_ = true;
};

// The rows of the accounts file, the bad ones told on stderr; nothing with
// `status` set when the file cannot be used.
std::optional<AccountsFile> ReadAccounts(const Options& o, const std::string& path, int& status) {
  const std::optional<std::string> bytes =
      ReadFileOrComplain(path, N_("cannot read the accounts file %s"), status);
  if (!bytes) return std::nullopt;
  AccountDefaults defaults;
  defaults.year = Given(o, "--year", o.year);
  defaults.period = Given(o, "--period", o.period);
  defaults.server = Given(o, "--server", o.server);
  defaults.template_file = Given(o, "--template", o.template_file);
  defaults.template_needed = !o.type.empty();
  AccountsFault fault;
  std::optional<AccountsFile> file = ReadAccountsFile(*bytes, defaults, fault);
  if (!file) {
    Complain(TrF("the accounts file %s cannot be used: %s", path, fault.text));
    status = fault.usage ? kExitUsage : kExitExportFailed;
    return std::nullopt;
  }
  for (const AccountRow& row : file->rows) {
    if (!row.problem.empty()) Complain(TrF("%s: %s; the row is skipped", path, row.problem));
  }
  return file;
}

// --check: what a run would do, from the accounts file, the installation
// and what an earlier run left in DIR; no call of the library.
int CheckBatch(const AccountsFile& file, const BatchSettings& settings,
               const std::vector<RowOutcome>& planned) {
  const int doctor = RunDoctor();
  Say(TrF("A batch would make, with %s, into %s:", ExportName(settings), settings.folder));
  std::size_t to_make = 0, to_keep = 0, bad = 0;
  for (std::size_t r = 0; r < file.rows.size(); ++r) {
    const RowOutcome& row = planned[r];
    const std::string line = std::to_string(row.line);
    if (row.result == RowResult::kBadRow) {
      Say(TrF("  line %s: bad row, skipped: %s", line, row.message));
      ++bad;
      continue;
    }
    const bool exists = platform::PathExists(InFolder(settings.folder, row.document));
    const bool keep = settings.resume && MadeBefore(settings.earlier, row) && exists;
    std::string what = TrF("  line %s: %s %s-%s (server %s)", line, row.account, row.year,
                           row.period, file.rows[r].server) +
                       (settings.type.empty() ? ""
                                              : TrF(", template %s", file.rows[r].template_file)) +
                       " -> " + row.document;
    if (keep) {
      what += Tr(": kept when it still passes its checks (made and passed in the earlier run)");
      ++to_keep;
    } else {
      what += Tr(": made");
      if (exists && MadeFromOtherInputs(settings.earlier, row)) {
        what += Tr(" (the earlier one, made from other inputs, goes to earlier/ first)");
      } else if (exists) {
        what += Tr(" (the earlier one is replaced once the new one passed its checks, else set "
                   "aside in earlier/)");
      }
      ++to_make;
    }
    Say(what);
  }
  Say(TrF("%s rows: %s to make, %s to keep if they still pass, %s bad; no report tool was run",
          std::to_string(file.rows.size()), std::to_string(to_make), std::to_string(to_keep),
          std::to_string(bad)));
  if (planned.size() > file.rows.size()) {
    Say(TrF("%s more rows of the summary in %s are not in this run and stay as they are",
            std::to_string(planned.size() - file.rows.size()), settings.folder));
  }
  const std::string unwritable = FolderWriteFault(settings.folder);
  Say(unwritable.empty() ? TrF("%s can be written", settings.folder) : unwritable);
  if (doctor != kExitSuccess) return kExitCheckFailed;
  if (!unwritable.empty()) return kExitCannotRun;
  return bad > 0 ? kExitExportFailed : kExitSuccess;
}

int RunBatch(const Options& o) {
  const std::string accounts = ArgumentToGbk(o.accounts);
  int status = kExitSuccess;
  const std::optional<AccountsFile> file = ReadAccounts(o, accounts, status);
  if (!file) return status;

  BatchSettings settings;
  std::vector<std::string> rule_files;
  for (const std::string& rules : o.rules) rule_files.push_back(ArgumentToGbk(rules));
  std::optional<std::vector<Layout>> layouts = LayoutsWithRuleFiles(rule_files, status);
  if (!layouts) return status;
  settings.layouts = std::move(*layouts);
  settings.folder = ArgumentToGbk(o.output);
  settings.financial = o.financial;
  settings.type = o.type;
  settings.html = o.html;
  settings.resume = o.resume;
  settings.shared_inputs = SharedInputs(o.type.empty(), o.financial, rule_files);
  SummaryRecord record(settings.folder, o.html, TrF("vokqm7 batch %s", accounts));
  // Until this run has its own outcome for a row, the earlier one stands.
  const std::optional<std::string> earlier = ReadFileBytes(record.csv());
  if (!earlier && o.resume) {
    Complain(TrF("no summary of an earlier run in %s: every row is made", record.csv()));
  }
  settings.earlier = ReadEarlierSummary(earlier.value_or(""));
  std::vector<RowOutcome> outcomes = PlannedOutcomes(file->rows, settings);
  if (o.check) return CheckBatch(*file, settings, outcomes);

  if (!MakeFolders(settings.folder)) {
    Complain(TrF("cannot create the folder %s", settings.folder));
    return kExitCannotRun;
  }
  const std::vector<std::string> removed = RemoveLeftTemporaries(settings.folder);
  if (!removed.empty()) {
    std::string names;
    for (const std::string& name : removed) names += (names.empty() ? "" : ", ") + name;
    Complain(TrF("removed what a killed run left in %s: %s", settings.folder, names));
  }
  // A run that cannot keep its record does not start.
  if (!record.Write(outcomes)) return kExitCannotRun;
  std::string error;
  const std::optional<LoadedLibrary> library = LoadVokLibrary(error);
  if (!library) {
    Complain(error);
    return kExitCannotRun;
  }

  Complain(TrF("%s for the accounts of %s (%s) into %s", ExportName(settings), accounts,
               Tr(EncodingName(file->encoding)), settings.folder));
  bool stopped = false;
  bool asked = false;
  {
    const StopRequests stop;
    stopped = RunRows(library->functions, file->rows, settings, stop, outcomes,
                      [&record](const std::vector<RowOutcome>& so_far) { record.Write(so_far); });
    asked = stop.Asked();
  }
  for (const std::string& line : SummaryTable(outcomes)) Say(line);
  Say(SummaryTotals(outcomes));
  if (!record.current() && !record.Write(outcomes)) {
    Complain(TrF("the summary in %s is not this run's: what it says is stale", settings.folder));
    return kExitCannotRun;
  }
  if (stopped) {
    Complain(Tr("stopped by Ctrl-C after the call in progress; run the same batch with --resume "
                "to make the rest"));
    return kExitInterrupted;
  }
  if (asked) Complain(Tr("Ctrl-C came during the last call: every row was done"));
  return BatchExitStatus(outcomes);
}

}  // namespace

void AddBatchCommand(CLI::App& app, int& status) {
  auto o = std::make_shared<Options>();
  CLI::App* command = app.add_subcommand(
      "batch",
      Tr("the filing of every account of a CSV file into DIR, each checked as show checks it, "
         "with a summary"));
  o->command = command;
  command->add_option("accounts", o->accounts,
                      Tr("CSV file (UTF-8 with or without byte-order mark, or GBK) whose first "
                         "line names the columns account, year, period, server (and template); "
                         "a row's own value wins over the options"))
      ->required();
  command->add_option("-o,--output", o->output,
                      Tr("folder for the documents, summary.csv (UTF-8 with byte-order mark) and, "
                         "with --html, the pages; made when missing"))
      ->required();
  CLI::Option* financial = command->add_flag(
      "--financial", o->financial, Tr("use the financial-report templates (GetReportDateV2)"));
  command->add_option("--type", o->type,
                      Tr("one statement of each account through GetReportV2: zcfzb (balance "
                         "sheet) or syb (income statement), into "
                         "DIR/<account>-<year>-<period>-<type>.xml"))
      ->check(CLI::IsMember({"zcfzb", "syb"}))
      ->excludes(financial);
  command->add_option("--template", o->template_file,
                      Tr("with --type: the report template (FileRep) for the rows without a "
                         "template column value"));
  command->add_option("--year", o->year, Tr("year for the rows without one"));
  command->add_option("--period", o->period, Tr("period, the month, for the rows without one"));
  command->add_option("--server", o->server, Tr("accounting server for the rows without one"));
  command->add_flag("--resume", o->resume,
                    Tr("keep the documents an earlier run into the same folder made and saw pass "
                       "their checks (and that still pass) from the same inputs: account, year, "
                       "period, server, export, template (its path and content) and rules; make "
                       "the rest"));
  command->add_option("--rules", o->rules,
                      Tr("a rules file (UTF-8) with the arithmetic of a template of your own, as "
                         "show --rules takes it; may be given more than once"));
  command->add_flag("--html", o->html,
                    Tr("also write each document as a page, as show --html does, and summary.html "
                       "linking them, failures first"));
  command->add_flag("--check", o->check,
                    Tr("read and check the accounts file and the installation (as doctor does) "
                       "and say what a run would make, under which names, and which rows are "
                       "bad, and whether DIR can be written, without running the report tool "
                       "(exit status 0 when a run could start, 1 for bad rows, 3 when doctor "
                       "finds a problem, 4 when DIR cannot be written)"));
  command->footer(
      Tr("Ctrl-C stops the batch once the call in progress has ended (the report tool is never "
         "stopped in the middle of a run), then the summary of what was done is written and the "
         "exit status is 130. summary.csv is replaced whole after every row; a row keeps the "
         "earlier run's outcome, marked \"to do\", until this run has its own. A document is "
         "made under a temporary name and replaces the earlier one only when it passed its "
         "checks; an earlier document that a failed rerun leaves goes to DIR/earlier/, named with "
         "the time it was made, and the summary says the enterprise has no current filing; so "
         "does one that the summary says was made from other inputs, before it is made again. "
         "Two rows that differ only by their server get "
         "DIR/<account>-<server>-<year>-<period>.xml. Over several runs DIR holds the latest "
         "document of every account a run named, and summary.csv is the folder's record: a run "
         "updates the rows of its accounts (this run's first) and keeps every other row as it "
         "was, marked \"not in this run\", with the inputs each document was made from. A run "
         "first removes the temporary files a killed run left in DIR.") +
      "\n\n" +
      Tr("Exit status: 0 only when every row was made and passed its checks, 3 when a check "
         "failed, 5 when none failed but a document was not checked, 1 when an export failed or "
         "a row is bad, 4 when the summary could not be written, 130 when stopped by Ctrl-C."));
  command->callback([&status, o] {
    if (o->type.empty() && o->command->count("--template") > 0) {
      Complain(Tr("--template is for --type: the combined filings take the installation's own "
                  "templates"));
      status = kExitUsage;
      return;
    }
    status = RunBatch(*o);
  });
}

}  // namespace vok::tool

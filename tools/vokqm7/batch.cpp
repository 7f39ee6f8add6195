// batch: every enterprise's combined filing of an accounts file made and
// checked in one run, with progress, a summary, and a way to stop and go on.
#include <memory>
#include <optional>
#include <string>

#include "batch/accounts_file.h"
#include "batch/resume.h"
#include "batch/runner.h"
#include "batch/summary.h"
#include "batch/summary_html.h"
#include "commands.h"
#include "exit_codes.h"
#include "host.h"
#include "library.h"
#include "output.h"
#include "platform/files.h"
#include "show.h"

namespace vok::tool {
namespace {

struct Options {
  std::string accounts, output, year, period, server;
  std::vector<std::string> rules;
  bool financial = false, resume = false, html = false;
  CLI::App* command = nullptr;
};

std::optional<std::string> Given(const Options& o, const char* name, const std::string& value) {
  if (o.command->count(name) == 0) return std::nullopt;
  return ArgumentToGbk(value);
}

bool WriteSummary(const std::string& csv, const std::vector<RowOutcome>& outcomes) {
  return platform::ReplaceFileAtomically(csv, SummaryCsv(outcomes));
}

// The rows of the accounts file, the bad ones told on stderr; nothing with
// `status` set when the file cannot be used.
std::optional<AccountsFile> ReadAccounts(const Options& o, const std::string& path, int& status) {
  const std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) {
    Complain("cannot read the accounts file " + path);
    status = kExitCannotRun;
    return std::nullopt;
  }
  AccountDefaults defaults;
  defaults.year = Given(o, "--year", o.year);
  defaults.period = Given(o, "--period", o.period);
  defaults.server = Given(o, "--server", o.server);
  AccountsFault fault;
  std::optional<AccountsFile> file = ReadAccountsFile(*bytes, defaults, fault);
  if (!file) {
    Complain("the accounts file " + path + " cannot be used: " + fault.text);
    status = fault.usage ? kExitUsage : kExitExportFailed;
    return std::nullopt;
  }
  for (const AccountRow& row : file->rows) {
    if (!row.problem.empty()) Complain(path + ": " + row.problem + "; the row is skipped");
  }
  return file;
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
  settings.html = o.html;
  settings.resume = o.resume;
  if (!MakeFolders(settings.folder)) {
    Complain("cannot create the folder " + settings.folder);
    return kExitCannotRun;
  }
  const std::string csv = InFolder(settings.folder, "summary.csv");
  if (o.resume) {
    const std::optional<std::string> earlier = ReadFileBytes(csv);
    if (!earlier) Complain("no summary of an earlier run in " + csv + ": every row is made");
    settings.earlier = ReadEarlierSummary(earlier.value_or(""));
  }
  std::vector<RowOutcome> outcomes = PlannedOutcomes(file->rows, settings);
  if (!WriteSummary(csv, outcomes)) {
    Complain("cannot write " + csv);
    return kExitCannotRun;
  }
  std::string error;
  const std::optional<LoadedLibrary> library = LoadVokLibrary(error);
  if (!library) {
    Complain(error);
    return kExitCannotRun;
  }

  Complain(std::string(ExportName(settings)) + " for the accounts of " + accounts + " (" +
           EncodingName(file->encoding) + ") into " + settings.folder);
  bool stopped = false;
  bool asked = false;
  {
    const StopRequests stop;
    stopped = RunRows(library->functions, file->rows, settings, stop, outcomes,
                      [&csv](const std::vector<RowOutcome>& so_far) { WriteSummary(csv, so_far); });
    asked = stop.Asked();
  }
  for (const std::string& line : SummaryTable(outcomes)) Say(line);
  Say(SummaryTotals(outcomes));
  if (!WriteSummary(csv, outcomes)) {
    Complain("cannot write " + csv);
    return kExitCannotRun;
  }
  if (o.html) {
    const std::string page = InFolder(settings.folder, "summary.html");
    if (!WriteDocument(page, SummaryHtml(outcomes, "vokqm7 batch " + accounts), true)) {
      Complain("cannot write " + page);
      return kExitCannotRun;
    }
  }
  if (stopped) {
    Complain("stopped by Ctrl-C after the call in progress; run the same batch with --resume "
             "to make the rest");
    return kExitInterrupted;
  }
  if (asked) Complain("Ctrl-C came during the last call: every row was done");
  return BatchExitStatus(outcomes);
}

}  // namespace

void AddBatchCommand(CLI::App& app, int& status) {
  auto o = std::make_shared<Options>();
  CLI::App* command = app.add_subcommand(
      "batch",
      "the combined filing of every account of a CSV file into DIR/<account>-<year>-<period>.xml, "
      "each checked as show checks it, with a summary (exit status 0 only when every row was made "
      "and passed its checks, 3 when a check failed, 5 when none failed but a document was not "
      "checked, 1 when an export failed or a row is bad, 130 when stopped by Ctrl-C)");
  o->command = command;
  command->add_option("accounts", o->accounts,
                      "CSV file (UTF-8 with or without byte-order mark, or GBK) whose first line "
                      "names the columns account, year, period, server; a row's own value wins "
                      "over the options")->required();
  command->add_option("-o,--output", o->output,
                      "folder for the documents, summary.csv (UTF-8 with byte-order mark) and, "
                      "with --html, the pages; made when missing")->required();
  command->add_flag("--financial", o->financial,
                    "use the financial-report templates (GetReportDateV2)");
  command->add_option("--year", o->year, "year for the rows without one");
  command->add_option("--period", o->period, "period, the month, for the rows without one");
  command->add_option("--server", o->server, "accounting server for the rows without one");
  command->add_flag("--resume", o->resume,
                    "keep the documents an earlier run into the same folder made and saw pass "
                    "their checks (and that still pass), and make the rest");
  command->add_option("--rules", o->rules,
                      "a rules file (UTF-8) with the arithmetic of a template of your own, as "
                      "show --rules takes it; may be given more than once");
  command->add_flag("--html", o->html,
                    "also write each document as a page, as show --html does, and summary.html "
                    "linking them, failures first");
  command->footer(
      "Ctrl-C stops the batch once the call in progress has ended (the report tool is never "
      "stopped in the middle of a run), then the summary of what was done is written and the "
      "exit status is 130. A document that is made again is removed first, so that a failure "
      "leaves none behind.");
  command->callback([&status, o] { status = RunBatch(*o); });
}

}  // namespace vok::tool

// batch: every enterprise's combined filing of an accounts file made and
// checked in one run, with progress, a summary, and a way to stop and go on.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "batch/accounts_file.h"
#include "batch/check_run.h"
#include "batch/folder_lock.h"
#include "batch/folder_review.h"
#include "batch/folder_state.h"
#include "batch/inputs.h"
#include "batch/resume.h"
#include "batch/runner.h"
#include "batch/summary.h"
#include "batch/summary_record.h"
#include "commands.h"
#include "exit_codes.h"
#include "host.h"
#include "language/language.h"
#include "library.h"
#include "output.h"
#include "show.h"

namespace vok::tool {
namespace {

struct Options {
  std::string accounts, output, year, period, server, type, template_file, encoding;
  std::uint32_t wait = 60;  // seconds
  std::vector<std::string> rules;
  bool financial = false, resume = false, html = false, check = false;
  CLI::App* command = nullptr;
};

std::optional<std::string> Given(const Options& o, const char* name, const std::string& value) {
  if (o.command->count(name) == 0) return std::nullopt;
  return ArgumentToGbk(value);
}

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
  if (!o.encoding.empty()) {
    defaults.encoding = o.encoding == "gbk" ? CsvEncoding::kGbk : CsvEncoding::kUtf8;
  }
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

// Told on stderr, each line.
void ComplainAll(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) Complain(line);
}

// The files in DIR the run writes or replaces that are in its way (a
// document --resume may keep is left to its row).
std::vector<std::string> InTheWay(const BatchSettings& settings, const SummaryRecord& record,
                                  const std::vector<RowOutcome>& outcomes) {
  std::vector<std::string> names = record.Names();
  for (const RowOutcome& row : outcomes) {
    if (row.result != RowResult::kToDo) continue;
    if (settings.resume && MadeBefore(settings.earlier, row)) continue;
    names.push_back(row.document);
    if (settings.html) names.push_back(row.document.substr(0, row.document.size() - 4) + ".html");
  }
  return FileWriteFaults(settings.folder, names);
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
  settings.shared = ReadSharedInputs(o.type.empty(), o.financial, rule_files);
  SummaryRecord record(settings.folder, o.html, TrF("vokqm7 batch %s", accounts));
  if (o.check) return CheckBatch(*file, settings, record.Names());

  if (!MakeFolders(settings.folder)) {
    Complain(TrF("cannot create the folder %s", settings.folder));
    return kExitCannotRun;
  }
  // From here on the folder is this run's alone, until it ends.
  std::unique_ptr<FolderLock> lock;
  switch (FolderLock::Take(settings.folder, o.wait, lock)) {
    case FolderLock::Outcome::kTaken: break;
    case FolderLock::Outcome::kBusy: return kExitFolderBusy;
    case FolderLock::Outcome::kFailed: return kExitCannotRun;
  }
  // Until this run has its own outcome for a row, the earlier one stands.
  FolderRecord earlier = ReadFolderRecord(settings.folder, true);
  ComplainAll(earlier.told);
  if (earlier.status != 0) return earlier.status;
  if (!earlier.found && o.resume) {
    Complain(TrF("no summary of an earlier run in %s: every row is made", record.csv()));
  }
  settings.earlier = std::move(earlier.summary.rows);
  record.KeepUnread(std::move(earlier.summary.unread));
  const std::vector<std::string> removed = RemoveLeftTemporaries(settings.folder);
  if (!removed.empty()) {
    std::string names;
    for (const std::string& name : removed) names += (names.empty() ? "" : ", ") + name;
    Complain(TrF("removed what a killed run left in %s: %s", settings.folder, names));
  }
  std::vector<RowOutcome> outcomes = PlannedOutcomes(file->rows, settings);
  const std::vector<std::string> in_the_way = InTheWay(settings, record, outcomes);
  ComplainAll(in_the_way);
  if (!in_the_way.empty()) return kExitCannotRun;
  const Recorder write = [&record](const std::vector<RowOutcome>& rows) {
    return record.Write(rows);
  };
  std::vector<std::string> superseded;
  Supersede(file->rows, settings, outcomes, write, true, superseded);
  ComplainAll(superseded);
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
  RowsEnd end = RowsEnd::kDone;
  bool asked = false;
  {
    const StopRequests stop;
    end = RunRows(library->functions, file->rows, settings, stop, outcomes, write,
                  [&lock] { return lock->StillHeld(); });
    asked = stop.Asked();
  }
  for (const std::string& line : SummaryTable(outcomes)) Say(line);
  Say(SummaryTotals(outcomes));
  if (!record.current() && !record.Write(outcomes)) {
    Complain(TrF("the summary in %s is not this run's: what it says is stale", settings.folder));
    return kExitCannotRun;
  }
  if (end == RowsEnd::kFolderFailed) {
    Complain(TrF("the run stopped, as %s cannot take more now (see above); the rows left are to "
                 "do, and each document is as its row says",
                 settings.folder));
    return kExitCannotRun;
  }
  if (end == RowsEnd::kStopped) {
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
  command->add_option("--accounts-encoding", o->encoding,
                      Tr("what the accounts file is encoded in, utf-8 or gbk, for a file without "
                         "a byte-order mark whose bytes read as text both ways (it is refused "
                         "until this says which)"))
      ->check(CLI::IsMember({"utf-8", "gbk"}));
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
                       "their checks from the same inputs (account, year, period, server, "
                       "export, template (its path and content) and rules), where the folder "
                       "still holds them as recorded (their SHA-256), they state the row's "
                       "period and statements and still pass; make the rest"));
  command->add_option("--wait", o->wait,
                      Tr("seconds to wait while another batch holds DIR, from this desk or "
                         "another (default 60); then exit status 6, saying who holds it"));
  command->add_option("--rules", o->rules,
                      Tr("a rules file (UTF-8) with the arithmetic of a template of your own, as "
                         "show --rules takes it; may be given more than once"));
  command->add_flag("--html", o->html,
                    Tr("also write each document as a page, as show --html does, and summary.html "
                       "linking them, failures first"));
  command->add_flag("--check", o->check,
                    Tr("read and check the accounts file and the installation (as doctor does) "
                       "and say what a run would make, under which names, and which rows are "
                       "bad, what it would do first in DIR, whether DIR and every file the run "
                       "writes can be written, whether its volume has room, and whether another "
                       "batch holds it, without running the report tool or writing anything "
                       "(exit status 0 when a run could start, 1 for bad rows, 2 for a "
                       "summary.csv this tool did not write, 3 when doctor finds a problem, 4 "
                       "when DIR or a file cannot be written or there is no room, 6 when another "
                       "batch holds DIR)"));
  command->footer(
      Tr("One batch at a time writes into DIR, from any desk: a run holds DIR/.vokqm7-batch.lock "
         "from start to end, and another waits for it (--wait). Ctrl-C stops the batch once "
         "the call in progress has ended (the report tool is never "
         "stopped in the middle of a run), then the summary of what was done is written and the "
         "exit status is 130. summary.csv is replaced whole after every row; a row keeps the "
         "earlier run's outcome, marked \"to do\", until this run has its own. It records of "
         "each document its SHA-256, the report period and statements it states and the "
         "enterprise it names: a row vouches only for the document the folder holds so. A "
         "document is made under a temporary name, its row is recorded as pending, and only then "
         "does it take its name; the next run settles a pending row that a killed run left by "
         "what the folder holds. An earlier document that a failed rerun leaves goes to "
         "DIR/earlier/, named with the time it was made, and the summary says the enterprise has "
         "no current filing; so does one that the summary says was made from other inputs, or "
         "that is not the one it recorded, when it is made again, and one whose server the "
         "accounts file no longer lists for its account and period. Two rows that differ only by "
         "their server get DIR/<account>-<server>-<year>-<period>.xml. Over several runs DIR "
         "holds the latest document of every account a run named, and summary.csv is the "
         "folder's record: a run updates the rows of its accounts (this run's first) and keeps "
         "every other row as it was, marked \"not in this run\", with the inputs each document "
         "was made from. A summary.csv that a program saved otherwise (another separator, a "
         "column added or renamed) stops the run and is left as it is; its lines that cannot be "
         "read are kept as they are. A run first removes the temporary files a killed run left "
         "in DIR.") +
      "\n\n" +
      Tr("Exit status: 0 only when every row was made and passed its checks, 3 when a check "
         "failed, 5 when none failed but a document was not checked, 1 when an export failed or "
         "a row is bad, 2 when summary.csv is not as this tool writes it, 4 when DIR or the "
         "summary cannot be written or DIR's volume is full, 6 when another batch holds DIR, "
         "130 when stopped by Ctrl-C."));
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

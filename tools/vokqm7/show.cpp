// show: a filing document as tables with its checks, in the terminal or as
// a web page.
#include "show.h"

#include <exception>
#include <memory>
#include <optional>
#include <vector>

#include "commands.h"
#include "exit_codes.h"
#include "host.h"
#include "language/language.h"
#include "output.h"
#include "checks/checks.h"
#include "show/filing_document.h"
#include "show/html_view.h"
#include "show/text_view.h"

namespace vok::tool {
namespace {

constexpr const char* kCannotShow = N_("cannot show %s: %s");

struct Options {
  std::string file, output;
  std::vector<std::string> rules;
  bool html = false;
};

// The document at the path, or nothing with the reason told and `status`
// set. `cannot`, an N_() text, says why it cannot be shown: "%s" the path,
// then "%s" the fault.
std::optional<FilingDocument> Load(const std::string& path, const char* cannot, int& status) {
  const std::optional<std::string> bytes = ReadFileOrComplain(path, N_("cannot read %s"), status);
  if (!bytes) return std::nullopt;
  std::string fault;
  std::optional<FilingDocument> document = ReadDocumentBytes(*bytes, fault, status);
  if (!document) Complain(TrF(cannot, path, fault));
  return document;
}

// The tables and checks on stdout; the exit status.
int Show(const std::string& path, const char* cannot, const std::vector<Layout>& layouts) {
  int status = kExitSuccess;
  const std::optional<FilingDocument> document = Load(path, cannot, status);
  if (!document) return status;
  const std::vector<CheckResult> checks = CheckFilingDocument(*document, layouts);
  for (const std::string& line : RenderText(*document, checks)) Say(line);
  return ChecksExitStatus(checks);
}

int RunShow(const Options& o) {
  int status = kExitSuccess;
  std::vector<std::string> rule_files;
  for (const std::string& file : o.rules) rule_files.push_back(ArgumentToGbk(file));
  const std::optional<std::vector<Layout>> layouts = LayoutsWithRuleFiles(rule_files, status);
  if (!layouts) return status;
  const std::string path = ArgumentToGbk(o.file);
  if (!o.html) return ShowFilingDocument(path, *layouts);
  const std::optional<FilingDocument> document = Load(path, kCannotShow, status);
  if (!document) return status;
  const std::vector<CheckResult> checks = CheckFilingDocument(*document, *layouts);
  const std::string output = ArgumentToGbk(o.output);
  if (!WriteDocument(output, RenderHtml(*document, checks, path), true)) {
    Complain(TrF("cannot write %s", output));
    return kExitCannotRun;
  }
  status = ChecksExitStatus(checks);
  Say(status == kExitCheckFailed ? TrF("page written to %s; a check FAILED", output)
      : status == kExitNotChecked
          ? TrF("page written to %s; no check failed, but a statement was NOT CHECKED", output)
          : TrF("page written to %s; no check failed", output));
  return status;
}

}  // namespace

std::optional<FilingDocument> ReadDocumentBytes(std::string_view bytes, std::string& fault,
                                                int& status) {
  std::optional<FilingDocument> document;
  try {
    document = ReadFilingDocument(bytes, fault);
  } catch (const std::exception& error) {
    // The DOM could not be had (XmlError), or the file is past what memory holds.
    fault = error.what();
    status = kExitCannotRun;
    return std::nullopt;
  }
  if (!document) status = kExitExportFailed;
  return document;
}

std::optional<std::vector<Layout>> LayoutsWithRuleFiles(const std::vector<std::string>& gbk_paths,
                                                        int& status) {
  std::vector<Layout> layouts = ShippedLayouts();
  for (const std::string& path : gbk_paths) {
    const std::optional<std::string> bytes =
        ReadFileOrComplain(path, N_("cannot read the rules file %s"), status);
    if (!bytes) return std::nullopt;
    std::string error;
    std::optional<std::vector<Layout>> read = ReadRuleFile(*bytes, path, false, error);
    if (!read) {
      Complain(TrF("the rules file does not read: %s", error));
      status = kExitUsage;
      return std::nullopt;
    }
    layouts.insert(layouts.end(), read->begin(), read->end());
  }
  return layouts;
}

int ChecksExitStatus(const std::vector<CheckResult>& checks) {
  if (AnyCheckFailed(checks)) return kExitCheckFailed;
  return AnyNotChecked(checks) ? kExitNotChecked : kExitSuccess;
}

int ShowFilingDocument(const std::string& gbk_path, const std::vector<Layout>& layouts) {
  return Show(gbk_path, kCannotShow, layouts);
}

int ShowExportedDocument(const std::string& gbk_path) {
  const int status =
      Show(gbk_path, N_("check FAILED: the export succeeded, but %s cannot be shown: %s"),
           ShippedLayouts());
  return status == kExitExportFailed ? kExitCheckFailed : status;
}

void AddShowCommand(CLI::App& app, int& status) {
  auto o = std::make_shared<Options>();
  CLI::App* command = app.add_subcommand(
      "show",
      Tr("print a filing document's statements as tables and check that they add up under the "
         "rules of their layouts"));
  command->footer(
      Tr("Exit status: 0 only when every statement was checked and every check passed, 3 when "
         "one fails, 5 when none failed but a statement was not checked (its layout not "
         "recognised or of another kind, no rule could compare its figures, or every amount "
         "zero), 1 when the file is no filing document that can be read."));
  command->add_option("file", o->file, Tr("the filing document (DZSBB, GBK or UTF-8)"))
      ->required();
  CLI::Option* html = command->add_flag(
      "--html", o->html, Tr("write the tables and checks as one self-contained web page instead"));
  CLI::Option* output =
      command->add_option("-o,--output", o->output, Tr("with --html: the page to write (UTF-8)"));
  command->add_option(
      "--rules", o->rules,
      Tr("a rules file (UTF-8) with the arithmetic of a template of your own, beside the shipped "
         "layouts; may be given more than once (docs/checks.md)"));
  html->needs(output);
  output->needs(html);
  command->callback([&status, o] { status = RunShow(*o); });
}

}  // namespace vok::tool

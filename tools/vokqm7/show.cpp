// show: a filing document as tables with its checks, in the terminal or as
// a web page.
#include "show.h"

#include <exception>
#include <memory>
#include <optional>

#include "commands.h"
#include "exit_codes.h"
#include "host.h"
#include "output.h"
#include "show/checks.h"
#include "show/filing_document.h"
#include "show/html_view.h"
#include "show/text_view.h"

namespace vok::tool {
namespace {

struct Options {
  std::string file, output;
  bool html = false;
};

// The document at the path, or nothing with the reason told and `status`
// set. `cannot` leads the message that says why it cannot be shown.
std::optional<FilingDocument> Load(const std::string& path, const std::string& cannot,
                                   int& status) {
  const std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) {
    Complain("cannot read " + path);
    status = kExitCannotRun;
    return std::nullopt;
  }
  std::string fault;
  std::optional<FilingDocument> document = ReadDocumentBytes(*bytes, fault, status);
  if (!document) Complain(cannot + ": " + fault);
  return document;
}

// The tables and checks on stdout; the exit status.
int Show(const std::string& path, const std::string& cannot) {
  int status = kExitSuccess;
  const std::optional<FilingDocument> document = Load(path, cannot, status);
  if (!document) return status;
  const std::vector<CheckResult> checks = CheckFilingDocument(*document);
  for (const std::string& line : RenderText(*document, checks)) Say(line);
  return AnyCheckFailed(checks) ? kExitCheckFailed : kExitSuccess;
}

int RunShow(const Options& o) {
  const std::string path = ArgumentToGbk(o.file);
  if (!o.html) return ShowFilingDocument(path);
  int status = kExitSuccess;
  const std::optional<FilingDocument> document = Load(path, "cannot show " + path, status);
  if (!document) return status;
  const std::vector<CheckResult> checks = CheckFilingDocument(*document);
  const std::string output = ArgumentToGbk(o.output);
  if (!WriteDocument(output, RenderHtml(*document, checks, path), true)) {
    Complain("cannot write " + output);
    return kExitCannotRun;
  }
  const bool failed = AnyCheckFailed(checks);
  Say("page written to " + output + (failed ? "; a check FAILED" : "; no check failed"));
  return failed ? kExitCheckFailed : kExitSuccess;
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

int ShowFilingDocument(const std::string& gbk_path) {
  return Show(gbk_path, "cannot show " + gbk_path);
}

int ShowExportedDocument(const std::string& gbk_path) {
  const int status =
      Show(gbk_path, "check FAILED: the export succeeded, but " + gbk_path + " cannot be shown");
  return status == kExitExportFailed ? kExitCheckFailed : status;
}

void AddShowCommand(CLI::App& app, int& status) {
  auto o = std::make_shared<Options>();
  CLI::App* command = app.add_subcommand(
      "show",
      "print a filing document's statements as tables and check that they add up "
      "(exit status 0 only when every check ran and passed, 3 when one fails, 1 when the "
      "file is no filing document that can be read)");
  command->add_option("file", o->file, "the filing document (DZSBB, GBK or UTF-8)")->required();
  CLI::Option* html = command->add_flag(
      "--html", o->html, "write the tables and checks as one self-contained web page instead");
  CLI::Option* output =
      command->add_option("-o,--output", o->output, "with --html: the page to write (UTF-8)");
  html->needs(output);
  output->needs(html);
  command->callback([&status, o] { status = RunShow(*o); });
}

}  // namespace vok::tool

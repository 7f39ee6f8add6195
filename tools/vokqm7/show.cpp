// show: a filing document as tables with its checks.
#include "show.h"

#include <memory>
#include <optional>

#include "commands.h"
#include "exit_codes.h"
#include "host.h"
#include "output.h"
#include "platform/xml.h"
#include "show/checks.h"
#include "show/filing_document.h"
#include "show/text_view.h"

namespace vok::tool {
namespace {

struct Options {
  std::string file;
};

// The document at the path, or nothing with the reason told and `status`
// set.
std::optional<FilingDocument> Load(const std::string& path, int& status) {
  const std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) {
    Complain("cannot read " + path);
    status = kExitCannotRun;
    return std::nullopt;
  }
  std::string fault;
  std::optional<FilingDocument> document;
  try {
    document = ReadFilingDocument(*bytes, fault);
  } catch (const platform::XmlError& error) {
    Complain(std::string("the XML parser is not available: ") + error.what());
    status = kExitCannotRun;
    return std::nullopt;
  }
  if (!document) {
    Complain("cannot show " + path + ": " + fault);
    status = kExitExportFailed;
  }
  return document;
}

int RunShow(const Options& o) { return ShowFilingDocument(ArgumentToGbk(o.file)); }

}  // namespace

int ShowFilingDocument(const std::string& gbk_path) {
  int status = kExitSuccess;
  const std::optional<FilingDocument> document = Load(gbk_path, status);
  if (!document) return status;
  const std::vector<CheckResult> checks = CheckFilingDocument(*document);
  for (const std::string& line : RenderText(*document, checks)) Say(line);
  return AnyCheckFailed(checks) ? kExitCheckFailed : kExitSuccess;
}

void AddShowCommand(CLI::App& app, int& status) {
  auto o = std::make_shared<Options>();
  CLI::App* command = app.add_subcommand(
      "show",
      "print a filing document's statements as tables and check that they add up "
      "(exit status 3 when a check fails)");
  command->add_option("file", o->file, "the filing document (DZSBB, GBK or UTF-8)")->required();
  command->callback([&status, o] { status = RunShow(*o); });
}

}  // namespace vok::tool

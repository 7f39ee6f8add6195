// convert: one section writer run offline on a cell export, the way a
// template author checks what a changed template turns into.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "commands.h"
#include "exit_codes.h"
#include "host.h"
#include "language/language.h"
#include "request/message_buffer.h"
#include "output.h"
#include "platform/clock.h"
#include "platform/xml.h"
#include "sections/section_writers.h"

namespace vok::tool {
namespace {

using SectionWriter = std::int32_t (*)(const std::string&, std::string&, std::int32_t,
                                       std::int32_t, MessageBuffer&);

const std::map<std::string, SectionWriter> kLayouts = {
    {"balance-1", WriteBalanceSheetSectionV1},    {"balance-2", WriteBalanceSheetSectionV2},
    {"income-1", WriteIncomeStatementSectionV1},  {"income-2", WriteIncomeStatementSectionV2},
    {"income-3", WriteIncomeStatementSectionV3},
};

struct Options {
  std::string layout, export_file, output;
  int year = 0;
  int period = 0;
  bool check = false;
  bool utf8 = false;
  CLI::App* command = nullptr;
};

// True when the section is well-formed XML to the platform's parser (libxml2
// on Linux, MSXML on Windows).
bool WellFormed(const std::string& section) {
  platform::XmlSession session;
  platform::XmlDocument document = platform::XmlDocument::Create();
  return document.LoadText(section) == platform::XmlLoad::kParsed;
}

int RunConvert(const Options& o) {
  const platform::LocalDate today = platform::Today();
  const int year = o.command->count("--year") > 0 ? o.year : today.year;
  const int period = o.command->count("--period") > 0 ? o.period : today.month;
  std::string section;
  char text[256] = "";
  MessageBuffer message(text);
  std::int32_t result = -1;
  {
    // The writers read the export through the DOM, which needs its session.
    platform::XmlSession session;
    result = kLayouts.at(o.layout)(ArgumentToGbk(o.export_file), section, year, period, message);
  }
  if (result != 0) {
    Complain(TrF("the %s writer failed: %s", o.layout, text));
    return kExitExportFailed;
  }
  if (o.command->count("-o") > 0) {
    const std::string output = ArgumentToGbk(o.output);
    if (!WriteDocument(output, section, o.utf8)) {
      Complain(TrF("cannot write %s", output));
      return kExitCannotRun;
    }
    const std::string bytes = std::to_string(section.size());
    Say(o.utf8 ? TrF("section written to %s (%s GBK bytes, stored as UTF-8)", output, bytes)
               : TrF("section written to %s (%s GBK bytes)", output, bytes));
  } else {
    Say(section);
  }
  if (!o.check) return kExitSuccess;
  bool well_formed = false;
  try {
    well_formed = WellFormed(section);
  } catch (const platform::XmlError& error) {
    Complain(TrF("the XML parser is not available: %s", error.what()));
    return kExitCannotRun;
  }
  if (!well_formed) {
    Complain(Tr("check: the section is NOT well-formed XML"));
    return kExitCheckFailed;
  }
  Say(Tr("check: the section is well-formed XML"));
  return kExitSuccess;
}

}  // namespace

void AddConvertCommand(CLI::App& app, int& status) {
  auto o = std::make_shared<Options>();
  CLI::App* command = app.add_subcommand(
      "convert", Tr("run one section writer on a cell export and print the section (no "
                    "library call, no installation needed)"));
  o->command = command;
  std::map<std::string, std::string> names;
  for (const auto& layout : kLayouts) names[layout.first] = layout.first;
  command->add_option("--layout", o->layout,
                      Tr("balance-1: two-sided balance sheet of eight columns; balance-2: "
                         "balance sheet, columns from the header row; income-1: four-column "
                         "monthly income statement; income-2: year and prior-year amounts; "
                         "income-3: monthly items and a supplementary block"))
      ->required()
      ->check(CLI::IsMember(names));
  command->add_option("export", o->export_file, Tr("the cell export (XML) to convert"))
      ->required();
  command->add_option("--year", o->year, Tr("the filing year (default: this year)"));
  command->add_option("--period", o->period, Tr("the filing period (default: this month)"));
  command->add_option("-o,--output", o->output,
                      Tr("write the section's GBK bytes, exactly as the writer appends them to a "
                         "filing document, to this file instead of printing it"));
  command->add_flag("--utf8", o->utf8, Tr("with -o: write the section as UTF-8"));
  command->add_flag("--check", o->check,
                    Tr("parse the section and report whether it is well formed"));
  command->callback([&status, o] { status = RunConvert(*o); });
}

}  // namespace vok::tool

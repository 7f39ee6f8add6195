// vokqm7: the support and integration tool around the VOKQM7 library.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

#include "commands.h"
#include "exit_codes.h"
#include "host.h"
#include "language/language.h"
#include "output.h"
#include "platform/codepage.h"

namespace {

using namespace vok::tool;

// CLI11's own words in its help pages, in the language of the rest.
void TranslateHelpLabels(CLI::App& app) {
  CLI::Formatter& labels = *std::static_pointer_cast<CLI::Formatter>(app.get_formatter());
  for (const char* label : {N_("Usage"), N_("OPTIONS"), N_("SUBCOMMAND"), N_("SUBCOMMANDS"),
                            N_("Positionals"), N_("REQUIRED"), N_("Env"), N_("Needs"),
                            N_("Excludes")}) {
    labels.label(label, Tr(label));
  }
  app.set_help_flag("-h,--help", Tr("Print this help message and exit"));
}

// The help page with the colon after each of CLI11's labels and headings as
// the language writes it ("用法：", "选项："): CLI11 puts an ASCII one there.
std::string HelpText(const std::string& gbk_help) {
  const std::u16string colon = vok::platform::GbkToUtf16(TrC("after a help label", ":"));
  if (colon == u":") return gbk_help;
  std::u16string help = vok::platform::GbkToUtf16(gbk_help);
  for (const char* label : {N_("Usage"), N_("Needs"), N_("Excludes"), N_("Env"), N_("Options"),
                            N_("Subcommands"), N_("Positionals")}) {
    const std::u16string ascii = vok::platform::GbkToUtf16(Tr(label)) + u":";
    for (std::size_t at = help.find(ascii); at != std::u16string::npos;
         at = help.find(ascii, at + 1)) {
      std::size_t end = at + ascii.size();
      while (end < help.size() && help[end] == u' ' && end < at + ascii.size() + 1) ++end;
      help.replace(at + ascii.size() - 1, end - (at + ascii.size() - 1), colon);
    }
  }
  return vok::platform::Utf16ToGbk(help);
}

// The headings of the help pages' groups. A command's options are put in
// CLI11's "Options" group whatever the defaults say, so they are renamed
// once every command is registered.
void TranslateGroups(CLI::App& app) {
  const std::string options = Tr("Options");
  for (CLI::Option* option : app.get_options()) {
    if (option->get_group() == "Options") option->group(options);
  }
  for (CLI::App* command : app.get_subcommands({})) {
    command->group(Tr("Subcommands"));
    TranslateGroups(*command);
  }
}

// The options every command takes: the language, and the encoding of what
// goes to a file or a pipe. --lang was already read, before the commands'
// texts were made; here it is only checked.
void AddCommonOptions(CLI::App& app) {
  app.add_option_function<std::string>(
         "--lang", [](const std::string&) {}, Tr("the language of what the tool says: zh or en"))
      ->check(CLI::IsMember({"zh", "en"}));
  app.add_option_function<std::string>(
         "--encoding",
         [](const std::string& encoding) {
           SetOutputEncoding(encoding == "gbk" ? OutputEncoding::kGbk : OutputEncoding::kUtf8);
         },
         Tr("what text written to a file or a pipe is encoded as: utf-8 (the default, "
            "without a byte-order mark) or gbk"))
      ->check(CLI::IsMember({"utf-8", "gbk"}));
}

// CLI11's own words for a command line it refuses, in the language of the
// rest. The kind of error is its exception's type; the names and values in
// it are kept as CLI11 put them. An error of another kind, or one whose
// words are not of its kind's form, stays as CLI11 words it.
std::string ParseErrorText(const CLI::Error& error, const std::string& what) {
  if (CurrentLanguage() == Language::kEnglish) return what;
  const std::string_view text = what;
  // What follows `lead`, when the text starts with it.
  const auto after = [text](std::string_view lead) -> std::optional<std::string_view> {
    if (text.substr(0, lead.size()) != lead) return std::nullopt;
    return text.substr(lead.size());
  };
  // The text split at the first `separator`, when it holds one.
  const auto split = [](std::string_view whole, std::string_view separator)
      -> std::optional<std::pair<std::string_view, std::string_view>> {
    const std::size_t at = whole.find(separator);
    if (at == std::string_view::npos) return std::nullopt;
    return std::make_pair(whole.substr(0, at), whole.substr(at + separator.size()));
  };
  if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
    for (std::string_view lead : {"The following argument was not expected: ",
                                  "The following arguments were not expected: "}) {
      if (const auto extras = after(lead)) {
        return TrF("The following arguments were not expected: %s", *extras);
      }
    }
  } else if (dynamic_cast<const CLI::ConversionError*>(&error) != nullptr) {
    if (const auto rest = after("Could not convert: ")) {
      if (const auto parts = split(*rest, " = ")) {
        return TrF("Could not convert: %s = %s", parts->first, parts->second);
      }
    }
  } else if (dynamic_cast<const CLI::ValidationError*>(&error) != nullptr) {
    // "--lang: fr not in {zh,en}"
    if (const auto parts = split(text, ": ")) {
      if (const auto values = split(parts->second, " not in ")) {
        return TrF("%s: %s not in %s", parts->first, values->first, values->second);
      }
    }
  } else if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
    // "--last: 1 required UINT missing"
    if (const auto parts = split(text, ": ")) {
      if (const auto count = split(parts->second, " required ")) {
        if (const auto type = split(count->second, " missing")) {
          return TrF("%s: %s required %s missing", parts->first, count->first, type->first);
        }
      }
    }
  } else if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
    if (text == "A subcommand is required") return Tr("A subcommand is required");
    if (const auto parts = split(text, " is required")) return TrF("%s is required", parts->first);
  } else if (dynamic_cast<const CLI::ExcludesError*>(&error) != nullptr) {
    if (const auto parts = split(text, " excludes ")) {
      return TrF("%s excludes %s", parts->first, parts->second);
    }
  } else if (dynamic_cast<const CLI::RequiresError*>(&error) != nullptr) {
    if (const auto parts = split(text, " requires ")) {
      return TrF("%s requires %s", parts->first, parts->second);
    }
  }
  return what;
}

// CLI11 words its message with the arguments as they came (UTF-8 on Linux).
std::string FailureMessage(const CLI::App& app, const CLI::Error& error) {
  return TrF("%s\nRun with %s for more information.",
             ParseErrorText(error, ArgumentToGbk(error.what())),
             app.get_help_ptr() != nullptr ? app.get_help_ptr()->get_name() : "--help");
}

// "vokqm7 help exit-status": the text that would make --help too long for
// one screen.
void AddHelpCommand(CLI::App& app) {
  CLI::App* command = app.add_subcommand("help", Tr("the exit statuses in full: help exit-status"));
  auto topic = std::make_shared<std::string>();
  command->add_option("topic", *topic, Tr("what to tell: exit-status"))
      ->required()
      ->check(CLI::IsMember({"exit-status"}));
  command->callback([topic] { WriteText(stdout, Tr(kExitCodesHelp) + std::string("\n")); });
}

}  // namespace

int main(int argc, char** argv) {
  SetLanguage(ChooseLanguage(argc, argv, std::getenv("VOKQM7_LANG"), HostLanguage()));
  CLI::App app{
      Tr("vokqm7: checks an installation of the accounting package's report tool, runs the\n"
         "VOKQM7 library's exports as a filing client would, converts cell exports\n"
         "into filing document sections offline, and shows filing documents as tables."),
      "vokqm7"};
  TranslateHelpLabels(app);
  app.footer(Tr(kExitCodesShort));
  app.require_subcommand(1);
  // --lang and --encoding after the command name too.
  app.fallthrough();
  AddCommonOptions(app);
  int status = kExitSuccess;
  AddVersionCommand(app, status);
  AddDoctorCommand(app, status);
  AddExportCommands(app, status);
  AddConvertCommand(app, status);
  AddShowCommand(app, status);
  AddTraceCommand(app, status);
  AddBatchCommand(app, status);
  AddExplainCommand(app, status);
  AddSupportBundleCommand(app, status);
  AddHelpCommand(app);
  TranslateGroups(app);
  // Help and errors go out as every other text does, in the reader's
  // encoding (CLI11 would write the GBK bytes as they are).
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    WriteText(stdout, HelpText(app.help()));
    return kExitSuccess;
  } catch (const CLI::CallForAllHelp&) {
    WriteText(stdout, HelpText(app.help("", CLI::AppFormatMode::All)));
    return kExitSuccess;
  } catch (const CLI::ParseError& error) {
    std::fflush(stdout);
    WriteText(stderr, FailureMessage(app, error) + "\n");
    return kExitUsage;
  }
  return status;
}

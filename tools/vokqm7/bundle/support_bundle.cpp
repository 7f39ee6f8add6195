// support-bundle: everything a support engineer asks for first, in one zip,
// with every password masked before anything is written. The files inside
// are written in English whatever the language the tool speaks (support
// reads them, in any office); only what the command says on the console is
// in the user's language.
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "bundle/host_facts.h"
#include "bundle/secrets.h"
#include "bundle/sha256.h"
#include "bundle/zip_writer.h"
#include "commands.h"
#include "doctor.h"
#include "driver/install_location.h"
#include "exit_codes.h"
#include "host.h"
#include "language/language.h"
#include "library.h"
#include "output.h"
#include "platform/codepage.h"
#include "platform/path_parts.h"
#include "platform/program.h"
#include "platform/registry.h"
#include "request/trace.h"
#include "trace_report.h"

namespace vok::tool {
namespace {

struct Entry {
  std::string name;   // UTF-8, as it stands in the zip
  std::string bytes;
};

std::tm LocalNow() {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  return local != nullptr ? *local : std::tm{};
}

std::string Lines(const Facts& facts, const std::string& indent = "") {
  std::string text;
  for (const auto& [name, value] : facts) text += indent + name + ": " + value + "\n";
  return text;
}

// From the file's own header: PE's machine field, ELF's class byte.
std::string Bitness(const std::string& bytes) {
  const auto u16 = [&](std::size_t at) {
    return static_cast<unsigned>(static_cast<unsigned char>(bytes[at])) |
           static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8;
  };
  if (bytes.size() > 0x40 && bytes.compare(0, 2, "MZ") == 0) {
    const std::size_t pe = u16(0x3C) | static_cast<std::size_t>(u16(0x3E)) << 16;
    if (pe + 6 <= bytes.size() && bytes.compare(pe, 4, std::string("PE\0\0", 4)) == 0) {
      const unsigned machine = u16(pe + 4);
      if (machine == 0x014C) return "32-bit (PE32, i386)";
      if (machine == 0x8664) return "64-bit (PE32+, x86-64)";
      return "PE, machine " + std::to_string(machine);
    }
  }
  if (bytes.size() > 4 && bytes.compare(0, 4, "\x7F" "ELF") == 0) {
    return bytes[4] == 1 ? "32-bit (ELF32)" : bytes[4] == 2 ? "64-bit (ELF64)" : "ELF, class unknown";
  }
  return "unknown (not a PE or ELF file)";
}

std::string Versions() {
  std::string text = "tool: vokqm7 " VOKQM7_BUILD_VERSION ", " +
                     std::to_string(sizeof(void*) * 8) + "-bit\n";
  std::string error;
  const std::optional<LoadedLibrary> library = LoadVokLibrary(error);
  if (!library) {
    text += "library: not loaded: " + error + "\n";
  } else {
    text += "library: " + library->location + "\n";
    text += "library file version: " + library->file_version + "\n";
    text += "library interface version: " + std::to_string(library->functions.get_version()) + "\n";
    const std::optional<std::string> file = ReadFileBytes(library->location);
    text += "library bitness: " + (file ? Bitness(*file) : "unknown (the file cannot be read)") + "\n";
    const std::string digest = file ? Sha256Hex(*file) : "";
    text += "library SHA-256: " +
            (!file ? std::string("unknown (the file cannot be read)")
                   : digest.empty() ? std::string("unknown (the system cannot compute it)") : digest) +
            "\n";
  }
  return text + Lines(HostFacts());
}

std::string SettingText(const std::optional<std::string>& value) {
  return value ? *value : "not set";
}

std::string Registry(const std::optional<trace::Setting>& setting) {
  std::string text = std::string("HKEY_LOCAL_MACHINE\\") + kInstallRegistrySubkey +
                     kInstallRegistryValue + "\n";
  text += Lines(MachineValueByView(kInstallRegistrySubkey, kInstallRegistryValue), "  ");
  text += "\nthe trace switch:\n";
  text += std::string("  environment variable ") + trace::kVariable + ": " +
          SettingText(platform::EnvironmentValue(trace::kVariable)) + "\n";
  text += std::string("  ") + trace::kRegistryName + ": " +
          SettingText(platform::ReadUserValue(trace::kRegistryKey, trace::kRegistryValue)) + "\n";
  text += std::string("  ") + trace::kMachineRegistryName + ": " +
          SettingText(platform::ReadMachineValue(trace::kRegistryKey, trace::kRegistryValue,
                                                 32768)) +
          "\n";
  text += "  in effect: " + (setting ? setting->file : std::string("tracing is off")) + "\n";
  return text;
}

std::string Installation(const std::optional<std::string>& value) {
  if (!value || value->empty()) {
    return "no installation folder: the registry value is missing or empty\n";
  }
  const std::string location = *value + "\\vok";
  std::string text = location + "\n";
  const std::vector<ListedEntry> listing = ListFolder(location);
  if (listing.empty()) return text + "  (cannot be read, or empty)\n";
  for (const ListedEntry& entry : listing) {
    char size[24];
    std::snprintf(size, sizeof size, "%12llu", static_cast<unsigned long long>(entry.bytes));
    text += entry.modified + "  " + (entry.folder ? std::string("      <folder>") : "  " + std::string(size)) +
            "  " + entry.path + "\n";
  }
  return text;
}

// The file part of a GBK path, as UTF-8.
std::string FileName(const std::string& gbk_path) {
  return platform::GbkToUtf8(platform::FileNameOfPath(gbk_path));
}

// The filing document the last traced call wrote, if any.
std::string LastDocument(const TraceReport& report) {
  for (auto call = report.calls.rbegin(); call != report.calls.rend(); ++call) {
    const std::string path = call->Value("output.written", "path");
    if (!path.empty()) return platform::Utf8ToGbk(path);
  }
  return {};
}

// While it lives the tool speaks English: what goes into the bundle is
// read by support.
class InEnglish {
 public:
  InEnglish() : spoken_(CurrentLanguage()) { SetLanguage(Language::kEnglish); }
  ~InEnglish() { SetLanguage(spoken_); }
  InEnglish(const InEnglish&) = delete;
  InEnglish& operator=(const InEnglish&) = delete;

 private:
  Language spoken_;
};

std::string DefaultBundleName() {
  const std::tm now = LocalNow();
  char name[64];
  std::strftime(name, sizeof name, "vokqm7-support-%Y%m%d-%H%M%S.zip", &now);
  return name;
}

int WriteBundle(std::string output, bool with_documents) {
  if (output.empty()) output = DefaultBundleName();
  std::vector<Entry> entries;
  std::vector<std::string> left_out;

  const std::optional<trace::Setting> setting = trace::CurrentSetting();
  {
    const InEnglish english;
    std::string doctor;
    int doctor_status;
    {
      CapturedOutput capture(doctor);
      doctor_status = RunDoctor();
    }
    doctor += "(doctor's exit status: " + std::to_string(doctor_status) + ")\n";
    entries.push_back({"doctor.txt", platform::GbkToUtf8(doctor)});
    entries.push_back({"versions.txt", platform::GbkToUtf8(Versions())});
    entries.push_back({"registry.txt", platform::GbkToUtf8(Registry(setting))});
    const std::optional<std::string> value = platform::ReadMachineValue(
        kInstallRegistrySubkey, kInstallRegistryValue, kInstallRegistryBufferBytes);
    entries.push_back({"installation.txt", platform::GbkToUtf8(Installation(value))});
  }

  // The trace the library writes now, else the one trace on would start.
  const std::string trace_file = setting ? setting->file : DefaultTraceFile();
  std::string trace_text;
  if (trace_file.empty()) left_out.push_back(Tr("the trace: no trace file is known"));
  for (const std::string& generation : {trace_file + ".1", trace_file}) {
    if (trace_file.empty()) break;
    std::optional<std::string> bytes = ReadFileBytes(generation);
    if (!bytes) {
      left_out.push_back(TrF("the trace %s: there is none", generation));
      continue;
    }
    if (generation == trace_file) *bytes = WithLastLineWritten(std::move(*bytes), generation);
    trace_text += *bytes;
    entries.push_back({"trace/" + FileName(generation), std::move(*bytes)});
  }
  if (with_documents) {
    const std::string document = LastDocument(ReadTrace(trace_text));
    std::optional<std::string> bytes =
        document.empty() ? std::nullopt : ReadFileBytes(document);
    if (bytes) {
      entries.push_back({"documents/" + FileName(document), std::move(*bytes)});
    } else {
      left_out.push_back(document.empty()
                             ? Tr("the last filing document: the trace names none")
                             : TrF("the last filing document %s: it cannot be read", document));
    }
  } else {
    left_out.push_back(
        Tr("filing documents and their figures (--with-documents adds the last one)"));
  }
  left_out.push_back(Tr("cell exports and work files: never, they hold the figures"));

  std::size_t masked = 0;
  for (Entry& entry : entries) {
    // The documents are the library's GBK; every other file is UTF-8.
    masked += MaskText(entry.bytes, entry.name.rfind("documents/", 0) == 0 ? TextEncoding::kGbk
                                                                            : TextEncoding::kUtf8);
  }
  const std::tm now = LocalNow();
  ZipWriter zip(ZipTime{now.tm_year + 1900, now.tm_mon + 1, now.tm_mday, now.tm_hour,
                        now.tm_min, now.tm_sec});
  for (const Entry& entry : entries) {
    if (!zip.Add(entry.name, entry.bytes)) {
      Complain(TrF("cannot pack %s into the bundle", platform::Utf8ToGbk(entry.name)));
      return kExitCannotRun;
    }
  }
  // Read back whole: a bundle cut short on a full disk is no bundle.
  const std::string archive = zip.Finish();
  if (!WriteDocument(output, archive, false) || ReadFileBytes(output) != archive) {
    Complain(TrF("cannot write the bundle %s", output));
    return kExitCannotRun;
  }
  Say(TrF("support bundle written: %s", AbsolutePath(output)));
  for (const Entry& entry : entries) {
    Say(TrF("  %s  (%s bytes)", platform::Utf8ToGbk(entry.name),
            std::to_string(entry.bytes.size())));
  }
  Say(TrF("%s password(s) masked", std::to_string(masked)));
  for (const std::string& what : left_out) Say(TrF("  left out: %s", what));
  return kExitSuccess;
}

}  // namespace

void AddSupportBundleCommand(CLI::App& app, int& status) {
  CLI::App* command = app.add_subcommand(
      "support-bundle", Tr("one zip for support: doctor's output, versions, registry values, the "
                           "installation's listing and the trace, passwords masked"));
  command->footer(Tr("The files in the bundle are written in English whatever the language, "
                     "for support to read."));
  auto output = std::make_shared<std::string>();
  auto with_documents = std::make_shared<bool>(false);
  command->add_option("-o,--output", *output,
                      Tr("the zip to write (default: vokqm7-support-<date>-<time>.zip here)"));
  command->add_flag("--with-documents", *with_documents,
                    Tr("add the filing document the last traced call wrote (it holds figures)"));
  command->callback([&status, output, with_documents] {
    status = WriteBundle(ArgumentToGbk(*output), *with_documents);
  });
}

}  // namespace vok::tool

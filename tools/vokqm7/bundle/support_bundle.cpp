// support-bundle: everything a support engineer asks for first, in one zip
// that its user alone may read, carrying only what the tool can vouch for:
// the trace's lines as the library writes them, every password masked,
// nothing read through a link or from a file another account could have
// put in the trace's place, and a CONTENTS.txt that says what it holds.
// The files inside are written in English whatever the language the tool
// speaks (support reads them, in any office); only what the command says on
// the console is in the user's language.
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "bundle/anonymizer.h"
#include "bundle/bundle_documents.h"
#include "bundle/bundle_files.h"
#include "bundle/bundle_report.h"
#include "bundle/bundle_texts.h"
#include "bundle/secrets.h"
#include "bundle/trace_allow_list.h"
#include "bundle/zip_writer.h"
#include "commands.h"
#include "doctor.h"
#include "driver/install_location.h"
#include "exit_codes.h"
#include "host.h"
#include "language/language.h"
#include "output.h"
#include "platform/codepage.h"
#include "platform/path_parts.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "request/trace.h"

namespace vok::tool {
namespace {

std::tm LocalNow() {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  return local != nullptr ? *local : std::tm{};
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

// The current generation is read again while a call is still writing its
// last line; each read must be of a file of the same owner as the first.
std::string expected_owner;
std::optional<std::string> ReadSameOwner(const std::string& gbk_path) {
  UnfollowedFile file = ReadUnfollowed(gbk_path);
  if (file.refusal != ReadRefusal::kNone || file.owner != expected_owner) return std::nullopt;
  return std::move(file.bytes);
}

// The trace's generations, the older first, each as the allow-list
// carries it. A generation is read only when it is a regular file, reached
// without a link, of the current file's owner: anyone who may write the
// trace's folder may put something else there.
void AddTrace(const std::string& trace_file, TraceAllowList& allow_list, Anonymizer* anonymizer,
              BundleReport& report) {
  if (trace_file.empty()) {
    report.left_out.push_back([] { return Tr("the trace: no trace file is known"); });
    return;
  }
  UnfollowedFile current = ReadUnfollowed(trace_file);
  const std::string older_file = trace_file + ".1";
  if (current.refusal != ReadRefusal::kNone) {
    report.left_out.push_back([trace_file, refusal = current.refusal] {
      return TrF("the trace %s: %s", trace_file, DescribeRefusal(refusal));
    });
    report.left_out.push_back([older_file] {
      return TrF("the trace %s: not read, as the current generation is not", older_file);
    });
    return;
  }
  expected_owner = current.owner;
  current.bytes =
      WithLastLineWritten(std::move(current.bytes), trace_file, kLineWaitMs, &ReadSameOwner);
  UnfollowedFile older = ReadUnfollowed(older_file);
  if (older.refusal == ReadRefusal::kNone && older.owner != current.owner) {
    report.left_out.push_back([older_file, owner = older.owner, by = current.owner] {
      return TrF(
          "the trace %s: it belongs to another account (%s) than the current "
          "generation (%s)",
          older_file, owner, by);
    });
  } else if (older.refusal != ReadRefusal::kNone) {
    report.left_out.push_back([older_file, refusal = older.refusal] {
      return TrF("the trace %s: %s", older_file, DescribeRefusal(refusal));
    });
  }
  const bool with_older = older.refusal == ReadRefusal::kNone && older.owner == current.owner;
  for (const auto& [path, bytes] : {std::pair{older_file, with_older ? &older.bytes : nullptr},
                                    std::pair{trace_file, &current.bytes}}) {
    if (bytes == nullptr) continue;
    CarriedTrace carried = allow_list.Carry(*bytes);
    std::string name = platform::GbkToUtf8(platform::FileNameOfPath(path));
    if (anonymizer != nullptr) name = anonymizer->Path(name);
    report.entries.push_back({"trace/" + name, std::move(carried.text)});
    report.values_masked += carried.values_masked;
    report.lines_carried += carried.lines_carried;
    report.lines_left_out += carried.lines_left_out;
    for (LeftOutLines& lines : carried.left_out) {
      report.left_out.push_back([path = path, lines = std::move(lines)] {
        const std::string which = lines.first == lines.last ? std::to_string(lines.first)
                                                            : std::to_string(lines.first) + "-" +
                                                                  std::to_string(lines.last);
        return TrF("the trace %s, line(s) %s: %s", path, which, DescribeLeftOut(lines));
      });
    }
  }
}

int WriteBundle(std::string output, bool with_documents, bool anonymize) {
  if (output.empty()) output = DefaultBundleName();
  std::optional<Anonymizer> anonymizer;
  if (anonymize && !(anonymizer = Anonymizer::Make())) {
    Complain(Tr("cannot anonymize: the system gives no SHA-256 or no random numbers here"));
    return kExitCannotRun;
  }
  BundleReport report;
  report.this_user = platform::CurrentUser();
  report.anonymized = anonymize;
  const std::optional<trace::Setting> setting = trace::CurrentSetting();
  const std::optional<std::string> install_value = platform::ReadMachineValue(
      kInstallRegistrySubkey, kInstallRegistryValue, kInstallRegistryBufferBytes);
  // The desk's own texts: the tool's output, UTF-8 in the zip.
  std::vector<BundleEntry> desk;
  {
    const InEnglish english;
    std::string doctor;
    int doctor_status;
    {
      CapturedOutput capture(doctor);
      doctor_status = RunDoctor();
    }
    doctor += "(doctor's exit status: " + std::to_string(doctor_status) + ")\n";
    desk.push_back({"doctor.txt", platform::GbkToUtf8(doctor)});
    desk.push_back({"versions.txt", platform::GbkToUtf8(VersionsText())});
    desk.push_back({"registry.txt", platform::GbkToUtf8(RegistryText(setting))});
    desk.push_back({"installation.txt", platform::GbkToUtf8(InstallationText(install_value))});
  }
  for (BundleEntry& entry : desk) {
    report.values_masked += MaskText(entry.bytes, TextEncoding::kUtf8);
  }

  // The trace the library writes now, else the one trace on would start.
  const std::string trace_file = setting ? setting->file : DefaultTraceFile();
  TraceAllowList allow_list(anonymizer ? &*anonymizer : nullptr);
  AddTrace(trace_file, allow_list, anonymizer ? &*anonymizer : nullptr, report);
  report.facts = allow_list.facts();
  if (anonymizer) {
    // What the trace did not name: the installation and the trace's own path.
    if (install_value) anonymizer->Path(platform::GbkToUtf8(*install_value));
    anonymizer->Path(platform::GbkToUtf8(trace_file));
    for (BundleEntry& entry : desk) entry.bytes = anonymizer->Text(entry.bytes);
  }
  report.entries.insert(report.entries.begin(), desk.begin(), desk.end());
  if (!with_documents) {
    report.left_out.push_back([] {
      return Tr("filing documents and their figures (--with-documents adds the last one)");
    });
  } else if (anonymize) {
    report.left_out.push_back([] {
      return Tr(
          "filing documents: --anonymize leaves them out, as their figures tell whose "
          "they are");
    });
  } else {
    AddLastDocument(report.facts.documents, report);
  }
  report.left_out.push_back(
      [] { return Tr("cell exports and work files: never, they hold the figures"); });

  std::string contents;
  {
    const InEnglish english;
    contents = "What this support bundle holds\n\n";
    for (const std::string& line : DescribeBundle(report)) {
      contents += platform::GbkToUtf8(line) + "\n";
    }
  }
  if (anonymizer) contents = anonymizer->Text(contents);
  const std::tm now = LocalNow();
  ZipWriter zip(ZipTime{now.tm_year + 1900, now.tm_mon + 1, now.tm_mday, now.tm_hour, now.tm_min,
                        now.tm_sec});
  if (!zip.Add("CONTENTS.txt", contents)) {
    Complain(TrF("cannot pack %s into the bundle", "CONTENTS.txt"));
    return kExitCannotRun;
  }
  for (const BundleEntry& entry : report.entries) {
    if (!zip.Add(entry.name, entry.bytes)) {
      Complain(TrF("cannot pack %s into the bundle", platform::Utf8ToGbk(entry.name)));
      return kExitCannotRun;
    }
  }
  // Read back whole: a bundle cut short on a full disk is no bundle.
  const std::string archive = zip.Finish();
  const UnfollowedFile written = WriteForThisUserAlone(output, archive)
                                     ? ReadUnfollowed(output)
                                     : UnfollowedFile{ReadRefusal::kCannotRead, {}, {}};
  if (written.refusal != ReadRefusal::kNone || written.bytes != archive) {
    Complain(TrF("cannot write the bundle %s", output));
    return kExitCannotRun;
  }
  Say(TrF("support bundle written, readable by this user alone: %s", AbsolutePath(output)));
  // The console's list stays short; CONTENTS.txt has every item.
  for (const std::string& line : DescribeBundle(report, 30)) Say(line);
  return kExitSuccess;
}

}  // namespace

void AddSupportBundleCommand(CLI::App& app, int& status) {
  CLI::App* command = app.add_subcommand(
      "support-bundle",
      Tr("one zip for support: doctor's output, versions, registry values, the installation's "
         "listing and the trace's lines as the library writes them, passwords masked, with a "
         "CONTENTS.txt of what it holds"));
  command->footer(
      Tr("The files in the bundle are written in English whatever the language, "
         "for support to read."));
  auto output = std::make_shared<std::string>();
  auto with_documents = std::make_shared<bool>(false);
  auto anonymize = std::make_shared<bool>(false);
  command->add_option("-o,--output", *output,
                      Tr("the zip to write (default: vokqm7-support-<date>-<time>.zip here)"));
  command->add_flag("--with-documents", *with_documents,
                    Tr("add the filing document this user's last traced call wrote (it holds "
                       "figures)"));
  command->add_flag("--anonymize", *anonymize,
                    Tr("replace account codes, user IDs, servers and the parts of paths with "
                       "hashes, so that the bundle may leave the office"));
  command->callback([&status, output, with_documents, anonymize] {
    status = WriteBundle(ArgumentToGbk(*output), *with_documents, *anonymize);
  });
}

}  // namespace vok::tool

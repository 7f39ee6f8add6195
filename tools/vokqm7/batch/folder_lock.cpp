#include "batch/folder_lock.h"

#include <chrono>
#include <cstdio>
#include <utility>

#include "batch/progress.h"
#include "batch/runner.h"
#include "host.h"
#include "language/language.h"
#include "output.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/install_lock_record.h"
#include "platform/path_parts.h"
#include "platform/process.h"
#include "platform/program.h"
#include "request/text_rules.h"

namespace vok::tool {
namespace {

constexpr std::uint32_t kTryEveryMs = 250;
constexpr std::size_t kLongestRecord = 4096;

// What another run says of itself, in one line and printable.
std::string Shown(std::string text) {
  if (text.size() > 256) text.resize(256);
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return text;
}

std::string Waiting(const std::string& folder, long long waited, std::uint32_t limit,
                    const std::string& holder) {
  return TrF("waiting for %s, in use by another batch (%s): %s of %s", folder, holder,
             FormatDuration(waited), FormatDuration(limit));
}

}  // namespace

std::string FormatFolderHolder(const FolderHolder& holder) {
  platform::InstallLockHolder record;
  record.process_id = holder.process_id;
  record.process_start = holder.process_start;
  record.program = holder.program;
  record.since = holder.since;
  record.call = "batch";
  return platform::FormatHolderRecord(record) + "desk=" + Shown(holder.desk) + "\nuser=" +
         Shown(holder.user) + "\n";
}

std::optional<FolderHolder> ParseFolderHolder(std::string_view text) {
  if (text.size() > kLongestRecord) text = text.substr(0, kLongestRecord);
  const std::optional<platform::InstallLockHolder> record = platform::ParseHolderRecord(text);
  if (!record) return std::nullopt;
  FolderHolder holder;
  holder.process_id = record->process_id;
  holder.process_start = record->process_start;
  holder.program = Shown(record->program);
  holder.since = Shown(record->since);
  for (const auto& [name, value] : {std::pair{"\ndesk=", &holder.desk},
                                     std::pair{"\nuser=", &holder.user}}) {
    const std::size_t at = text.find(name);
    if (at == std::string_view::npos) continue;
    const std::string_view rest = text.substr(at + std::string_view(name).size());
    *value = Shown(std::string(rest.substr(0, rest.find('\n'))));
  }
  return holder;
}

std::string DescribeHolder(const std::optional<FolderHolder>& holder) {
  if (!holder) return Tr("it has not said who it is");
  std::string text =
      TrF("desk %s, user %s, process %s", holder->desk.empty() ? "?" : holder->desk,
          holder->user.empty() ? "?" : holder->user, std::to_string(holder->process_id));
  if (!holder->program.empty()) {
    text += " (" + platform::FileNameOfPath(holder->program) + ")";
  }
  if (!holder->since.empty()) text += TrF(", since %s", holder->since);
  // On this desk the process can be looked at.
  if (holder->desk == DeskName() &&
      !platform::RunningForMs({holder->process_id, holder->process_start})) {
    text += Tr(", which has ended");
  }
  return text;
}

FolderLock::FolderLock(std::string path, std::unique_ptr<LockFile> file)
    : path_(std::move(path)), file_(std::move(file)) {}

FolderLock::Outcome FolderLock::Take(const std::string& folder, std::uint32_t wait_seconds,
                                     std::unique_ptr<FolderLock>& lock) {
  const std::string path = InFolder(folder, kFolderLockName);
  const bool terminal = IsTerminal(stderr);
  const auto start = std::chrono::steady_clock::now();
  bool told = false;
  for (;;) {
    std::unique_ptr<LockFile> file;
    std::string found, reason;
    const LockTry tried = LockFile::Try(path, file, found, reason);
    if (tried == LockTry::kFailed) {
      if (told && terminal) WriteText(stderr, "\n");
      Complain(TrF("cannot take %s for this run: %s: %s", folder, path, reason));
      return Outcome::kFailed;
    }
    if (tried == LockTry::kTaken) {
      if (told && terminal) WriteText(stderr, "\n");
      const std::optional<FolderHolder> before = ParseFolderHolder(found);
      if (before) {
        Complain(TrF("took over %s from a batch that ended without letting it go (%s)", folder,
                     DescribeHolder(before)));
      }
      FolderHolder me;
      const platform::ProcessIdentity self = platform::CurrentProcessIdentity();
      me.process_id = self.id;
      me.process_start = self.start;
      me.desk = DeskName();
      me.user = UserName();
      me.program = platform::ExecutablePath();
      me.since = FormatLocalTime(platform::Now()).substr(0, 19);
      if (!file->Write(FormatFolderHolder(me))) {
        Complain(TrF("cannot write who holds %s into %s: %s; a run that waits for it cannot say "
                     "who",
                     folder, path, LastFileError()));
      }
      lock.reset(new FolderLock(path, std::move(file)));
      return Outcome::kTaken;
    }
    const std::optional<std::string> text = platform::ReadWholeFile(path);
    const std::string holder = DescribeHolder(ParseFolderHolder(text.value_or("")));
    const long long waited =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
            .count();
    if (waited >= static_cast<long long>(wait_seconds)) {
      if (told && terminal) WriteText(stderr, "\n");
      Complain(TrF("%s is in use by another batch (%s); run again once it has ended, or give "
                   "--wait more seconds",
                   folder, holder));
      return Outcome::kBusy;
    }
    if (terminal) {
      WriteText(stderr, "\r" + Waiting(folder, waited, wait_seconds, holder) + "  ");
    } else if (!told) {
      Complain(Waiting(folder, waited, wait_seconds, holder));
    }
    told = true;
    platform::SleepMilliseconds(kTryEveryMs);
  }
}

LockTry FolderLock::Probe(const std::string& folder, std::string& told) {
  const std::string path = InFolder(folder, kFolderLockName);
  if (!platform::PathExists(path)) return LockTry::kTaken;
  std::unique_ptr<LockFile> file;
  std::string found, reason;
  const LockTry tried = LockFile::Try(path, file, found, reason);
  if (tried == LockTry::kFailed) {
    told = TrF("cannot take %s for this run: %s: %s", folder, path, reason);
  } else if (tried == LockTry::kHeld) {
    const std::optional<std::string> text = platform::ReadWholeFile(path);
    told = TrF("%s is in use by another batch (%s)", folder,
               DescribeHolder(ParseFolderHolder(text.value_or(""))));
  }
  return tried;
}

bool FolderLock::StillHeld() const {
  if (file_->StillAt(path_)) return true;
  Complain(TrF("%s was removed or replaced while this run held it: another run may write into "
               "the folder now",
               path_));
  return false;
}

}  // namespace vok::tool

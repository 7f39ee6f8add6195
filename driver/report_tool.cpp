#include "driver/report_tool.h"

#include <chrono>

#include "driver/commands.h"
#include "driver/install_lock.h"
#include "driver/paths.h"
#include "request/messages.h"
#include "request/text_rules.h"
#include "request/trace.h"
#include "platform/files.h"
#include "platform/process.h"

namespace vok {
namespace {

// How much older than the tool's start an export may look: FAT and some
// network file systems keep last-write times in two-second steps, rounded
// down.
constexpr std::uint32_t kExportTimeSlackSeconds = 2;


std::int64_t MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

// How the tool ended, for the trace.
void TraceEnd(platform::WaitOutcome outcome, const platform::ChildProcess& tool,
              std::int64_t ms) {
  if (!trace::Active()) return;
  const std::optional<std::int64_t> code = tool.ExitCode();
  switch (outcome) {
    case platform::WaitOutcome::kExited:
      if (code) {
        trace::Record("tool.end", {{"outcome", "exited"}, {"exit_code", *code}, {"ms", ms}});
      } else {
        trace::Record("tool.end", {{"outcome", "exited"}, {"ms", ms}});
      }
      break;
    case platform::WaitOutcome::kTimedOut:
      trace::Record("tool.end", {{"outcome", "timed out"}, {"ms", ms}});
      break;
    case platform::WaitOutcome::kFailed:
      trace::Record("tool.end", {{"outcome", "wait failed"}, {"ms", ms}});
      break;
  }
}

// The moment the tool starts, as the installation folder's file system
// stamps it, less the slack of coarse file times; nothing when no file can
// be made there (then no export could be either).
std::optional<std::uint64_t> ToolStartOnTheFolderClock(const std::string& install_location) {
  const std::optional<std::uint64_t> now = platform::FileSystemNow(install_location);
  if (!now) {
    trace::Record("tool.not_started", {{"reason", "no file can be made in the installation folder"},
                                       {"folder", install_location}});
    return std::nullopt;
  }
  const std::uint64_t slack = platform::FileTimeSpan(kExportTimeSlackSeconds);
  return *now > slack ? *now - slack : 0;
}

// Removes the export an earlier run left. Only this run's output may
// satisfy the check after it: an export that cannot be removed (read-only,
// held open by another program) is remembered as it is, and counts as no
// output unless the tool replaced it, so that another call's or another
// run's figures never pass as this run's. A delete that succeeds may
// uncover another file of the same name (a virtualized copy hid the real
// one), so the name is looked at again.
std::optional<platform::FileStamp> RemoveEarlierExport(const std::string& cell_export) {
  const platform::Status deleted = platform::DeleteFile(cell_export);
  if (deleted && !platform::PathExists(cell_export)) return std::nullopt;
  std::optional<platform::FileStamp> stale = platform::StampOf(cell_export);
  if (stale && deleted) {
    trace::Record("file.not_removed",
                  {{"what", "stale"}, {"file", cell_export}, {"delete", "reported success"}});
  } else if (stale) {
    trace::Record("file.not_removed", {{"what", "stale"},
                                       {"file", cell_export},
                                       {"delete", "failed"},
                                       {"error", deleted.code()}});
  }
  return stale;
}

enum class ToolRun {
  kExited,       // the tool ended by itself (or the wait failed: the output decides)
  kNotStarted,   // the system would not start it
  kNotRecorded,  // it could not be recorded, and was ended before it ran
  kTimedOut,     // it ran past its limit and was ended
};

// Starts the tool, recorded before it runs, and waits for it. Tied to this
// call, so that a host that dies takes its tool along; where the system
// cannot tie it, the record lets the next call end it. A tool that no
// record names could outlive this call unseen: it is ended unrun when it
// cannot be recorded. It starts in its own folder, not in the host's
// current one (often a share or a stick that may go away while it runs).
ToolRun StartAndAwaitTool(const std::string& install_location, const std::string& command,
                          const ReportToolRun& run) {
  const std::string program = install_location + paths::kBatchTool;
  trace::Record("tool.start", {{"command", command}});
  const auto started = std::chrono::steady_clock::now();
  int error = 0;
  bool unrecorded = false;
  const auto record = [&](const platform::ChildProcess& child) {
    unrecorded = run.installation != nullptr && !run.installation->NoteTool(&child, program);
    return !unrecorded;
  };
  std::optional<platform::ChildProcess> tool = platform::ChildProcess::Start(
      command, &error, platform::ChildScope::kWithWhatItStarts, install_location, record);
  if (!tool && unrecorded) {
    trace::Record("tool.not_recorded", {{"terminated", "yes"}});
    return ToolRun::kNotRecorded;
  }
  if (!tool) {
    trace::Record("tool.not_started", {{"error", error}});
    return ToolRun::kNotStarted;
  }
  trace::Record("tool.started", {{"tool_pid", tool->Identity().id},
                                 {"ends_with_host", tool->EndsWithHost() ? "yes" : "no"}});
  const platform::WaitOutcome outcome = tool->Wait(run.wait_limit_ms);
  if (outcome == platform::WaitOutcome::kTimedOut) {
    const platform::Status ended = tool->Terminate(0);
    TraceEnd(outcome, *tool, MillisecondsSince(started));
    if (ended) {
      trace::Record("tool.terminated", {{"done", "yes"}});
    } else {
      trace::Record("tool.terminated", {{"done", "no"}, {"error", ended.code()}});
    }
    // One that would not end (or whose group would not) stays in the
    // record for the next call to end.
    if (ended && run.installation != nullptr) {
      static_cast<void>(run.installation->NoteTool(nullptr, ""));
    }
    return ToolRun::kTimedOut;
  }
  TraceEnd(outcome, *tool, MillisecondsSince(started));
  if (outcome == platform::WaitOutcome::kExited && run.installation != nullptr) {
    static_cast<void>(run.installation->NoteTool(nullptr, ""));
  }
  return ToolRun::kExited;
}

// Whether the export is this run's: there, not the earlier one unchanged,
// and written after the tool started (an older file came from somewhere
// else: another run, a virtualized folder's other view).
bool ExportOfThisRun(const std::string& cell_export,
                     const std::optional<platform::FileStamp>& stale, std::uint64_t not_before) {
  if (!platform::PathExists(cell_export)) {
    trace::Record("export.missing", {{"file", cell_export}});
    return false;
  }
  const std::optional<platform::FileStamp> written = platform::StampOf(cell_export);
  if (stale && written == stale) {
    trace::Record("export.missing",
                  {{"file", cell_export}, {"reason", "only the earlier export, unchanged"}});
    return false;
  }
  if (written && written->last_write < not_before) {
    trace::Record("export.missing",
                  {{"file", cell_export}, {"reason", "last written before the tool started"}});
    return false;
  }
  trace::Record("export.found", {{"file", cell_export}, {"bytes", written ? written->size : 0}});
  return true;
}

enum class Kept { kKept, kNoTarget, kNotCopied };

// Copies the export to where the run keeps it. A target given by the caller
// is trimmed of white space first, and one that is then empty is none.
Kept KeepExport(const std::string& cell_export, const ReportToolRun& run) {
  std::string keep_target = run.keep_target;
  if (run.keep_target_from_caller) {
    keep_target = std::string(TrimAsciiSpace(keep_target));
    if (keep_target.empty()) {
      trace::Record("export.not_kept", {{"reason", "no data file path"}});
      return Kept::kNoTarget;
    }
  }
  if (const platform::Status copied = platform::CopyFile(cell_export, keep_target); !copied) {
    trace::Record("export.not_kept", {{"target", keep_target}, {"error", copied.code()}});
    return Kept::kNotCopied;
  }
  trace::Record("export.kept", {{"target", keep_target}});
  return Kept::kKept;
}

}  // namespace

std::int32_t RunReportTool(const std::string& install_location, const LoginRequest& login,
                           const std::string& report_date, const ReportToolRun& run,
                           MessageBuffer& message) {
  const std::string cell_export = install_location + paths::kCellExport;
  const std::optional<platform::FileStamp> stale = RemoveEarlierExport(cell_export);
  // The export's age is judged by the clock of the file system that keeps
  // the installation (a file server's may be minutes off this machine's).
  const std::optional<std::uint64_t> not_before = ToolStartOnTheFolderClock(install_location);
  if (!not_before) {
    message.Set(run.launch_failure_message);
    return -1;
  }
  const std::string command =
      FormatBatchCommand(install_location + paths::kBatchTool, login.account_code, login.year,
                         report_date, login.server, run.work_file, run.trailing_number);
  switch (StartAndAwaitTool(install_location, command, run)) {
    case ToolRun::kNotStarted:
    case ToolRun::kNotRecorded:
      message.Set(run.launch_failure_message);
      return -1;
    case ToolRun::kTimedOut:
      message.Set(run.timeout_message);
      return -1;
    case ToolRun::kExited:
      break;
  }
  if (!ExportOfThisRun(cell_export, stale, *not_before)) {
    message.Set(run.missing_output_message);
    return -1;
  }
  platform::DeleteFile(run.work_file);
  switch (KeepExport(cell_export, run)) {
    case Kept::kNoTarget:
      message.Set(msg::kNoDataFilePath);
      return -1;
    case Kept::kNotCopied:
      message.Set(run.keep_failure_message);
      return -1;
    case Kept::kKept:
      break;
  }
  return 0;
}

}  // namespace vok

// One batch at a time in a folder, from any desk: a run holds the folder's
// lock file open for its whole length (Windows: opened without sharing
// writes, which an SMB share enforces for every client; POSIX: flock on
// the open file). The system lets go of it when the run ends, however it
// ends, so the lock of a run that died is free to take; what is written in
// the file only tells who holds it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vok::tool {

inline constexpr const char* kFolderLockName = ".vokqm7-batch.lock";

// Who holds a folder, as its lock file says (GBK).
struct FolderHolder {
  std::string desk, user, program, since;
  std::uint32_t process_id = 0;
  std::uint64_t process_start = 0;
};

std::string FormatFolderHolder(const FolderHolder& holder);
// Nothing when the text names no process (an empty file: released).
std::optional<FolderHolder> ParseFolderHolder(std::string_view text);

// "desk PC-7, user li, process 4312 (vokqm7.exe), since 2026-12-09
// 16:35:02", for people; what is not known is left out.
std::string DescribeHolder(const std::optional<FolderHolder>& holder);

enum class LockTry { kTaken, kHeld, kFailed };

// The lock file, held open: the host's part.
class LockFile {
 public:
  struct Handle;
  ~LockFile();  // empties the file if it wrote to it, then lets it go
  LockFile(const LockFile&) = delete;
  LockFile& operator=(const LockFile&) = delete;

  // One try at the file `path`, made when missing. kTaken: `held` has it,
  // and `found` what was in it (a run that died holding it left its
  // record). kFailed, with the system's `reason`: it cannot be opened or is
  // no plain file, and waiting does not help.
  static LockTry Try(const std::string& path, std::unique_ptr<LockFile>& held, std::string& found,
                     std::string& reason);

  // Replaces what the file says; false when it cannot (a file that only
  // others may write still locks).
  [[nodiscard]] bool Write(std::string_view text);

  // Whether `path` still names the file held: POSIX lets another program
  // remove or replace it meanwhile, Windows does not.
  [[nodiscard]] bool StillAt(const std::string& path) const;

 private:
  explicit LockFile(std::unique_ptr<Handle> handle);
  std::unique_ptr<Handle> handle_;
  bool written_ = false;
};

// This desk's name and this process's user, as others should read them.
std::string DeskName();
std::string UserName();

// The folder's lock, held by this run.
class FolderLock {
 public:
  enum class Outcome { kTaken, kBusy, kFailed };

  // Takes the lock of the existing folder, waiting at most `wait_seconds`
  // while another run holds it, with a progress line on stderr that says
  // who. kBusy and kFailed are told on stderr. The holder's record of a run
  // that died holding it is told as it is taken over.
  static Outcome Take(const std::string& folder, std::uint32_t wait_seconds,
                      std::unique_ptr<FolderLock>& lock);

  // Whether a run could take the folder now, for --check, which keeps
  // nothing: kTaken, or, with `told` for people, kHeld (and who holds it)
  // or kFailed (and why).
  static LockTry Probe(const std::string& folder, std::string& told);

  // Whether the lock file is still the one this run holds; told on stderr
  // when it is not.
  [[nodiscard]] bool StillHeld() const;

 private:
  FolderLock(std::string path, std::unique_ptr<LockFile> file);
  std::string path_;
  std::unique_ptr<LockFile> file_;
};

}  // namespace vok::tool

// The installation's mutex made by another caller with other security (an
// elevated client, another integrity level): one that refuses the rights
// the library asks for is still waited on and taken, never gone without.
#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "filing_fixture.h"
#include "platform/install_lock.h"
#include "windows_headers.h"

#include <sddl.h>

namespace vok::wine_test {
namespace {

// The mutex another caller made: everyone may only wait on it. Held, for
// `holdMs`, by a thread of its own (a mutex taken again by its holding
// thread would be taken at once).
class ForeignMutex {
 public:
  ForeignMutex(const std::wstring& name, DWORD holdMs) {
    thread_ = std::thread([this, name, holdMs] {
      PSECURITY_DESCRIPTOR descriptor = nullptr;
      ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;0x00100000;;;WD)",
                                                           SDDL_REVISION_1, &descriptor, nullptr);
      SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
      mutex_ = CreateMutexW(&attributes, holdMs > 0, name.c_str());
      LocalFree(descriptor);
      SetEvent(ready_);
      if (mutex_ == nullptr || holdMs == 0) return;
      Sleep(holdMs);
      released_at_ = std::chrono::steady_clock::now();
      ReleaseMutex(mutex_);
    });
    WaitForSingleObject(ready_, INFINITE);
  }
  ~ForeignMutex() {
    if (thread_.joinable()) thread_.join();
    if (mutex_ != nullptr) CloseHandle(mutex_);
    CloseHandle(ready_);
  }
  HANDLE get() const { return mutex_; }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  std::chrono::steady_clock::time_point released_at() const { return released_at_; }

 private:
  HANDLE ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE mutex_ = nullptr;
  std::chrono::steady_clock::time_point released_at_{};
  std::thread thread_;
};

class ForeignMutexTest : public Filing {};

TEST_F(ForeignMutexTest, ACallWaitsOnAMutexThatRefusesFullAccessThenWorks) {
  InstallNational();
  std::wstring name;
  {
    std::optional<platform::InstallLock> lock = platform::InstallLock::ForFolder(install_.location());
    ASSERT_TRUE(lock);
    const std::string narrow = lock->Name();
    name.assign(narrow.begin(), narrow.end());  // ASCII
  }
  const struct {
    const char* name;
    DWORD holdMs;
  } kCases[] = {{"held by the other caller", 1500}, {"free", 0}};
  for (const auto& c : kCases) {
    ForeignMutex other(name, c.holdMs);
    ASSERT_NE(other.get(), nullptr) << c.name << ": error " << GetLastError();
    // What the library asks for is refused (where Wine checks the mutex's
    // security at all: the test then shows only that the call works).
    HANDLE full = CreateMutexExW(nullptr, name.c_str(), 0, SYNCHRONIZE | MUTEX_MODIFY_STATE);
    const DWORD refused = full == nullptr ? GetLastError() : ERROR_SUCCESS;
    if (full != nullptr) CloseHandle(full);
    if (refused != ERROR_ACCESS_DENIED) {
      std::printf("note: Wine granted full access to a mutex that refuses it (%lu)\n", refused);
    }
    MessageBuffer message;
    EXPECT_EQ(National(message), 0) << c.name << ": " << Readable(message.Text());
    const auto returned = std::chrono::steady_clock::now();
    other.Join();
    if (c.holdMs > 0) {
      // The tool ran only after the other caller let go.
      EXPECT_GT(returned, other.released_at()) << c.name;
    }
    // And the call let go of it again: another thread takes it at once.
    DWORD taken = WAIT_FAILED;
    std::thread([&] {
      taken = WaitForSingleObject(other.get(), 0);
      if (taken == WAIT_OBJECT_0) ReleaseMutex(other.get());
    }).join();
    EXPECT_EQ(taken, static_cast<DWORD>(WAIT_OBJECT_0)) << c.name;
    DeleteFileA(output_.c_str());
  }
}

}  // namespace
}  // namespace vok::wine_test

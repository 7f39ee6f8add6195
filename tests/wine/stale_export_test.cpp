// Files in the installation that another program gets in the way of: a cell
// export of an earlier call that cannot be removed must never pass as this
// call's, and a file a scanner holds for a moment is waited out, for about a
// second and no longer.
#include <functional>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "filing_fixture.h"
#include "windows_headers.h"

namespace vok::wine_test {
namespace {

class StaleExport : public FilingByType {
 protected:
  void TearDown() override { RemoveExports(); }

  // The exports and their kept copies, read-only or not.
  void RemoveExports() {
    for (const char* name : {"rep_vok.xml", "rep_vok1.xml", "rep_vok2.xml"}) {
      SetFileAttributesA(InLocation(name).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(InLocation(name).c_str());
    }
  }

  std::string data_ = caller_.path() + "\\cells.xml";
};

TEST_F(StaleExport, AnExportTheCallCannotRemoveCountsOnlyWhenTheToolReplacedIt) {
  InstallNational();
  InstallFinancial();
  const struct {
    const char* name;
    std::function<int(MessageBuffer&)> call;
    std::string noOutput;
    std::string written;      // the file the call hands over
    const char* firstExport;  // what its first run's export must be
  } kExports[] = {
      {"GetReportDate", [&](MessageBuffer& m) { return National(m); }, expected::IncomeNoOutput(),
       output_, "income.rep"},
      {"GetReportDateV2", [&](MessageBuffer& m) { return Financial(m); },
       expected::IncomeNoOutput(), output_, "financial_income.rep"},
      {"GetReportV2", [&](MessageBuffer& m) { return ByType("SYB", IncomeTemplate(), m); },
       expected::ByTypeNoOutput(), output_, "income.rep"},
      {"GetReport",
       [&](MessageBuffer& m) {
         return library_.GetReport()(login_.c_str(), 0, IncomeTemplate().c_str(), data_.c_str(),
                                     m.get());
       },
       expected::SingleNoOutput(), data_, "income.rep"},
  };
  // Wine run as root lets a program write into a read-only file, as the
  // stand-in tool then does; Windows does not.
  const bool toolCanReplaceIt = !ReadOnlyIsEnforced(install_.location());
  for (const auto& e : kExports) {
    const std::string stale = InLocation("rep_vok.xml");
    WriteBytes(stale, FixtureBytes("balance.rep"));
    ASSERT_TRUE(SetFileAttributesA(stale.c_str(), FILE_ATTRIBUTE_READONLY));
    {
      ScopedEnvironment silent("VOKWQM7_NO_OUTPUT", "1");
      MessageBuffer message;
      EXPECT_EQ(e.call(message), -1) << e.name;
      EXPECT_TRUE(message.Holds(e.noOutput)) << e.name;
      EXPECT_TRUE(Exists(stale)) << e.name << ": the read-only export was deleted after all";
      EXPECT_FALSE(Exists(e.written)) << e.name;
    }
    if (toolCanReplaceIt) {
      MessageBuffer message;
      EXPECT_EQ(e.call(message), 0) << e.name << ": " << Readable(message.Text());
      const std::string kept = e.written == data_ ? data_ : InLocation("rep_vok1.xml");
      EXPECT_EQ(ReadBytes(kept), FixtureBytes(e.firstExport)) << e.name;
    }
    DeleteFileA(output_.c_str());
    DeleteFileA(data_.c_str());
    RemoveExports();
  }
}

// An export last written before its tool started is no output of it (a
// virtualized folder's other copy, an earlier run's); one a second old is,
// as a file system with two-second times shows it. And the tool starts in
// its own folder, not in the host's.
TEST_F(StaleExport, OnlyAnExportWrittenSinceTheToolStartedCounts) {
  const std::string where = caller_.path() + "\\where.txt";
  ScopedEnvironment report("VOKWQM7_WHERE", where);
  const struct {
    const char* backdate;
    int result;
  } kCases[] = {{"0", 0}, {"1", 0}, {"60", -1}, {"86400", -1}};
  for (const auto& c : kCases) {
    ScopedEnvironment backdate("VOKWQM7_BACKDATE_S", std::string(c.backdate));
    MessageBuffer message;
    EXPECT_EQ(ByType("SYB", IncomeTemplate(), message), c.result)
        << c.backdate << ": " << Readable(message.Text());
    if (c.result != 0) {
      EXPECT_TRUE(message.Holds(expected::ByTypeNoOutput())) << c.backdate;
      EXPECT_FALSE(Exists(output_)) << c.backdate;
    }
    EXPECT_EQ(ReadBytes(where).value_or("<none>"), "own folder") << c.backdate;
    DeleteFileA(output_.c_str());
    DeleteFileA(where.c_str());
    RemoveExports();
  }
}

// Opens the installation's cell export without sharing it the moment the
// tool has written it, as a virus scanner does, and holds it for a while.
class ScannerStandIn {
 public:
  ScannerStandIn(std::string path, DWORD holdMs) : path_(std::move(path)), holdMs_(holdMs) {
    thread_ = CreateThread(nullptr, 0, &ScannerStandIn::Run, this, 0, nullptr);
  }
  ~ScannerStandIn() {
    stop_ = true;
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
  bool held() const { return held_; }

 private:
  static DWORD WINAPI Run(LPVOID self) {
    auto* scanner = static_cast<ScannerStandIn*>(self);
    const std::uint64_t deadline = NowMs() + 20000;
    while (!scanner->stop_ && NowMs() < deadline) {
      HANDLE file = CreateFileA(scanner->path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file != INVALID_HANDLE_VALUE) {
        scanner->held_ = true;
        Sleep(scanner->holdMs_);
        CloseHandle(file);
        return 0;
      }
      Sleep(1);
    }
    return 0;
  }

  std::string path_;
  DWORD holdMs_;
  volatile bool stop_ = false;
  volatile bool held_ = false;
  HANDLE thread_ = nullptr;
};

TEST_F(StaleExport, AFileHeldForAMomentIsWaitedOutAndOneHeldLongerFailsItsStep) {
  InstallNational();
  // The tool lingers after writing, so that the scanner has the export
  // before the call copies it.
  ScopedEnvironment linger("VOKWQM7_LINGER_MS", "100");
  {
    ScannerStandIn scanner(InLocation("rep_vok.xml"), 400);
    ASSERT_EQ(National(message_), 0) << Readable(message_.Text());
    EXPECT_TRUE(scanner.held());
    EXPECT_EQ(ReadBytes(InLocation("rep_vok1.xml")), FixtureBytes("income.rep"));
  }
  RemoveExports();
  {
    ScannerStandIn scanner(InLocation("rep_vok.xml"), 3000);
    MessageBuffer message;
    EXPECT_EQ(National(message), -1);
    EXPECT_TRUE(scanner.held());
    EXPECT_TRUE(message.Holds(Gbk(u8"复制损益表数据文件出错!")));
  }
}

}  // namespace
}  // namespace vok::wine_test

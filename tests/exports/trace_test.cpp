// The trace a support engineer switches on: what each call leaves in it,
// checked by content, and that it never changes a call or gives away a
// password or a figure.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>
#include <utility>
#include <vector>

#include "filing_fixture.h"
#include "vokqm7.h"

namespace vok::test {
namespace {

namespace fs = std::filesystem;

// An event that must be in the trace: its name and texts its line holds.
struct Expected {
  std::string event;
  std::vector<std::string> texts;
};

// Whether some line of `event` holds every one of `texts`.
::testing::AssertionResult HasEvent(const std::string& trace, const Expected& expected) {
  std::istringstream lines(trace);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t at = line.find(" event=" + expected.event);
    const std::size_t after = at + 7 + expected.event.size();
    if (at == std::string::npos || (after < line.size() && line[after] != ' ')) continue;
    bool all = true;
    for (const std::string& text : expected.texts) all = all && line.find(text) != std::string::npos;
    if (all) return ::testing::AssertionSuccess();
  }
  std::string wanted = expected.event;
  for (const std::string& text : expected.texts) wanted += " [" + text + "]";
  return ::testing::AssertionFailure() << "no event " << wanted << " in:\n" << trace;
}

// A value as the trace writes it: in quotes when it holds a blank.
std::string Quoted(const std::string& value) {
  return value.find(' ') == std::string::npos ? value : "\"" + value + "\"";
}

// A command line as the trace writes it: quoted, with its quotes and
// backslashes escaped.
std::string QuotedCommand(const std::string& command) {
  std::string quoted = "\"";
  for (const char c : command) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

class TraceTest : public FilingFixture {
 protected:
  TraceTest() : trace_env_("VOKQM7_TRACE", trace_) {
    InstallNational();
    InstallFinancial();
  }
  ~TraceTest() override {
    MakeExportsWritable();
    std::error_code ignored;
    fs::copy_file(VOKQM7_STANDIN_BATCH_TOOL, install_.InLocation("vokwqm7.exe"),
                  fs::copy_options::overwrite_existing, ignored);
  }

  // The exports and kept copies a row made read-only.
  void MakeExportsWritable() {
    for (const char* name : {"rep_vok.xml", "rep_vok1.xml", "rep_vok2.xml"}) {
      std::error_code ignored;
      fs::permissions(install_.InLocation(name), fs::perms::owner_write, fs::perm_options::add,
                      ignored);
    }
  }

  // The trace since the last call of this.
  std::string TakeTrace() {
    const std::string text = Exists(trace_) ? ReadFile(trace_) : "";
    fs::remove(trace_);
    return text;
  }
  std::string In(const char* name) const { return install_.library_location() + "\\" + name; }
  std::string National(char* message) {
    return std::to_string(GetReportDate(login_.c_str(), output_.c_str(), message));
  }

  TempFolder traces_;
  const std::string trace_ = traces_ / "trace.log";
  ScopedEnv trace_env_;
  const std::string data_ = caller_ / "cells.xml";
  const std::string by_type_ = ByTypeLogin("SYB", kFilingDataDir + "income.rep");
  const std::string open_login_ =
      "<Info><LoginInfo><AccountCode>001</AccountCode><UserID>clerk</UserID>"
      "<Password>S3cr3t-pw</Password><LoginDate>2007-03-05</LoginDate><Year>2007</Year>"
      "<Period>3</Period><Server>srv</Server><FileRep>a.rep</FileRep></LoginInfo></Info>";
};

TEST_F(TraceTest, EachExportLeavesItsWayThroughTheInstallation) {
  const std::string income = kFilingDataDir + "income.rep";
  const struct {
    const char* name;
    std::function<int()> call;
    std::vector<Expected> events;
  } kCalls[] = {
      {"GetReportDate",
       [&] { return GetReportDate(login_.c_str(), output_.c_str(), buffer_.bytes); },
       {{"call.begin", {"export=GetReportDate"}},
        {"login", {"account=001", "year=2007", "period=2", "server=srv"}},
        {"install.location", {"location=" + install_.library_location()}},
        {"install.lock", {"outcome=held"}},
        {"template.staged", {"hxsyb.rep", "work_file=" + In("voktemp1.rep")}},
        {"template.staged", {"hxzcfzb.rep", "work_file=" + In("voktemp2.rep")}},
        {"tool.start", {"command=" + QuotedCommand("\"" + In("vokwqm7.exe") +
                                                   "\" -LQM7_VOK{001 2007 2007-02-28 \"srv\" \"" +
                                                   In("voktemp1.rep") + "\" 0 }")}},
        {"tool.end", {"outcome=exited", "exit_code=0", "ms="}},
        {"export.found", {"bytes=" + std::to_string(fs::file_size(income))}},
        {"export.kept", {"target=" + In("rep_vok1.xml")}},
        {"export.kept", {"target=" + In("rep_vok2.xml")}},
        {"section.written", {"writer=WriteIncomeStatementSectionV1", "records=22", "items=3"}},
        {"section.written", {"writer=WriteBalanceSheetSectionV1", "items=4"}},
        {"output.written", {"path=" + output_, "bytes="}},
        {"call.end", {"result=0", "ms="}}}},
      {"GetReportDateV2",
       [&] { return GetReportDateV2(login_.c_str(), output_.c_str(), buffer_.bytes); },
       {{"call.begin", {"export=GetReportDateV2"}},
        {"install.location", {"source=cache"}},
        {"template.staged", {"lrb.rep"}},
        {"section.written", {"writer=WriteIncomeStatementSectionV3"}},
        {"call.end", {"result=0"}}}},
      {"GetReportV2", [&] { return GetReportV2(by_type_.c_str(), output_.c_str(), buffer_.bytes); },
       {{"login", {"report_type=SYB", "file_rep=" + income}},
        {"template.staged", {"template=" + income}},
        {"section.written", {"writer=WriteIncomeStatementSectionV2"}},
        {"call.end", {"result=0"}}}},
      {"GetReport",
       [&] { return GetReport(login_.c_str(), 7, income.c_str(), data_.c_str(), buffer_.bytes); },
       {{"tool.start", {"voktemp.rep\\\" 7 }"}}, {"export.kept", {"target=" + data_}},
        {"call.end", {"result=0"}}}},
      {"OpenReportV2", [&] { return OpenReportV2(open_login_.c_str(), buffer_.bytes); },
       {{"login", {"user=clerk", "login_date=2007-03-05"}},
        {"interactive.start", {"vokdesk.exe", "\\tclerk\\t********\\t2007-03-05"}},
        {"call.end", {"result=0"}}}},
  };
  for (const auto& c : kCalls) {
    ASSERT_EQ(c.call(), 0) << c.name << ": " << buffer_.bytes;
    const std::string trace = TakeTrace();
    for (const Expected& e : c.events) EXPECT_TRUE(HasEvent(trace, e)) << c.name;
    // Never a password nor a figure of the exports (1000.00, 12000.00, ...).
    EXPECT_EQ(trace.find("S3cr3t"), std::string::npos) << c.name;
    for (const char* figure : {"1000.00", "8000.50", "200.00", "60.00"}) {
      EXPECT_EQ(trace.find(figure), std::string::npos) << c.name << " recorded " << figure;
    }
  }
}

TEST_F(TraceTest, EachFailureNamesItsStepAndWhatWentWrong) {
  static constexpr char kBroken[] = "<Info><LoginInfo><Password>S3cr3t-pw</Pass";
  const std::string income = kFilingDataDir + "income.rep";
  const std::string national = install_.InLocation("vokModel/国税申报/");
  const struct {
    const char* name;
    std::function<void()> prepare;
    std::function<int()> call;
    const char* message;
    const char* step;
    std::vector<Expected> events;
  } kFailures[] = {
      {"login text that does not parse, holding a password", [] {},
       [&] { return GetReportDate(kBroken, output_.c_str(), buffer_.bytes); },
       "分析输入参数错误!", "login",
       {{"login.failed", {"reason=\"not well-formed XML\"",
                          "length=" + std::to_string(std::strlen(kBroken)),
                          "stopped_at_line=1"}}}},
      {"field missing", [] {},
       [&] {
         const std::string login = "<Info><LoginInfo><AccountCode>1</AccountCode><Year>2007</Year>"
                                   "<Server>s</Server></LoginInfo></Info>";
         return GetReport(login.c_str(), 0, income.c_str(), data_.c_str(), buffer_.bytes);
       },
       "分析输入参数错误!", "login",
       {{"login.failed", {"reason=\"no such element\"", "element=//Info/LoginInfo/Period"}}}},
      {"template missing", [] {},
       [&] { return GetReport(login_.c_str(), 0, "/absent.rep", data_.c_str(), buffer_.bytes); },
       "请检查模版文件是否存在!", "template check", {{"template.missing", {"/absent.rep"}}}},
      {"template copy", [&] { fs::remove(national + "hxzcfzb.rep"); },
       [&] { return GetReportDate(login_.c_str(), output_.c_str(), buffer_.bytes); },
       "复制资产负债表模版文件出错，请检查模版文件是否存在!", "staging",
       {{"template.staged", {"hxsyb.rep"}}, {"template.copy_failed", {"hxzcfzb.rep"}}}},
      {"tool that cannot start",
       [&] { WriteFile(install_.InLocation("vokwqm7.exe"), "no program"); },
       [&] { return GetReportDate(login_.c_str(), output_.c_str(), buffer_.bytes); },
       "在生成损益数据时,调用接口程序失败!", "income statement run",
       {{"tool.not_started", {"error="}}}},
      {"second run without output", [] { setenv("VOKWQM7_NO_OUTPUT", "voktemp2", 1); },
       [&] { return GetReportDate(login_.c_str(), output_.c_str(), buffer_.bytes); },
       "接口程序无资产负债表文件输出!", "balance sheet run",
       {{"export.kept", {"rep_vok1.xml"}}, {"export.missing", {"rep_vok.xml"}}}},
      {"earlier export that cannot be removed",
       [&] {
         setenv("VOKWQM7_NO_OUTPUT", "1", 1);
         WriteFile(install_.InLocation("rep_vok.xml"), "earlier");
         MakeReadOnly(install_.InLocation("rep_vok.xml"));
       },
       [&] { return GetReportV2(by_type_.c_str(), output_.c_str(), buffer_.bytes); },
       "接口程序数据文件输出!", "tool run",
       {{"file.not_removed", {"what=stale", "rep_vok.xml"}},
        {"export.missing", {"reason=\"only the earlier export, unchanged\""}}}},
      {"kept copy that cannot be replaced",
       [&] {
         WriteFile(install_.InLocation("rep_vok1.xml"), "earlier");
         MakeReadOnly(install_.InLocation("rep_vok1.xml"));
       },
       [&] { return GetReportDate(login_.c_str(), output_.c_str(), buffer_.bytes); },
       "复制损益表数据文件出错!", "income statement run",
       {{"file.not_removed", {"rep_vok1.xml"}}, {"export.not_kept", {"target=" + In("rep_vok1.xml")}}}},
      {"export that does not parse",
       [&] { WriteFile(national + "hxzcfzb.rep", "<vok><cell>"); },
       [&] { return GetReportDate(login_.c_str(), output_.c_str(), buffer_.bytes); },
       "分析资产负债表数据文件错误!", "balance sheet section",
       {{"section.written", {"WriteIncomeStatementSectionV1"}},
        {"section.failed", {"writer=WriteBalanceSheetSectionV1", "step=\"reading the export\"",
                            "reason=\"cell export is not well-formed XML\""}}}},
      {"report type", [] {},
       [&] {
         const std::string login = ByTypeLogin("XJLLB", income);
         return GetReportV2(login.c_str(), output_.c_str(), buffer_.bytes);
       },
       "不支持的报表类型!", "report type", {{"report_type.unsupported", {"report_type=XJLLB"}}}},
      {"output in a missing folder", [] {},
       [&] {
         const std::string output = caller_ / "missing/filing.xml";
         return GetReportDate(login_.c_str(), output.c_str(), buffer_.bytes);
       },
       "生成最终数据文件错误,请检查导出文件名称是否合法!", "output",
       {{"output.failed", {"missing/filing.xml"}}}},
      {"blank data path", [] {},
       [&] { return GetReport(login_.c_str(), 0, income.c_str(), "  ", buffer_.bytes); },
       "没有指定生成的数据文件路径!", "tool run",
       {{"export.not_kept", {"reason=\"no data file path\""}}}},
      {"interactive tool missing", [&] { fs::remove(install_.InLocation("vokdesk.exe")); },
       [&] { return OpenReportV2(open_login_.c_str(), buffer_.bytes); },
       "在生成数据时,调用接口程序失败!", "interactive tool", {{"interactive.not_started", {}}}},
  };
  for (const auto& f : kFailures) {
    f.prepare();
    EXPECT_NE(f.call(), 0) << f.name;
    unsetenv("VOKWQM7_NO_OUTPUT");
    const std::string trace = TakeTrace();
    for (const Expected& e : f.events) EXPECT_TRUE(HasEvent(trace, e)) << f.name;
    EXPECT_TRUE(HasEvent(trace, {"call.end", {"result=-1", std::string("message=") + f.message,
                                              "step=" + Quoted(f.step)}}))
        << f.name;
    EXPECT_EQ(trace.find("S3cr3t"), std::string::npos) << f.name;
    // Back to a working installation for the next row.
    MakeExportsWritable();
    fs::copy_file(VOKQM7_STANDIN_BATCH_TOOL, install_.InLocation("vokwqm7.exe"),
                  fs::copy_options::overwrite_existing);
    fs::copy_file(VOKQM7_STANDIN_INTERACTIVE_TOOL, install_.InLocation("vokdesk.exe"),
                  fs::copy_options::overwrite_existing);
    fs::copy_file(kFilingDataDir + "balance.rep", national + "hxzcfzb.rep",
                  fs::copy_options::overwrite_existing);
  }
}

// What a call does and leaves, trace or no trace.
struct Outcome {
  std::string result;
  std::string message;
  std::string output;
  std::vector<std::string> files;
  bool operator==(const Outcome& o) const {
    return result == o.result && message == o.message && output == o.output && files == o.files;
  }
};

TEST_F(TraceTest, ATraceThatCannotBeWrittenChangesNothing) {
  const auto outcome = [&] {
    Buffer buffer;
    Outcome o{National(buffer.bytes), buffer.bytes, ReadFile(output_),
              FolderEntries(install_.location())};
    std::sort(o.files.begin(), o.files.end());
    fs::remove(output_);
    fs::remove(install_.InLocation("vokwqm7.log"));
    return o;
  };
  unsetenv("VOKQM7_TRACE");
  const Outcome untraced = outcome();
  ASSERT_EQ(untraced.result, "0");
  MakeFolders(traces_ / "a folder");
  for (const std::string& bad : {traces_ / "no such folder/trace.log", traces_ / "a folder",
                                 std::string("\xFF\xFE.log"), std::string()}) {
    setenv("VOKQM7_TRACE", bad.c_str(), 1);
    EXPECT_EQ(outcome(), untraced) << bad;
  }
  EXPECT_TRUE(fs::is_empty(traces_ / "a folder"));
  EXPECT_FALSE(Exists(traces_ / "no such folder"));
}

TEST_F(TraceTest, SwitchedOnAndOffBetweenCallsWithTheEnvironmentWinningOverTheRegistry) {
  const std::string value = install_.registry_folder() +
                            "/HKEY_CURRENT_USER/Software/VOKQM7/TraceFile";
  const std::string by_registry = traces_ / "from the registry.log";
  MakeFolders(fs::path(value).parent_path().string());
  WriteFile(value, by_registry + "\n");
  National(buffer_.bytes);
  EXPECT_TRUE(HasEvent(TakeTrace(), {"call.end", {"result=0"}})) << "the environment lost";
  EXPECT_FALSE(Exists(by_registry));

  unsetenv("VOKQM7_TRACE");
  National(buffer_.bytes);
  EXPECT_TRUE(HasEvent(ReadFile(by_registry), {"call.begin", {"export=GetReportDate"}}));

  fs::remove(value);
  fs::remove(by_registry);
  National(buffer_.bytes);
  EXPECT_FALSE(Exists(by_registry));
  EXPECT_FALSE(Exists(trace_));
}

TEST_F(TraceTest, PastItsCapTheTraceStartsAnewKeepingOneOldGeneration) {
  const std::string old_lines(std::size_t{10} << 20, 'x');
  WriteFile(trace_, old_lines + "\n");
  WriteFile(trace_ + ".1", "the generation before");
  National(buffer_.bytes);
  EXPECT_EQ(ReadFile(trace_ + ".1"), old_lines + "\n");
  const std::string fresh = TakeTrace();
  EXPECT_LT(fresh.size(), 10000u);
  EXPECT_TRUE(HasEvent(fresh, {"call.begin", {"export=GetReportDate"}}));
  fs::remove(trace_ + ".1");
}

}  // namespace
}  // namespace vok::test

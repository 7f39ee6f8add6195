// The trace with the real DLL: a call traced through VOKQM7_TRACE, and
// trace files that cannot be written, which must change nothing.
#include <string>

#include <gtest/gtest.h>

#include "filing_fixture.h"
#include "windows_headers.h"

namespace vok::wine_test {
namespace {

class Trace : public Filing {
 protected:
  ScratchFolder traces_{u8"跟踪"};
  std::string trace_ = traces_ / "trace.log";
};

TEST_F(Trace, ACallLeavesItsEventsAndABadTraceFileChangesNothing) {
  InstallNational();
  {
    ScopedEnvironment on("VOKQM7_TRACE", trace_);
    ASSERT_EQ(National(message_), 0) << Readable(message_.Text());
  }
  const std::string trace = ReadBytes(trace_).value_or("");
  for (const char* text : {" event=call.begin export=GetReportDate user=S-1-5-",
                           " event=install.lock outcome=held lock=Global\\VOKQM7.install.",
                           " event=tool.start command=",
                           " event=tool.end outcome=exited exit_code=0 ",
                           " event=section.written writer=WriteBalanceSheetSectionV1 ",
                           " event=call.end result=0 "}) {
    EXPECT_NE(trace.find(text), std::string::npos) << text << " not in\n" << trace;
  }
  const std::optional<std::string> untraced = ReadBytes(output_);

  // Held by another program without sharing, and a folder.
  HANDLE held = CreateFileA(trace_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE) << GetLastError();
  for (const std::string& bad : {trace_, traces_.path()}) {
    ScopedEnvironment on("VOKQM7_TRACE", bad);
    DeleteFileA(output_.c_str());
    MessageBuffer message;
    EXPECT_EQ(National(message), 0) << Readable(bad);
    EXPECT_TRUE(message.Untouched());
    EXPECT_EQ(ReadBytes(output_), untraced) << Readable(bad);
  }
  CloseHandle(held);
  EXPECT_EQ(ReadBytes(trace_).value_or(""), trace) << "a held trace file was written";
}

}  // namespace
}  // namespace vok::wine_test

// The library runs inside someone else's process: what libxml2 would say
// about a bad export must not reach the host's stderr, and the host's own
// libxml2 error handlers must be as it left them.
#include <gtest/gtest.h>
#include <libxml/xmlerror.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/xml.h"
#include "tests/platform/posix_test_support.h"

namespace vok::platform {
namespace {

// Sends this process's stderr to a file while it lives.
class CapturedStderr {
 public:
  explicit CapturedStderr(const std::string& file) : saved_(::dup(2)) {
    std::fflush(stderr);
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ::dup2(fd, 2);
    ::close(fd);
  }
  ~CapturedStderr() {
    std::fflush(stderr);
    ::dup2(saved_, 2);
    ::close(saved_);
  }

 private:
  int saved_;
};

int host_messages = 0;
void HostHandler(void*, const char*, ...) { ++host_messages; }

TEST(PosixXmlQuiet, BadBytesInADeclaredEncodingAreNotPrinted) {
  platform_test::TempDir dir;
  const std::string export_path = dir / "rep_vok.xml";
  // 0xFF 0xFF is no GBK character: the decoder fails in the middle of a value.
  platform_test::WriteUtf8(export_path,
                            "<?xml version=\"1.0\" encoding=\"GBK\"?><vok><cell><value>"
                            "\xFF\xFF</value></cell></vok>");
  const std::string log = dir / "stderr.txt";
  {
    CapturedStderr capture(log);
    XmlSession session;
    XmlDocument document = XmlDocument::Create();
    EXPECT_EQ(document.LoadFile(export_path), XmlLoad::kNotParsed);
    EXPECT_EQ(ReadXmlRecords(export_path, "vok", "cell", {"value"},
                             [](const std::vector<XmlField>&) {}),
              XmlLoad::kNotParsed);
    EXPECT_EQ(document.LoadText("<a>\xFF</b>"), XmlLoad::kNotParsed);
  }
  EXPECT_EQ(platform_test::ReadUtf8(log), "");
}

TEST(PosixXmlQuiet, TheHostsHandlerIsPutBack) {
  xmlSetGenericErrorFunc(nullptr, HostHandler);
  {
    XmlSession session;
    XmlDocument document = XmlDocument::Create();
    EXPECT_EQ(document.LoadText("<unclosed>"), XmlLoad::kNotParsed);
  }
  EXPECT_EQ(xmlGenericError, HostHandler);
  xmlGenericError(nullptr, "%s", "the host's own message");
  EXPECT_EQ(host_messages, 1);
  xmlSetGenericErrorFunc(nullptr, nullptr);
}

}  // namespace
}  // namespace vok::platform

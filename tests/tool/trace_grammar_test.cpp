// The trace grammar against the library's own code: every event and field
// the code writes is in the table a support bundle carries lines by, and
// the table holds nothing the code no longer writes. Read from the sources,
// so that an event added on a path no test takes is found as well.
#include "request/trace_grammar.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
// gcc 12 under AddressSanitizer takes std::regex's own moves for reads of
// uninitialised memory.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <regex>
#pragma GCC diagnostic pop
#include <set>
#include <sstream>

#include "request/messages.h"

namespace vok::trace {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::set<std::string> Matches(const std::string& text, const std::regex& pattern) {
  std::set<std::string> found;
  for (auto at = std::sregex_iterator(text.begin(), text.end(), pattern);
       at != std::sregex_iterator(); ++at) {
    found.insert((*at)[1]);
  }
  return found;
}

struct Written {
  std::set<std::string> events, fields;
};

// What the core's sources write: events as the first argument of Record,
// Write or a helper that passes it on, fields as {"name", ...} and
// Field("name", ...) in the files that trace, and the login's field names.
Written WrittenByTheLibrary() {
  const std::regex event(R"re(\b(?:Record|TraceTool|Write\(\*state_,)\(?\s*"([a-z_.]+)")re");
  const std::regex field(R"re((?:\{|Field\()"([a-z_]+)",)re");
  Written written;
  for (const char* folder : {"interface", "driver", "sections", "request"}) {
    for (const auto& entry : fs::directory_iterator(fs::path(VOKQM7_SOURCE_DIR) / folder)) {
      const std::string text = Read(entry.path());
      if (text.find("request/trace.h") == std::string::npos &&
          text.find("trace::Record") == std::string::npos) {
        continue;
      }
      for (const std::string& name : Matches(text, event)) written.events.insert(name);
      for (const std::string& name : Matches(text, field)) written.fields.insert(name);
    }
  }
  const std::string login = Read(fs::path(VOKQM7_SOURCE_DIR) / "interface" / "login_parse.cpp");
  const std::size_t names = login.find("LoginFieldTraceName(LoginField field) {");
  const std::string body = login.substr(names, login.find("\n}\n", names) - names);
  for (const std::string& name : Matches(body, std::regex(R"re(return "([a-z_]+)";)re"))) {
    if (name != "password") written.fields.insert(name);  // never recorded
  }
  return written;
}

TEST(TraceGrammar, HoldsWhatTheLibraryWritesAndNothingElse) {
  const Written written = WrittenByTheLibrary();
  ASSERT_GT(written.events.size(), 30u);
  std::set<std::string> events;
  std::set<std::string> fields(std::begin(kLeadingFields), std::end(kLeadingFields));
  fields.insert(kDroppedLinesField);
  for (std::size_t i = 0; i < EventRuleCount(); ++i) {
    events.insert(EventRules()[i].name);
    for (const FieldRule& rule : EventRules()[i].fields) fields.insert(rule.name);
  }
  for (const std::string& name : written.events) {
    EXPECT_TRUE(events.count(name))
        << "the library writes the event " << name << ": add it to request/trace_grammar.cpp";
  }
  for (const std::string& name : events) {
    EXPECT_TRUE(written.events.count(name)) << "the library writes no event " << name;
  }
  for (const std::string& name : written.fields) {
    EXPECT_TRUE(fields.count(name))
        << "the library writes a field " << name << ": add it to request/trace_grammar.cpp";
  }
  for (const std::string& name : fields) {
    EXPECT_TRUE(written.fields.count(name)) << "the library writes no field " << name;
  }
  EXPECT_EQ(FindEventRule("login")->Find("password"), nullptr);
}

TEST(TraceGrammar, KnowsEveryMessage) {
  const std::string messages = Read(fs::path(VOKQM7_SOURCE_DIR) / "request" / "messages.h");
  const auto declared = Matches(messages, std::regex(R"re(inline constexpr char (k\w+)\[\])re"));
  EXPECT_EQ(declared.size(), std::size(msg::kCatalogue));
}

}  // namespace
}  // namespace vok::trace

// explain: the guide's entry for one of the library's messages: which
// exports give it, what causes it at a desk, what to check first. The guide
// is docs/messages.md, built into the tool; an entry starts at a line
// "## N. MESSAGE" and runs to the next such line.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"
#include "exit_codes.h"
#include "host.h"
#include "language/language.h"
#include "output.h"
#include "platform/codepage.h"

namespace vok::tool {
namespace {

constexpr std::string_view kGuide =
#include "message_guide.inc"
    ;

struct GuideEntry {
  int number = 0;
  std::string message;             // UTF-8, as the guide writes it
  std::vector<std::string> lines;  // UTF-8, the heading included
};

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// "12" as 12; nothing for anything else.
std::optional<int> EntryNumber(std::string_view text) {
  if (text.empty() || text.size() > 3) return std::nullopt;
  int number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + (c - '0');
  }
  return number;
}

std::vector<GuideEntry> ReadGuide() {
  std::vector<GuideEntry> entries;
  std::string_view rest = kGuide;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (line.substr(0, 3) == "## ") {
      const std::size_t dot = line.find(". ", 3);
      const std::optional<int> number =
          dot == std::string_view::npos ? std::nullopt : EntryNumber(line.substr(3, dot - 3));
      if (number) {
        entries.push_back({*number, std::string(Trimmed(line.substr(dot + 2))), {}});
      } else {
        entries.emplace_back();  // a heading of another kind ends the entry before it
      }
    }
    if (!entries.empty() && entries.back().number != 0) {
      entries.back().lines.emplace_back(line);
    }
  }
  std::vector<GuideEntry> numbered;
  for (GuideEntry& entry : entries) {
    if (entry.number == 0) continue;
    while (!entry.lines.empty() && Trimmed(entry.lines.back()).empty()) entry.lines.pop_back();
    numbered.push_back(std::move(entry));
  }
  return numbered;
}

// The entries a user's words name: the one with that number, the one whose
// message it is, or else every message it is a part of.
std::vector<const GuideEntry*> FindEntries(const std::vector<GuideEntry>& entries,
                                           std::string_view asked) {
  const std::optional<int> number = EntryNumber(asked);
  std::vector<const GuideEntry*> found;
  for (const GuideEntry& entry : entries) {
    if (number ? entry.number == *number : entry.message == asked) return {&entry};
    if (!number && entry.message.find(asked) != std::string::npos) found.push_back(&entry);
  }
  return found;
}

void SayUtf8(const std::string& utf8) { Say(platform::Utf8ToGbk(utf8)); }

}  // namespace

void AddExplainCommand(CLI::App& app, int& status) {
  CLI::App* command = app.add_subcommand(
      "explain",
      Tr("what one of the library's messages means: the exports that give it, its causes at a "
         "desk, what to check first (docs/messages.md)"));
  auto asked = std::make_shared<std::string>();
  command->add_option("MESSAGE", *asked,
                      Tr("the message as the library gave it, a part of it, or its number in "
                         "the guide; without it, the list of messages"));
  command->callback([&status, asked] {
    const std::vector<GuideEntry> entries = ReadGuide();
    if (asked->empty()) {
      for (const GuideEntry& entry : entries) {
        SayUtf8(std::to_string(entry.number) + ". " + entry.message);
      }
      status = kExitSuccess;
      return;
    }
    const std::string words(Trimmed(platform::GbkToUtf8(ArgumentToGbk(*asked))));
    const std::vector<const GuideEntry*> found =
        words.empty() ? std::vector<const GuideEntry*>{} : FindEntries(entries, words);
    if (found.empty()) {
      Complain(TrF("no message of the library reads so: %s (vokqm7 explain lists them all)",
                   ArgumentToGbk(*asked)));
      status = kExitExportFailed;
      return;
    }
    if (found.size() > 1) {
      Complain(TrF("more than one message holds %s:", ArgumentToGbk(*asked)));
      for (const GuideEntry* entry : found) {
        Complain(platform::Utf8ToGbk("  " + std::to_string(entry->number) + ". " + entry->message));
      }
      status = kExitUsage;
      return;
    }
    const GuideEntry* entry = found.front();
    for (const std::string& line : entry->lines) SayUtf8(line);
    status = kExitSuccess;
  });
}

}  // namespace vok::tool

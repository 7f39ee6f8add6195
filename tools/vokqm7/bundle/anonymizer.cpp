#include "bundle/anonymizer.h"

#include <algorithm>
#include <random>
#include <set>
#include <vector>

#include "bundle/secrets.h"
#include "bundle/sha256.h"
#include "driver/paths.h"
#include "platform/ascii_case.h"
#include "platform/codepage.h"

namespace vok::tool {
namespace {

constexpr std::size_t kHashDigits = 8;

// Names that tell nothing of an office: the package's own (from the
// library's fixed paths) and the systems' folders.
const std::set<std::string>& FixedNames() {
  static const std::set<std::string> names = [] {
    std::set<std::string> fixed = {"users",
                                   "appdata",
                                   "local",
                                   "roaming",
                                   "programdata",
                                   "program files",
                                   "program files (x86)",
                                   "windows",
                                   "temp",
                                   "tmp",
                                   "home",
                                   "root",
                                   "var",
                                   "usr",
                                   ".local",
                                   "state",
                                   "vokqm7",
                                   "trace.log",
                                   "trace.log.1",
                                   "vok",
                                   "vokqm7.dll",
                                   "libvokqm7.so"};
    for (const char* path :
         {paths::kBatchTool, paths::kInteractiveTool, paths::kNationalIncomeTemplate,
          paths::kNationalBalanceTemplate, paths::kFinancialIncomeTemplate,
          paths::kFinancialBalanceTemplate, paths::kSingleWorkFile, paths::kFirstWorkFile,
          paths::kSecondWorkFile, paths::kCellExport, paths::kFirstCellExport,
          paths::kSecondCellExport}) {
      const std::string utf8 = platform::GbkToUtf8(path);
      std::size_t start = 1;  // past the leading separator
      for (std::size_t end; start <= utf8.size(); start = end + 1) {
        end = std::min(utf8.find('\\', start), utf8.size());
        std::string name = utf8.substr(start, end - start);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
        fixed.insert(name);
      }
    }
    return fixed;
  }();
  return names;
}

bool IsFixedName(std::string_view name) {
  for (const std::string& fixed : FixedNames()) {
    if (platform::EqualsIgnoringAsciiCase(name, fixed)) return true;
  }
  return false;
}

bool IsWordByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// A short extension of ASCII letters and digits, kept: it says what a file is.
std::size_t ExtensionAt(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0 || name.size() - dot > 6 ||
      dot + 1 == name.size()) {
    return std::string_view::npos;
  }
  for (std::size_t at = dot + 1; at < name.size(); ++at) {
    if (!IsWordByte(name[at])) return std::string_view::npos;
  }
  return dot;
}

// Reads `text` as it goes: what stands up to `until`, or a quoted piece.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}
  bool Take(std::string_view piece) {
    if (text_.substr(at_, piece.size()) != piece) return false;
    at_ += piece.size();
    return true;
  }
  std::optional<std::string_view> Until(char end) {
    const std::size_t found = text_.find(end, at_);
    if (found == std::string_view::npos) return std::nullopt;
    const std::string_view piece = text_.substr(at_, found - at_);
    at_ = found + 1;
    return piece;
  }
  std::string_view Rest() const { return text_.substr(at_); }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace

std::optional<Anonymizer> Anonymizer::Make() {
  try {
    std::random_device random;
    std::string salt;
    for (int i = 0; i < 4; ++i) salt += std::to_string(random());
    if (Sha256Hex(salt).size() < kHashDigits) return std::nullopt;
    return Anonymizer(std::move(salt));
  } catch (...) {
    return std::nullopt;
  }
}

std::string Anonymizer::Hashed(std::string_view kind, std::string_view value) {
  if (value.empty() || value == kMaskedSecret) return std::string(value);
  const auto known = known_.find(std::string(value));
  if (known != known_.end()) return known->second;
  const std::string hashed =
      std::string(kind) + "-" +
      Sha256Hex(salt_ + std::string(kind) + '\n' + std::string(value)).substr(0, kHashDigits);
  known_.emplace(value, hashed);
  return hashed;
}

// The trace's texts are UTF-8 here, where no byte of a character of more
// than one byte is a separator.
std::string Anonymizer::Path(std::string_view path) {
  std::string out;
  std::size_t start = 0;
  for (std::size_t end; start <= path.size(); start = end + 1) {
    end = std::min(path.find_first_of("\\/", start), path.size());
    const std::string_view part = path.substr(start, end - start);
    const bool drive = start == 0 && part.size() == 2 && part[1] == ':';
    if (part.empty() || drive || IsFixedName(part) || part == kMaskedSecret) {
      out += part;
    } else if (const std::size_t dot = ExtensionAt(part); dot != std::string_view::npos) {
      out += Hashed("p", part.substr(0, dot));
      out += part.substr(dot);
    } else {
      out += Hashed("p", part);
    }
    if (end < path.size()) out += path[end];
  }
  return out;
}

std::string Anonymizer::Command(std::string_view command) {
  Cursor cursor(command);
  std::optional<std::string_view> tool;
  if (cursor.Take("\"") && (tool = cursor.Until('"'))) {
    std::string out = "\"" + Path(*tool) + "\"";
    // -LQM7_VOK{<account> <year:%4d> <date> "<server>" "<work file>" <n> }
    if (cursor.Take(" -LQM7_VOK{")) {
      const std::optional<std::string_view> account = cursor.Until(' ');
      std::string year;
      while (cursor.Take(" ")) year += ' ';
      const std::optional<std::string_view> digits = cursor.Until(' ');
      const std::optional<std::string_view> date = cursor.Until(' ');
      std::optional<std::string_view> server, work;
      if (account && digits && date && cursor.Take("\"") && (server = cursor.Until('"')) &&
          cursor.Take(" \"") && (work = cursor.Until('"')) && cursor.Take(" ")) {
        return out + " -LQM7_VOK{" + Account(*account) + " " + year + std::string(*digits) + " " +
               std::string(*date) + " \"" + Server(*server) + "\" \"" + Path(*work) + "\" " +
               std::string(cursor.Rest());
      }
    }
    // -L{<account>\t<year>\t<user>\t<password>\t<login date>\t<server>\t<file>}
    if (cursor.Take(" -L{") && !cursor.Rest().empty() && cursor.Rest().back() == '}') {
      std::vector<std::string_view> fields;
      std::string_view rest = cursor.Rest().substr(0, cursor.Rest().size() - 1);
      for (std::size_t tab; (tab = rest.find('\t')) != std::string_view::npos;
           rest.remove_prefix(tab + 1)) {
        fields.push_back(rest.substr(0, tab));
      }
      fields.push_back(rest);
      if (fields.size() == 7) {
        return out + " -L{" + Account(fields[0]) + "\t" + std::string(fields[1]) + "\t" +
               User(fields[2]) + "\t" + std::string(fields[3]) + "\t" + std::string(fields[4]) +
               "\t" + Server(fields[5]) + "\t" + Path(fields[6]) + "}";
      }
    }
  }
  return Hashed("command", command);
}

std::string Anonymizer::Text(std::string_view text) const {
  std::vector<std::pair<std::string_view, std::string_view>> values;
  // A single letter stands for too much else to be taken for a value.
  for (const auto& [value, hashed] : known_) {
    if (value.size() > 1) values.emplace_back(value, hashed);
  }
  std::sort(values.begin(), values.end(),
            [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    bool replaced = false;
    if (at == 0 || !IsWordByte(text[at - 1])) {
      for (const auto& [value, hashed] : values) {
        const std::size_t end = at + value.size();
        if (text.substr(at, value.size()) == value &&
            (end == text.size() || !IsWordByte(text[end]))) {
          out += hashed;
          at = end;
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out += text[at++];
  }
  return out;
}

}  // namespace vok::tool

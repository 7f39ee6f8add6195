#include "language/language.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/codepage.h"

namespace vok::tool {
namespace {

Language current = Language::kEnglish;

struct CatalogueEntry {
  const char* key;      // the English text, after its context and EOT if it has one
  const char* chinese;  // UTF-8
};

constexpr CatalogueEntry kCatalogue[] = {
#include "catalogue_zh.inc"
    {nullptr, nullptr},
};

// The translations as GBK, converted once on first use.
const std::unordered_map<std::string_view, std::string>& ChineseTexts() {
  static const std::unordered_map<std::string_view, std::string> texts = [] {
    std::unordered_map<std::string_view, std::string> made;
    made.reserve(std::size(kCatalogue));
    for (const CatalogueEntry& entry : kCatalogue) {
      if (entry.key == nullptr) break;
      made.emplace(entry.key, platform::Utf8ToGbk(entry.chinese));
    }
    return made;
  }();
  return texts;
}

bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

// "zh", "zh_CN", "zh-Hans", "zh_CN.UTF-8@pinyin": the language part only.
std::string_view LanguagePart(std::string_view locale) {
  const std::size_t end = locale.find_first_of("_-.@");
  return locale.substr(0, end);
}

// zh or en from a name, nothing for a language without a catalogue.
std::optional<Language> KnownLanguage(std::string_view locale) {
  const std::string_view part = LanguagePart(locale);
  if (part == "zh") return Language::kChinese;
  if (part == "en") return Language::kEnglish;
  return std::nullopt;
}

bool IsSet(const char* value) { return value != nullptr && *value != '\0'; }

// The translation the catalogue keys by `key`, else `english` itself.
std::string Translated(std::string_view key, std::string_view english) {
  if (current == Language::kChinese) {
    const auto& texts = ChineseTexts();
    const auto found = texts.find(key);
    if (found != texts.end()) return found->second;
  }
  return std::string(english);
}

}  // namespace

void SetLanguage(Language language) { current = language; }
Language CurrentLanguage() { return current; }

Language LanguageOfLocale(std::string_view locale) {
  return KnownLanguage(locale).value_or(Language::kEnglish);
}

Language LanguageOfEnvironment(const char* language, const char* lc_all, const char* lc_messages,
                               const char* lang) {
  const char* locale = IsSet(lc_all) ? lc_all : IsSet(lc_messages) ? lc_messages : lang;
  if (!IsSet(locale) || std::strcmp(locale, "C") == 0 || std::strcmp(locale, "POSIX") == 0 ||
      StartsWith(locale, "C.")) {
    return Language::kEnglish;
  }
  if (IsSet(language)) {
    std::string_view rest = language;
    while (!rest.empty()) {
      const std::size_t colon = rest.find(':');
      if (const auto known = KnownLanguage(rest.substr(0, colon))) return *known;
      rest.remove_prefix(colon == std::string_view::npos ? rest.size() : colon + 1);
    }
  }
  return LanguageOfLocale(locale);
}

Language LanguageOfLangId(std::uint16_t lang_id) {
  constexpr std::uint16_t kPrimaryChinese = 0x04;  // LANG_CHINESE
  return (lang_id & 0x3ff) == kPrimaryChinese ? Language::kChinese : Language::kEnglish;
}

Language ChooseLanguage(int argc, const char* const* argv, const char* vokqm7_lang,
                        Language host) {
  std::optional<Language> asked;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--") break;
    std::string_view value;
    if (argument == "--lang" && i + 1 < argc) {
      value = argv[++i];
    } else if (StartsWith(argument, "--lang=")) {
      value = argument.substr(7);
    } else {
      continue;
    }
    // Only the two names the option takes; its own check refuses the rest.
    if (value == "zh" || value == "en") asked = KnownLanguage(value);
  }
  if (asked) return *asked;
  if (IsSet(vokqm7_lang)) {
    if (const auto known = KnownLanguage(vokqm7_lang)) return *known;
  }
  return host;
}

std::string Tr(std::string_view english) { return Translated(english, english); }

std::string TrC(std::string_view context, std::string_view english) {
  const std::string key = std::string(context) + '\x04' + std::string(english);
  return Translated(key, english);
}

std::string Substitute(std::string_view format, std::initializer_list<std::string_view> arguments) {
  std::string filled;
  filled.reserve(format.size() + 32);
  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 == format.size()) {
      filled += format[i];
      continue;
    }
    if (format[i + 1] == '%') {
      filled += '%';
      ++i;
      continue;
    }
    std::size_t at = i + 1;
    std::size_t number = 0;
    while (at < format.size() && format[at] >= '0' && format[at] <= '9') {
      number = number * 10 + static_cast<std::size_t>(format[at] - '0');
      ++at;
    }
    std::size_t index;
    if (number > 0 && at + 1 < format.size() && format[at] == '$' && format[at + 1] == 's') {
      index = number - 1;
      at += 2;
    } else if (at == i + 1 && format[at] == 's') {
      index = next++;
      at += 1;
    } else {
      filled += format[i];  // no placeholder: the catalogue's check keeps these out
      continue;
    }
    if (index < arguments.size()) filled += *(arguments.begin() + index);
    i = at - 1;
  }
  return filled;
}

std::size_t CatalogueSize() { return std::size(kCatalogue) - 1; }

}  // namespace vok::tool

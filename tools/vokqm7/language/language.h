// The language the tool speaks: English, the texts' source, or Simplified
// Chinese from the catalogue po/zh_CN.po, which the build turns into a
// table inside the tool (nothing is read beside it at run time).
//
// A text a person reads is written in English in the code, inside Tr() or
// TrF(); N_() marks one that is kept in a table and passed to Tr() later.
// What programs read (exit statuses, summary.csv's columns and result
// words, the trace's event names) is never put through them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vok::tool {

enum class Language { kEnglish, kChinese };

// The language of the rest of the run. English until set.
void SetLanguage(Language language);
Language CurrentLanguage();

// The language the user asked for, in the order users expect:
//   1. `--lang zh|en` on the command line (the last one wins),
//   2. VOKQM7_LANG,
//   3. the host's own choice (`host`, from HostLanguage()).
// `vokqm7_lang` is VOKQM7_LANG's value, null when it is not set; a value
// that is neither zh... nor en... is passed over.
Language ChooseLanguage(int argc, const char* const* argv, const char* vokqm7_lang,
                        Language host);

// Language from a locale name such as "zh_CN.UTF-8", "zh_TW", "en_US" or
// "C": Chinese for zh in any region (until a traditional catalogue exists),
// English for anything else.
Language LanguageOfLocale(std::string_view locale);

// gettext's rule for Linux and the like. The locale of messages is the first
// set of LC_ALL, LC_MESSAGES and LANG; when it is "C" or "POSIX" (or none is
// set) messages are English whatever LANGUAGE says. Otherwise LANGUAGE, a
// list of languages split by ':', is read first: its first entry that is zh
// or en decides. Then the locale itself. Arguments are null when unset.
Language LanguageOfEnvironment(const char* language, const char* lc_all, const char* lc_messages,
                               const char* lang);

// Windows: Chinese when the primary language of the user's UI language
// (GetUserDefaultUILanguage) is Chinese, whatever its region.
Language LanguageOfLangId(std::uint16_t lang_id);

// What the host says: the environment on Linux, the user's UI language on
// Windows.
Language HostLanguage();

// The text in the current language, as GBK: the catalogue's translation of
// `english` when Chinese is spoken and it has one, else `english` itself.
std::string Tr(std::string_view english);

// A text whose English is another's but whose translation is not ("FAILED"
// of a check, of an export): the catalogue keys it with its context, as
// gettext's msgctxt does.
std::string TrC(std::string_view context, std::string_view english);

// Tr(format) with its placeholders filled in: "%s" takes the next argument,
// "%2$s" the second, "%%" is a percent sign. Arguments are GBK.
std::string Substitute(std::string_view format, std::initializer_list<std::string_view> arguments);

template <typename... Arguments>
std::string TrF(std::string_view format, const Arguments&... arguments) {
  return Substitute(Tr(format), {std::string_view(arguments)...});
}

// Marks a text for the catalogue without translating it here.
constexpr const char* N_(const char* english) { return english; }

// How many texts the catalogue translates (for the tests and doctor).
std::size_t CatalogueSize();

}  // namespace vok::tool

// How the tool picks its language, and how its texts are filled in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "language/language.h"
#include "platform/codepage.h"

namespace vok::tool {
namespace {

constexpr Language kZh = Language::kChinese;
constexpr Language kEn = Language::kEnglish;

TEST(LanguageChoice, FromTheEnvironmentAsGettextReadsIt) {
  struct Case {
    const char* language;
    const char* lc_all;
    const char* lc_messages;
    const char* lang;
    Language expected;
  };
  const Case cases[] = {
      {nullptr, nullptr, nullptr, "zh_CN.UTF-8", kZh},
      {nullptr, nullptr, nullptr, "zh_SG.GBK", kZh},
      {nullptr, nullptr, nullptr, "zh_TW.UTF-8", kZh},  // no traditional catalogue yet
      {nullptr, nullptr, nullptr, "zh_HK", kZh},
      {nullptr, nullptr, nullptr, "zh", kZh},
      {nullptr, nullptr, nullptr, "en_US.UTF-8", kEn},
      {nullptr, nullptr, nullptr, "de_DE.UTF-8", kEn},
      {nullptr, nullptr, nullptr, "zhx_XX", kEn},
      {nullptr, nullptr, nullptr, "C", kEn},
      {nullptr, nullptr, nullptr, "C.UTF-8", kEn},
      {nullptr, nullptr, nullptr, "POSIX", kEn},
      {nullptr, nullptr, nullptr, nullptr, kEn},
      {"", "", "", "", kEn},
      // LC_ALL before LC_MESSAGES before LANG; an empty one counts as unset.
      {nullptr, "en_US.UTF-8", "zh_CN.UTF-8", "zh_CN.UTF-8", kEn},
      {nullptr, nullptr, "zh_CN.UTF-8", "en_US.UTF-8", kZh},
      {nullptr, "", "", "zh_CN.UTF-8", kZh},
      {nullptr, "C", nullptr, "zh_CN.UTF-8", kEn},
      // LANGUAGE's first language with a catalogue decides ...
      {"zh_CN:en", nullptr, nullptr, "en_US.UTF-8", kZh},
      {"fr:en:zh", nullptr, nullptr, "zh_CN.UTF-8", kEn},
      {"fr:de", nullptr, nullptr, "zh_CN.UTF-8", kZh},
      {":zh_TW", nullptr, nullptr, "de_DE.UTF-8", kZh},
      // ... except under the C locale, where messages stay English.
      {"zh_CN", nullptr, nullptr, "C", kEn},
      {"zh_CN", nullptr, nullptr, nullptr, kEn},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("LANGUAGE=") + (c.language ? c.language : "(unset)") +
                 " LC_ALL=" + (c.lc_all ? c.lc_all : "(unset)") +
                 " LC_MESSAGES=" + (c.lc_messages ? c.lc_messages : "(unset)") +
                 " LANG=" + (c.lang ? c.lang : "(unset)"));
    EXPECT_EQ(LanguageOfEnvironment(c.language, c.lc_all, c.lc_messages, c.lang), c.expected);
  }
}

TEST(LanguageChoice, FromTheWindowsUiLanguage) {
  const std::pair<std::uint16_t, Language> cases[] = {
      {0x0804, kZh},  // zh-CN
      {0x1004, kZh},  // zh-SG
      {0x0404, kZh},  // zh-TW
      {0x0C04, kZh},  // zh-HK
      {0x7C04, kZh},  // zh-Hant
      {0x0409, kEn},  // en-US
      {0x0411, kEn},  // ja-JP
      {0x0412, kEn},  // ko-KR
      {0x0000, kEn},
  };
  for (const auto& [lang_id, expected] : cases) {
    EXPECT_EQ(LanguageOfLangId(lang_id), expected) << std::hex << lang_id;
  }
}

TEST(LanguageChoice, OptionBeforeVariableBeforeHost) {
  struct Case {
    std::vector<const char*> argv;
    const char* vokqm7_lang;
    Language host;
    Language expected;
  };
  const Case cases[] = {
      {{"vokqm7", "doctor"}, nullptr, kZh, kZh},
      {{"vokqm7", "doctor"}, nullptr, kEn, kEn},
      {{"vokqm7", "--lang", "zh", "doctor"}, nullptr, kEn, kZh},
      {{"vokqm7", "doctor", "--lang=en"}, nullptr, kZh, kEn},
      {{"vokqm7", "--lang", "en", "doctor", "--lang", "zh"}, nullptr, kEn, kZh},
      {{"vokqm7", "--lang", "zh"}, "en", kEn, kZh},
      {{"vokqm7", "doctor"}, "zh", kEn, kZh},
      {{"vokqm7", "doctor"}, "en_GB", kZh, kEn},
      {{"vokqm7", "doctor"}, "fr", kZh, kZh},
      {{"vokqm7", "doctor"}, "", kZh, kZh},
      // A value the option refuses, one missing, and what follows "--".
      {{"vokqm7", "--lang", "fr", "doctor"}, "zh", kEn, kZh},
      {{"vokqm7", "doctor", "--lang"}, nullptr, kEn, kEn},
      {{"vokqm7", "show", "--", "--lang", "zh"}, nullptr, kEn, kEn},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const char* argument : c.argv) line += std::string(argument) + " ";
    EXPECT_EQ(ChooseLanguage(static_cast<int>(c.argv.size()), c.argv.data(), c.vokqm7_lang,
                             c.host),
              c.expected)
        << line << "VOKQM7_LANG=" << (c.vokqm7_lang ? c.vokqm7_lang : "(unset)");
  }
}

TEST(LanguageTexts, PlaceholdersFilledInTheirOrder) {
  struct Case {
    const char* format;
    std::vector<std::string> arguments;
    const char* expected;
  };
  const Case cases[] = {
      {"%s of %s", {"a", "b"}, "a of b"},
      {"%2$s: %1$s", {"a", "b"}, "b: a"},
      {"100%% of %s", {"x"}, "100% of x"},
      {"%s and %s", {"only"}, "only and "},  // a missing argument is empty
      {"no placeholder", {"x"}, "no placeholder"},
      {"%d stays, % stays, %", {}, "%d stays, % stays, %"},
      {"%1$s%1$s", {"ab"}, "abab"},
      {"%10$s", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "ten"}, "ten"},
  };
  for (const Case& c : cases) {
    std::string filled;
    switch (c.arguments.size()) {
      case 0: filled = Substitute(c.format, {}); break;
      case 1: filled = Substitute(c.format, {c.arguments[0]}); break;
      case 2: filled = Substitute(c.format, {c.arguments[0], c.arguments[1]}); break;
      default: {
        const auto& a = c.arguments;
        filled = Substitute(c.format, {a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9]});
      }
    }
    EXPECT_EQ(filled, c.expected) << c.format;
  }
}

TEST(LanguageTexts, ChineseFromTheCatalogueAsGbk) {
  ASSERT_GT(CatalogueSize(), 0u);
  SetLanguage(kEn);
  EXPECT_EQ(Tr("Usage"), "Usage");
  SetLanguage(kZh);
  EXPECT_EQ(Tr("Usage"), platform::Utf8ToGbk("用法"));
  EXPECT_EQ(TrF("%s\nRun with %s for more information.", "bad", "--help"),
            platform::Utf8ToGbk("命令行有误：bad\n运行时加上 --help 可查看用法。"));
  // A text the catalogue does not have stays as it is.
  EXPECT_EQ(Tr("no such text in the catalogue"), "no such text in the catalogue");
  SetLanguage(kEn);
}

}  // namespace
}  // namespace vok::tool

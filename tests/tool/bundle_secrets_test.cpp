// The support bundle's masks: every form a password takes in a file or a
// trace, what each leaves, how many it counts, and that masking again
// finds nothing more.
#include <gtest/gtest.h>

#include "bundle/secrets.h"

namespace vok::tool {
namespace {

struct Case {
  const char* what;
  std::string in;
  std::string out;
  std::size_t masked;
};

void ExpectMasked(const Case& c, std::size_t (*mask)(std::string&)) {
  std::string text = c.in;
  EXPECT_EQ(mask(text), c.masked) << c.what;
  EXPECT_EQ(text, c.out) << c.what;
  EXPECT_EQ(text.find("S3cret"), std::string::npos) << c.what;
  const std::string once = text;
  EXPECT_EQ(mask(text), 0u) << c.what << ", masked again";
  EXPECT_EQ(text, once) << c.what << ", masked again";
}

std::size_t MaskUtf8(std::string& text) { return MaskFile(text, TextEncoding::kUtf8); }
std::size_t MaskGbk(std::string& text) { return MaskFile(text, TextEncoding::kGbk); }

TEST(BundleSecrets, FileMasksEveryFormOfAPasswordElement) {
  const std::string m = "<Password>********</Password>";
  const Case cases[] = {
      {"plain", "<Info><Password>S3cret</Password></Info>", "<Info>" + m + "</Info>", 1},
      {"xml:space", "<Password xml:space=\"preserve\">S3cret</Password>",
       "<Password xml:space=\"preserve\">********</Password>", 1},
      {"blank before the close", "<Password >S3cret</Password >", "<Password >********</Password >",
       1},
      {"prefix", "<q:Password xmlns:q='urn:q'>S3cret</q:Password>",
       "<q:Password xmlns:q='urn:q'>********</q:Password>", 1},
      {"CDATA holding an end tag", "<Password><![CDATA[S3</Password>cret]]></Password>", m, 1},
      {"comment before the value", "<Password><!-- new --> S3cret</Password>", m, 1},
      {"entities", "<Password>S3&lt;cret&amp;x</Password>", m, 1},
      {"value on the next line", "<Password>\r\nS3cret\n</Password>", m, 1},
      {"attribute value holding a close", "<Password hint=\"a>b\">S3cret</Password>",
       "<Password hint=\"a>b\">********</Password>", 1},
      {"child elements", "<Password><v>S3</v><v/><v>cret</v></Password>", m, 1},
      {"any case, passwd and pwd", "<PASSWD>S3cret</PASSWD><pwd>S3cret</pwd>",
       "<PASSWD>********</PASSWD><pwd>********</pwd>", 2},
      {"commented out", "<!-- <Password>S3cret</Password> -->", "<!-- " + m + " -->", 1},
      {"escaped", "text: &lt;Password&gt;S3cret&lt;/Password&gt;",
       "text: &lt;Password&gt;********&lt;/Password&gt;", 1},
      {"escaped with an entity in it", "&lt;Password&gt;S3&amp;lt;cret&lt;/Password&gt;",
       "&lt;Password&gt;********&lt;/Password&gt;", 1},
      {"escaped, quoted attribute", "&lt;Password a=&quot;&gt;&quot;&gt;S3cret&lt;/Password&gt;",
       "&lt;Password a=&quot;&gt;&quot;&gt;********&lt;/Password&gt;", 1},
      {"escaped twice", "&amp;lt;Password&amp;gt;S3cret&amp;lt;/Password&amp;gt;",
       "&amp;lt;Password&amp;gt;********&amp;lt;/Password&amp;gt;", 1},
      {"login command line", "vokdesk.exe -L{105\t2026\tadmin\tS3cret\t2026-11-30\tdemo\t}",
       "vokdesk.exe -L{105\t2026\tadmin\t********\t2026-11-30\tdemo\t}", 1},
      {"empty, self-closing, already masked", "<Password/><Password></Password>" + m,
       "<Password/><Password></Password>" + m, 0},
      {"names that are no password", "<Pass>x</Pass><pwdx>y</pwdx><UserID>admin</UserID>",
       "<Pass>x</Pass><pwdx>y</pwdx><UserID>admin</UserID>", 0},
      {"a bare < in a text", "<Password>1 < 2 S3cret</Password>", m, 1},
      // Where the end cannot be told the whole value goes.
      {"never closed", "<Info><Password>S3cret\nmore", "********", 1},
      {"a stray end tag inside", "<Password>S3<x></Info>cret</Password>", m, 1},
      {"an end tag of another name", "<Password>S3cret</Info>", "********", 1},
      {"an end tag without its start", "S3cret</q:passwd>", "********", 1},
      {"tag never closed", "<Password xml:space=\"S3cret", "********", 1},
      {"comment never closed", "<Password><!-- S3cret</Password>", "********", 1},
      {"escaped, never closed", "&lt;Password&gt;S3cret", "********", 1},
  };
  for (const Case& c : cases) ExpectMasked(c, MaskUtf8);
}

// A GBK character may end in ']' (0x5D): read as bytes it would end the
// CDATA early and leave what follows.
TEST(BundleSecrets, GbkFileIsReadByCharacter) {
  const std::string cdata = "<Password><![CDATA[\x81]]>S3cret</Password>tail]]></Password>";
  ExpectMasked({"GBK trail byte ]", cdata, "<Password>********</Password>", 1}, MaskGbk);
  ExpectMasked({"GBK text around", "\xB5\xC7<Password>S3cret</Password>\xC2\xBC",
                "\xB5\xC7<Password>********</Password>\xC2\xBC", 1},
               MaskGbk);
  // A password whose character ends in '}' (0x7D) is not cut there.
  ExpectMasked({"GBK command line", "-L{1\t2\tu\tS3\x81\x7D" "cret\t3}",
                "-L{1\t2\tu\t********\t3}", 1},
               MaskGbk);
}

// Texts pieced together from markup at random: masking ends, leaves no
// secret that starts a password element's content, whatever follows it,
// and finds nothing the second time.
TEST(BundleSecrets, AnyMixOfMarkupIsMaskedOnceAndForAll) {
  const char* pieces[] = {"<Password>", "</Password>", "<q:pwd a='>'>", "</q:pwd>", "S3cret",
                          "<!--", "-->", "<![CDATA[", "]]>", "&lt;", "&gt;", "&lt;Passwd&gt;",
                          "&lt;/Passwd&gt;", "<x>", "</x>", "\"", "\n", "\x81", "pass=", " ",
                          "-L{", "\t", "}", "/>", "<"};
  unsigned seed = 12345;
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (int i = 0; i < 12; ++i) {
      seed = seed * 1103515245u + 12345u;
      text += pieces[(seed >> 16) % (sizeof pieces / sizeof *pieces)];
    }
    for (const TextEncoding encoding : {TextEncoding::kUtf8, TextEncoding::kGbk}) {
      std::string masked = text;
      MaskFile(masked, encoding);
      const std::string once = masked;
      EXPECT_EQ(MaskFile(masked, encoding), 0u) << text;
      EXPECT_EQ(masked, once) << text;
      std::string planted = "<Password>Planted" + text;
      MaskFile(planted, encoding);
      EXPECT_EQ(planted.find("Planted"), std::string::npos) << text << " gave " << planted;
    }
    std::string lines = text;
    MaskTrace(lines);
    EXPECT_EQ(MaskTrace(lines), 0u) << text;
  }
}

TEST(BundleSecrets, TraceMasksFieldsValuesAndRawLines) {
  const std::string t = "2026-12-01 08:00:00.000 pid=1 tid=1 call=1 event=";
  const Case cases[] = {
      {"field pass", t + "x pass=S3cret\n", t + "x pass=********\n", 1},
      {"field password, quoted", t + "x password=\"S3 cret\"\n", t + "x password=********\n", 1},
      {"field PWD and Passwd", t + "x PWD=S3cret Passwd=S3cret\n",
       t + "x PWD=******** Passwd=********\n", 2},
      {"login text in a value", t + "x text=\"<Info><Password>S3cret</Password></Info>\"\n",
       t + "x text=<Info><Password>********</Password></Info>\n", 1},
      {"cut login text in a value", t + "x text=\"<Password>S3cret... (40000 bytes)\"\n",
       t + "x text=********\n", 1},
      {"command line in a value",
       t + "interactive.start command=\"vokdesk.exe -L{105\\t2026\\tadmin\\tS3cret\\t2026\\t}\"\n",
       t + "interactive.start command=\"vokdesk.exe -L{105\\t2026\\tadmin\\t********\\t2026\\t}\"\n",
       1},
      {"an untouched line stays as it was", t + "x path=C:\\vok\\rep_vok.xml\r\n",
       t + "x path=C:\\vok\\rep_vok.xml\r\n", 0},
      {"raw line, escaped login text", "pasted: &lt;Password&gt;S3cret&lt;/Password&gt;\n",
       "pasted: &lt;Password&gt;********&lt;/Password&gt;\n", 1},
      {"raw line, fields", "cut short pass=S3cret pwd=\"S3 \\\" cret\" other=1\n",
       "cut short pass=******** pwd=\"********\" other=1\n", 2},
      {"raw line, command line", "cut command=\"x -L{1\\t2\\tu\\tS3cret\\t}\"",
       "cut command=\"x -L{1\\t2\\tu\\t********\\t}\"", 1},
      {"raw line, quote never closed", "cut pwd=\"S3cret\r\n", "********\r\n", 1},
      {"raw lines, element never closed", "x <Password>S3cret\nnext line\n" + t + "x\n",
       "********\n" + t + "x\n", 1},
      {"raw lines, one element over three", t + "x\n<Password>\r\nS3cret\r\n</Password>\r\n",
       t + "x\n<Password>********</Password>\r\n", 1},
      {"raw line, an end tag without its start", "S3cret</Password>\n", "********\n", 1},
      {"names that only look alike", t + "x pas=1 user=pass bypass=2\n",
       t + "x pas=1 user=pass bypass=2\n", 0},
  };
  for (const Case& c : cases) ExpectMasked(c, MaskTrace);
}

}  // namespace
}  // namespace vok::tool

// support-bundle --anonymize: what names an enterprise or a person (account
// codes, user IDs, servers, the parts of paths) replaced by hashes, each the
// same wherever it stands in one bundle, so that support can still tell one
// account's calls from another's. The hashes are salted afresh for every
// bundle: nobody can recompute one from a guessed account code. Texts are
// UTF-8.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace vok::tool {

class Anonymizer {
 public:
  // Nothing where the system cannot compute SHA-256 or give random bytes.
  static std::optional<Anonymizer> Make();

  std::string Account(std::string_view value) { return Hashed("account", value); }
  std::string User(std::string_view value) { return Hashed("user", value); }
  std::string Server(std::string_view value) { return Hashed("server", value); }

  // Each part of the path hashed ("D:\ABC贸易\vok\rep_vok.xml" gives
  // "D:\p-1a2b3c4d\vok\rep_vok.xml"), but for the package's own names, the
  // system's folders and a file's extension.
  std::string Path(std::string_view path);

  // A report tool's command line with its login fields and paths hashed;
  // one of another form is hashed whole.
  std::string Command(std::string_view command);

  // Every value hashed so far, wherever it stands whole in `text` (not as
  // a part of a longer word or number).
  std::string Text(std::string_view text) const;

 private:
  explicit Anonymizer(std::string salt) : salt_(std::move(salt)) {}
  std::string Hashed(std::string_view kind, std::string_view value);

  std::string salt_;
  std::map<std::string, std::string> known_;  // value -> its hash
};

}  // namespace vok::tool

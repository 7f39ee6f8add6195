#include "bundle/bundle_documents.h"

#include <optional>

#include "bundle/bundle_files.h"
#include "bundle/secrets.h"
#include "language/language.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/path_parts.h"
#include "platform/xml.h"
#include "show/filing_document.h"

namespace vok::tool {
namespace {

// Documents looked at before the rest are passed over unread: a trace of a
// large batch names hundreds.
constexpr std::size_t kLookedAt = 20;

constexpr std::string_view kPartSuffix = ".part";

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Why the document at `path` (GBK) cannot go into the bundle, or nothing
// when it can; `bytes` then holds it, masked.
std::optional<Said> Check(const std::string& path, std::string& bytes, std::size_t& masked) {
  UnfollowedFile file = ReadUnfollowed(path);
  if (file.refusal != ReadRefusal::kNone) {
    return [path, refusal = file.refusal] {
      return TrF("the filing document %s: %s", path, DescribeRefusal(refusal));
    };
  }
  if (!IsOwnedByThisUser(file.owner)) {
    return [path] { return TrF("the filing document %s: it belongs to another account", path); };
  }
  std::string fault;
  bool read = false;
  try {
    read = ReadFilingDocument(file.bytes, fault).has_value();
  } catch (const platform::XmlError&) {
    fault = "the XML parser is not available";
  }
  if (!read) {
    return [path, fault] {
      return TrF("the filing document %s: it is no filing document (%s)", path, fault);
    };
  }
  const std::size_t found = MaskText(file.bytes, TextEncoding::kGbk);
  if (file.bytes == kMaskedSecret) {
    return [path] {
      return TrF("the filing document %s: it holds a password that cannot be masked in place",
                 path);
    };
  }
  masked = found;
  bytes = std::move(file.bytes);
  return std::nullopt;
}

}  // namespace

void AddLastDocument(const std::vector<WrittenDocument>& written, BundleReport& report) {
  std::size_t looked_at = 0;
  for (auto document = written.rbegin(); document != written.rend(); ++document) {
    if (looked_at++ == kLookedAt) {
      const std::string rest = std::to_string(written.size() - kLookedAt);
      report.left_out.push_back([rest] {
        return TrF("%s older filing document(s) the trace names: not looked at", rest);
      });
      return;
    }
    const std::string path = platform::Utf8ToGbk(document->path);
    if (document->user != report.this_user) {
      const bool unsaid = document->user.empty();
      report.left_out.push_back([path, unsaid] {
        return unsaid
                   ? TrF("the filing document %s: the trace does not say whose call wrote it", path)
                   : TrF("the filing document %s: another account's call wrote it", path);
      });
      continue;
    }
    if (!IsAbsolutePath(path)) {
      report.left_out.push_back([path] {
        return TrF(
            "the filing document %s: a relative path, whose folder the trace does not "
            "say",
            path);
      });
      continue;
    }
    std::string bytes;
    std::size_t masked = 0;
    std::optional<Said> refused = Check(path, bytes, masked);
    std::string packed = path;
    // The batch writes "<name>.xml.part" and renames it once it passed.
    if (refused && EndsWith(path, kPartSuffix) && !platform::PathExists(path)) {
      packed = path.substr(0, path.size() - kPartSuffix.size());
      refused = Check(packed, bytes, masked);
    }
    if (refused) {
      report.left_out.push_back(std::move(*refused));
      continue;
    }
    report.document = "documents/" + platform::GbkToUtf8(platform::FileNameOfPath(packed));
    report.entries.push_back({report.document, std::move(bytes)});
    report.values_masked += masked;
    return;
  }
  if (written.empty()) {
    report.left_out.push_back([] { return Tr("the last filing document: the trace names none"); });
  }
}

}  // namespace vok::tool

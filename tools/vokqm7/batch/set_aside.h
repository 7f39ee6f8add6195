// DIR/earlier/: where a document that is no longer a current filing goes,
// named with the time it was written, with its page.
#pragma once

#include <string>

namespace vok::tool {

// The name in earlier/, without extension, that the document
// DIR/<stem>.xml would take now: "<stem>.20261209-163502", "-2" and on
// after it where that is taken.
std::string EarlierName(const std::string& folder, const std::string& stem);

// Moves DIR/<stem>.xml, and its page where there is one, to earlier/ under
// `name`. False, with `reason` for people, when the document could not go.
bool MoveToEarlier(const std::string& folder, const std::string& stem, const std::string& name,
                   std::string& reason);

// Moves earlier/<name>.xml back to DIR/<stem>.xml; false, with `reason`,
// when it cannot.
bool MoveBack(const std::string& folder, const std::string& stem, const std::string& name,
              std::string& reason);

}  // namespace vok::tool

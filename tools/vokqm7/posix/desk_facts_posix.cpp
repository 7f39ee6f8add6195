#include "desk_facts.h"

namespace vok::tool {

DeskFacts ReadDeskFacts(const std::string&) { return {}; }

}  // namespace vok::tool

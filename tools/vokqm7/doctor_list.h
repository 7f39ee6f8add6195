// doctor's checklist and the checks kept apart from the walk through the
// installation.
#pragma once

#include <string>

#include "language/language.h"
#include "output.h"

namespace vok::tool {

// Each line starts with its status in a column of its own. The status and
// its padding are one text with the line, so that a translation keeps its
// statuses of one width and the column stays straight.
class Checklist {
 public:
  void Ok(const std::string& what) { Say(TrF("  ok       %s", what)); }
  void Problem(const std::string& what) {
    Say(TrF("  PROBLEM  %s", what));
    ++problems_;
  }
  void Note(const std::string& what) { Say(TrF("  note     %s", what)); }
  int problems() const { return problems_; }

 private:
  int problems_ = 0;
};

// What a Windows desk does to programs: elevation, virtualization,
// compatibility settings, network drives, virtualized copies of the
// installation folder `location` (GBK; empty when there is none).
void CheckDesk(Checklist& list, const std::string& location);

// The ANSI code page of this process and the one the library last saw in
// a traced filing client.
void CheckCodePage(Checklist& list);

}  // namespace vok::tool

// One rule of a layout on one list, in every amount column. A rule is
// compared only where the tool is sure it belongs to the statement: its
// total is there once, each line it adds is there once or (hidden, or a
// line the template's format lacks) counted as zero, and no line printed
// between its first line and its total in 行次 order carries an amount it
// does not account for. Lines printed as parts ("其中："), the format's own
// parts and the lines of a total it adds (or that adds up the same total
// another way) are accounted for. Otherwise it is "not compared", saying
// which line stopped it.
//
// In a column: where the total and every line are blank or zero it is not
// compared, and neither is an optional breakdown whose lines are all blank
// or zero; a total that is not zero over lines that are all blank or zero
// fails.
#pragma once

#include <cstddef>
#include <string>

#include "checks/checks.h"
#include "checks/printed_list.h"
#include "checks/rule_file.h"

namespace vok::tool {

struct RuleOutcome {
  bool compared = false;  // it compared figures in some column
  CheckResult result;     // kPassed, kFailed or kNotCompared
};

// `list_name` ("利润表", "利润表 补充资料") starts the result's title;
// `place` is where the list stands in the document (its `item` unused).
RuleOutcome CheckRule(const Rule& rule, const Layout& layout, const PrintedList& list,
                      const std::string& list_name, ItemPlace place);

}  // namespace vok::tool

// Which layouts judge a list of a statement. A shipped layout is a
// candidate when none of its rules' lines is printed as a part of another
// line or with its own 加, 减 or loss note saying the other sign, and one of
// its totals is there. Of the candidates, the one that names the most of
// the list's lines judges, its lines that the list does not print counted
// as zero: so a layout whose lines are a subset of what the statement
// prints never judges it, and a richer one with some lines hidden does.
// Where two name as many, the one with fewer lines under a 加 or 减 of the
// other sign, then the one that misses fewer; where they still tie and
// their rules add the printed lines differently, none judges. Every layout
// of the caller's (--rules) whose lines are all there applies besides.
#pragma once

#include <vector>

#include "checks/printed_list.h"
#include "checks/rule_file.h"

namespace vok::tool {

struct LayoutChoice {
  std::vector<const Layout*> layouts;    // the shipped one that judges first, then the caller's
  std::vector<const Layout*> undecided;  // shipped ones that fit alike and add up differently
};

LayoutChoice ChooseLayouts(const std::vector<Layout>& layouts, StatementKind kind,
                           const PrintedList& list);

}  // namespace vok::tool

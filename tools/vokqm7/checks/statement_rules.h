// Each statement's own checks: that it holds amounts at all, and that its
// lines add up, exact to the cent in every amount column, under the rules of
// the layouts that fit it; and across statements, the note that sets the
// balance sheet's retained earnings beside the year's net profit.
#pragma once

#include <cstddef>
#include <vector>

#include "checks/checks.h"
#include "checks/rule_file.h"
#include "show/filing_document.h"

namespace vok::tool {

// Appends the checks of document.statements[index]: a failure when it holds
// no amounts, "all zero" when every amount is zero; else for each of its
// lists that layouts judge (ChooseLayouts) a note naming their formats and
// one result per rule (CheckRule), each rule once; "not checked" when no
// layout judges it, when two shipped ones fit alike and add up differently,
// or when no rule compared figures.
void CheckStatementArithmetic(const Statement& statement, std::size_t index,
                              const std::vector<Layout>& layouts,
                              std::vector<CheckResult>& results);

// For a document of one income statement and one balance sheet: a note of
// 未分配利润 (期末 - 年初) beside 净利润 (本年累计) and their difference,
// which distributions and reserves make differ rightly. Nothing when either
// line is missing.
void AddRetainedEarningsNote(const FilingDocument& document, std::vector<CheckResult>& results);

}  // namespace vok::tool

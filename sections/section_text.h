// The fixed texts of the SB_ZCFZB and SB_SYB sections and their item
// elements. Literals are GBK; texts taken from cells are escaped here.
#pragma once

#include <cstdint>
#include <string>

#include "platform/clock.h"

namespace vok {

// The texts of one item as the section writes them: the line number and item
// name cleaned, the two amounts after the amount rule (CleanedText,
// AmountText), in the order in which the item carries them.
struct ItemTexts {
  std::string line_number;
  std::string name;
  std::string first_amount;
  std::string second_amount;
};

// The balance-sheet section up to and including the detail list opening
// "<SB_ZCFZB_MXXX>", with `today` as its filing date.
void AppendBalanceSheetHead(std::string& out, const platform::LocalDate& today);

inline constexpr char kBalanceSheetTail[] = "</SB_ZCFZB_MXXX></SB_ZCFZB>";

// One SB_ZCFZB_XM: start-of-year amount (SB_ZCFZB_NCS) first, then the
// end-of-period amount (SB_ZCFZB_QMS).
void AppendBalanceSheetItem(std::string& out, const ItemTexts& item);

// The income-statement section up to and including the detail list opening
// "<SB_SYB_MXXX>", with `year` and `period` as its tax period.
void AppendIncomeStatementHead(std::string& out, std::int32_t year, std::int32_t period);

inline constexpr char kIncomeDetailListClose[] = "</SB_SYB_MXXX>";
inline constexpr char kIncomeSupplementaryOpen[] = "<SB_SYB_BCZL>";
inline constexpr char kIncomeSupplementaryClose[] = "</SB_SYB_BCZL>";
inline constexpr char kIncomeSectionClose[] = "</SB_SYB>";

// One SB_SYB_XM carrying the amount for the month (SB_SYB_BYS) and the
// cumulative amount for the year (SB_SYB_BNLJ).
void AppendMonthlyIncomeItem(std::string& out, const ItemTexts& item);

// One SB_SYB_XM carrying the cumulative amount for the year (SB_SYB_BNLJ) and
// the prior-year amount (SB_SYB_SNS).
void AppendYearOnYearIncomeItem(std::string& out, const ItemTexts& item);

}  // namespace vok

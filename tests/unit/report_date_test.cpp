#include <gtest/gtest.h>

#include <climits>

#include "interface/report_date.h"
#include "platform/clock.h"

namespace vok {
namespace {

constexpr platform::LocalDate kToday{2026, 12, 8};

TEST(ReportDateTest, CurrentMonthGivesToday) {
  EXPECT_EQ(ComputeReportDate(2026, 12, kToday), "2026-12-08");
  EXPECT_EQ(ComputeReportDate(2024, 2, {2024, 2, 9}), "2024-02-09");
}

TEST(ReportDateTest, OtherMonthsGiveTheirLastDay) {
  EXPECT_EQ(ComputeReportDate(2007, 2, kToday), "2007-02-28");
  EXPECT_EQ(ComputeReportDate(2008, 2, kToday), "2008-02-29");
  EXPECT_EQ(ComputeReportDate(2000, 2, kToday), "2000-02-29");
  EXPECT_EQ(ComputeReportDate(1900, 2, kToday), "1900-02-28");
  EXPECT_EQ(ComputeReportDate(2007, 12, kToday), "2007-12-31");
  EXPECT_EQ(ComputeReportDate(2007, 4, kToday), "2007-04-30");
  EXPECT_EQ(ComputeReportDate(2007, 1, kToday), "2007-01-31");
  // Past and future months of the current year alike.
  EXPECT_EQ(ComputeReportDate(2026, 11, kToday), "2026-11-30");
  EXPECT_EQ(ComputeReportDate(2027, 12, kToday), "2027-12-31");
}

TEST(ReportDateTest, BothNumbersMustMatchForToday) {
  EXPECT_EQ(ComputeReportDate(2025, 12, kToday), "2025-12-31");
  EXPECT_EQ(ComputeReportDate(2026, 11, {2026, 11, 30}), "2026-11-30");
  EXPECT_EQ(ComputeReportDate(2026, 11, {2026, 11, 3}), "2026-11-03");
}

TEST(ReportDateTest, PeriodsOutsideTheYearCarryIntoOtherYears) {
  EXPECT_EQ(ComputeReportDate(2007, 0, kToday), "2006-12-31");
  EXPECT_EQ(ComputeReportDate(2007, 13, kToday), "2008-01-31");
  EXPECT_EQ(ComputeReportDate(2007, 14, kToday), "2008-02-29");
  EXPECT_EQ(ComputeReportDate(2007, -1, kToday), "2006-11-30");
  EXPECT_EQ(ComputeReportDate(2007, 25, kToday), "2009-01-31");
  EXPECT_EQ(ComputeReportDate(2007, -11, kToday), "2006-01-31");
  EXPECT_EQ(ComputeReportDate(2007, -12, kToday), "2005-12-31");
}

TEST(ReportDateTest, ExtremeInputsStayDefined) {
  EXPECT_EQ(ComputeReportDate(0, 1, kToday), "0000-01-31");
  EXPECT_EQ(ComputeReportDate(95, 3, kToday), "0095-03-31");
  EXPECT_EQ(ComputeReportDate(12345, 6, kToday), "12345-06-30");
  EXPECT_EQ(ComputeReportDate(-1, 1, kToday), "-0001-01-31");
  EXPECT_EQ(ComputeReportDate(INT_MAX, 12, kToday), "2147483647-12-31");
  EXPECT_EQ(ComputeReportDate(INT_MAX, INT_MAX, kToday), "2326440617-07-31");
  EXPECT_EQ(ComputeReportDate(INT_MIN, INT_MIN, kToday), "-2326440619-04-30");
  EXPECT_EQ(ComputeReportDate(INT_MIN, 1, kToday), "-2147483648-01-31");
}

}  // namespace
}  // namespace vok

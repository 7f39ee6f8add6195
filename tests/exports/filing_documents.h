// Expected filing documents for the fixtures in tests/data/filing, written
// out by hand (UTF-8 here; the library writes GBK).
#pragma once

#include <string>

namespace vok::test {

inline const std::string kFilingHead = "<?xml version=\"1.0\" encoding=\"GBK\" ?><DZSBB>";

inline std::string IncomeHead(const std::string& period) {
  return "<SB_SYB><SB_SYB_JG><SB_SYB_DM>0</SB_SYB_DM><SB_SYB_DM>成功</SB_SYB_DM></SB_SYB_JG>"
         "<SB_SYB_BTXX><SB_SYB_BZDW></SB_SYB_BZDW><SB_SYB_SKSSQ>" + period +
         "</SB_SYB_SKSSQ><SB_SYB_DWFZR>0</SB_SYB_DWFZR><SB_SYB_CKFZR>0</SB_SYB_CKFZR>"
         "<SB_SYB_FH></SB_SYB_FH><SB_SYB_ZB></SB_SYB_ZB></SB_SYB_BTXX><SB_SYB_MXXX>";
}

// income.rep through the monthly layout.
inline std::string IncomeSectionV1(const std::string& period) {
  return IncomeHead(period) +
         "<SB_SYB_XM><SB_SYB_LC>1</SB_SYB_LC><SB_SYB_XMMC>一、主营业务收入</SB_SYB_XMMC>"
         "<SB_SYB_BYS>1000.00</SB_SYB_BYS><SB_SYB_BNLJ>12000.00</SB_SYB_BNLJ></SB_SYB_XM>"
         "<SB_SYB_XM><SB_SYB_LC>2</SB_SYB_LC><SB_SYB_XMMC>减：主营业务成本</SB_SYB_XMMC>"
         "<SB_SYB_BYS>0.00</SB_SYB_BYS><SB_SYB_BNLJ>8000.50</SB_SYB_BNLJ></SB_SYB_XM>"
         "<SB_SYB_XM><SB_SYB_LC>3</SB_SYB_LC><SB_SYB_XMMC>R&amp;D &lt;费用&gt;</SB_SYB_XMMC>"
         "<SB_SYB_BYS>5.00</SB_SYB_BYS><SB_SYB_BNLJ>6</SB_SYB_BNLJ></SB_SYB_XM>"
         "</SB_SYB_MXXX></SB_SYB>";
}

// income.rep through the year and prior-year layout.
inline std::string IncomeSectionV2(const std::string& period) {
  return IncomeHead(period) +
         "<SB_SYB_BCZL>"
         "<SB_SYB_XM><SB_SYB_LC>1</SB_SYB_LC><SB_SYB_XMMC>一、主营业务收入</SB_SYB_XMMC>"
         "<SB_SYB_BNLJ>1000.00</SB_SYB_BNLJ><SB_SYB_SNS>12000.00</SB_SYB_SNS></SB_SYB_XM>"
         "<SB_SYB_XM><SB_SYB_LC>2</SB_SYB_LC><SB_SYB_XMMC>减：主营业务成本</SB_SYB_XMMC>"
         "<SB_SYB_BNLJ>0.00</SB_SYB_BNLJ><SB_SYB_SNS>8000.50</SB_SYB_SNS></SB_SYB_XM>"
         "<SB_SYB_XM><SB_SYB_LC>3</SB_SYB_LC><SB_SYB_XMMC>R&amp;D &lt;费用&gt;</SB_SYB_XMMC>"
         "<SB_SYB_BNLJ>5.00</SB_SYB_BNLJ><SB_SYB_SNS>6</SB_SYB_SNS></SB_SYB_XM>"
         "</SB_SYB_BCZL></SB_SYB_MXXX></SB_SYB>";
}

// financial_income.rep through the layout with a supplementary block.
inline std::string IncomeSectionV3(const std::string& period) {
  return IncomeHead(period) +
         "<SB_SYB_XM><SB_SYB_LC>1</SB_SYB_LC><SB_SYB_XMMC>营业收入</SB_SYB_XMMC>"
         "<SB_SYB_BYS>10.00</SB_SYB_BYS><SB_SYB_BNLJ>120.00</SB_SYB_BNLJ></SB_SYB_XM>"
         "</SB_SYB_MXXX><SB_SYB_BCZL>"
         "<SB_SYB_XM><SB_SYB_LC>1</SB_SYB_LC><SB_SYB_XMMC>1.债务重组损失</SB_SYB_XMMC>"
         "<SB_SYB_BNLJ>3.00</SB_SYB_BNLJ><SB_SYB_SNS>4.00</SB_SYB_SNS></SB_SYB_XM>"
         "<SB_SYB_XM><SB_SYB_LC>2</SB_SYB_LC><SB_SYB_XMMC>2.其他</SB_SYB_XMMC>"
         "<SB_SYB_BNLJ>0.00</SB_SYB_BNLJ><SB_SYB_SNS>7.50</SB_SYB_SNS></SB_SYB_XM>"
         "</SB_SYB_BCZL></SB_SYB>";
}

// balance.rep, through either balance-sheet layout; `today` is YYYYMMDD.
inline std::string BalanceSection(const std::string& today) {
  auto item = [](const char* line, const char* name, const char* start, const char* end) {
    return std::string("<SB_ZCFZB_XM><SB_ZCFZB_LC>") + line + "</SB_ZCFZB_LC><SB_ZCFZB_XMMC>" +
           name + "</SB_ZCFZB_XMMC><SB_ZCFZB_NCS>" + start + "</SB_ZCFZB_NCS><SB_ZCFZB_QMS>" +
           end + "</SB_ZCFZB_QMS></SB_ZCFZB_XM>";
  };
  return "<SB_ZCFZB><SB_ZCFZB_JG><SB_ZCFZB_DM>0</SB_ZCFZB_DM><SB_ZCFZB_DM>成功</SB_ZCFZB_DM>"
         "</SB_ZCFZB_JG><SB_ZCFZB_BTXX><SB_ZCFZB_BZDW></SB_ZCFZB_BZDW> <SB_ZCFZB_TBRQ>" + today +
         "</SB_ZCFZB_TBRQ><SB_ZCFZB_YTXSYHB>0</SB_ZCFZB_YTXSYHB><SB_ZCFZB_GDZBNZUZB>0"
         "</SB_ZCFZB_GDZBNZUZB><SB_ZCFZB_GJZB>0</SB_ZCFZB_GJZB><SB_ZCFZB_FAZB>0</SB_ZCFZB_FAZB>"
         "<SB_ZCFZB_GRZB>0</SB_ZCFZB_GRZB><SB_ZCFZB_WSZB>0</SB_ZCFZB_WSZB>"
         "<SB_ZCFZB_DWFZR></SB_ZCFZB_DWFZR><SB_ZCFZB_CKFZR></SB_ZCFZB_CKFZR>"
         "<SB_ZCFZB_FH></SB_ZCFZB_FH><SB_ZCFZB_ZB></SB_ZCFZB_ZB></SB_ZCFZB_BTXX><SB_ZCFZB_MXXX>" +
         item("1", "货币资金", "100.00", "200.00") + item("5", "资产总计", "100.00", "200.00") +
         item("10", "短期借款", "50.00", "60.00") + item("11", "实收资本", "0.00", "0.00") +
         "</SB_ZCFZB_MXXX></SB_ZCFZB>";
}

}  // namespace vok::test

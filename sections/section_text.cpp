#include "sections/section_text.h"

#include <cstdio>

#include "sections/cell_text.h"

namespace vok {
namespace {

void AppendElement(std::string& out, const char* name, const std::string& text) {
  out += '<';
  out += name;
  out += '>';
  AppendEscaped(out, text);
  out += "</";
  out += name;
  out += '>';
}

// One item: its element, then line number, name and the two amounts.
struct ItemElements {
  const char* item;
  const char* line_number;
  const char* name;
  const char* first_amount;
  const char* second_amount;
};

void AppendItem(std::string& out, const ItemElements& elements, const ItemTexts& item) {
  out += '<';
  out += elements.item;
  out += '>';
  AppendElement(out, elements.line_number, item.line_number);
  AppendElement(out, elements.name, item.name);
  AppendElement(out, elements.first_amount, item.first_amount);
  AppendElement(out, elements.second_amount, item.second_amount);
  out += "</";
  out += elements.item;
  out += '>';
}

}  // namespace

void AppendBalanceSheetHead(std::string& out, const platform::LocalDate& today) {
  char date[48];
  std::snprintf(date, sizeof date, "%04d%02d%02d", today.year, today.month, today.day);
  // 成功 is GBK B3C9 B9A6. The blank before SB_ZCFZB_TBRQ belongs to the
  // format the filing client reads.
  out += "<SB_ZCFZB><SB_ZCFZB_JG><SB_ZCFZB_DM>0</SB_ZCFZB_DM>"
         "<SB_ZCFZB_DM>\xB3\xC9\xB9\xA6</SB_ZCFZB_DM></SB_ZCFZB_JG>"
         "<SB_ZCFZB_BTXX><SB_ZCFZB_BZDW></SB_ZCFZB_BZDW> <SB_ZCFZB_TBRQ>";
  out += date;
  out += "</SB_ZCFZB_TBRQ>"
         "<SB_ZCFZB_YTXSYHB>0</SB_ZCFZB_YTXSYHB>"
         "<SB_ZCFZB_GDZBNZUZB>0</SB_ZCFZB_GDZBNZUZB>"
         "<SB_ZCFZB_GJZB>0</SB_ZCFZB_GJZB>"
         "<SB_ZCFZB_FAZB>0</SB_ZCFZB_FAZB>"
         "<SB_ZCFZB_GRZB>0</SB_ZCFZB_GRZB>"
         "<SB_ZCFZB_WSZB>0</SB_ZCFZB_WSZB>"
         "<SB_ZCFZB_DWFZR></SB_ZCFZB_DWFZR>"
         "<SB_ZCFZB_CKFZR></SB_ZCFZB_CKFZR>"
         "<SB_ZCFZB_FH></SB_ZCFZB_FH>"
         "<SB_ZCFZB_ZB></SB_ZCFZB_ZB>"
         "</SB_ZCFZB_BTXX><SB_ZCFZB_MXXX>";
}

void AppendBalanceSheetItem(std::string& out, const ItemTexts& item) {
  AppendItem(out,
             {"SB_ZCFZB_XM", "SB_ZCFZB_LC", "SB_ZCFZB_XMMC", "SB_ZCFZB_NCS", "SB_ZCFZB_QMS"},
             item);
}

void AppendIncomeStatementHead(std::string& out, std::int32_t year, std::int32_t period) {
  char tax_period[48];
  std::snprintf(tax_period, sizeof tax_period, "%04d%02d", static_cast<int>(year),
                static_cast<int>(period));
  out += "<SB_SYB><SB_SYB_JG><SB_SYB_DM>0</SB_SYB_DM>"
         "<SB_SYB_DM>\xB3\xC9\xB9\xA6</SB_SYB_DM></SB_SYB_JG>"
         "<SB_SYB_BTXX><SB_SYB_BZDW></SB_SYB_BZDW><SB_SYB_SKSSQ>";
  out += tax_period;
  out += "</SB_SYB_SKSSQ>"
         "<SB_SYB_DWFZR>0</SB_SYB_DWFZR>"
         "<SB_SYB_CKFZR>0</SB_SYB_CKFZR>"
         "<SB_SYB_FH></SB_SYB_FH>"
         "<SB_SYB_ZB></SB_SYB_ZB>"
         "</SB_SYB_BTXX><SB_SYB_MXXX>";
}

void AppendMonthlyIncomeItem(std::string& out, const ItemTexts& item) {
  AppendItem(out,
             {"SB_SYB_XM", "SB_SYB_LC", "SB_SYB_XMMC", "SB_SYB_BYS", "SB_SYB_BNLJ"},
             item);
}

void AppendYearOnYearIncomeItem(std::string& out, const ItemTexts& item) {
  AppendItem(out,
             {"SB_SYB_XM", "SB_SYB_LC", "SB_SYB_XMMC", "SB_SYB_BNLJ", "SB_SYB_SNS"},
             item);
}

}  // namespace vok

// Fixed names in the report tool's installation folder. Each path is the
// InstallLocation followed directly by one of these pieces.
#pragma once

namespace vok::paths {

inline constexpr char kBatchTool[] = "\\vokwqm7.exe";
inline constexpr char kInteractiveTool[] = "\\vokdesk.exe";

// Templates of the two combined filings, in the GBK-named template folders
// 国税申报 (national tax) and 财务申报 (financial reports).
// \vokModel\国税申报\hxsyb.rep
inline constexpr char kNationalIncomeTemplate[] = "\\vokModel\\\xB9\xFA\xCB\xB0\xC9\xEA\xB1\xA8\\hxsyb.rep";
// \vokModel\国税申报\hxzcfzb.rep
inline constexpr char kNationalBalanceTemplate[] = "\\vokModel\\\xB9\xFA\xCB\xB0\xC9\xEA\xB1\xA8\\hxzcfzb.rep";
// \vokModel\财务申报\lrb.rep
inline constexpr char kFinancialIncomeTemplate[] = "\\vokModel\\\xB2\xC6\xCE\xF1\xC9\xEA\xB1\xA8\\lrb.rep";
// \vokModel\财务申报\zcfzb.rep
inline constexpr char kFinancialBalanceTemplate[] = "\\vokModel\\\xB2\xC6\xCE\xF1\xC9\xEA\xB1\xA8\\zcfzb.rep";

// Work copies of templates that the batch tool computes in.
inline constexpr char kSingleWorkFile[] = "\\voktemp.rep";
inline constexpr char kFirstWorkFile[] = "\\voktemp1.rep";
inline constexpr char kSecondWorkFile[] = "\\voktemp2.rep";

// The cell export the batch tool writes after each run, and the kept copies.
inline constexpr char kCellExport[] = "\\rep_vok.xml";
inline constexpr char kFirstCellExport[] = "\\rep_vok1.xml";
inline constexpr char kSecondCellExport[] = "\\rep_vok2.xml";

}  // namespace vok::paths

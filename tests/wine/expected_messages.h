// The messages the library must leave in the caller's buffer, written here
// as UTF-8 and converted to GBK at run time, independently of the library.
#pragma once

#include <string>

#include "wine_support.h"

namespace vok::wine_test::expected {

inline std::string ParseFailed() { return Gbk(u8"分析输入参数错误!"); }
inline std::string InstallMissing() { return Gbk(u8"安装程序信息不正确，请重新安装程序!"); }
inline std::string TemplateMissing() { return Gbk(u8"请检查模版文件是否存在!"); }
inline std::string TemplateCopyFailed() {
  return Gbk(u8"复制模版文件出错，请检查模版文件是否存在!");
}
inline std::string IncomeTemplateCopyFailed() {
  return Gbk(u8"复制损益表模版文件出错，请检查模版文件是否存在!");
}
inline std::string SingleLaunchFailed() { return Gbk(u8"调用接口程序失败!"); }
inline std::string SingleNoOutput() { return Gbk(u8"接口程序无输出文件!"); }
inline std::string NoDataFilePath() { return Gbk(u8"没有指定生成的数据文件路径!"); }
inline std::string DataFileCopyFailed() { return Gbk(u8"请检查指定文件名称是否正确!"); }
inline std::string OpenLaunchFailed() { return Gbk(u8"在生成数据时,调用接口程序失败!"); }

// The filing-document exports.
inline std::string BalanceTemplateCopyFailed() {
  return Gbk(u8"复制资产负债表模版文件出错，请检查模版文件是否存在!");
}
inline std::string IncomeNoOutput() { return Gbk(u8"接口程序无损益表数据文件输出!"); }
inline std::string BalanceNoOutput() { return Gbk(u8"接口程序无资产负债表文件输出!"); }
inline std::string ByTypeNoOutput() { return Gbk(u8"接口程序数据文件输出!"); }
inline std::string BalanceExportUnreadable() { return Gbk(u8"分析资产负债表数据文件错误!"); }
inline std::string IncomeExportUnreadable() { return Gbk(u8"分析损益表数据文件错误!"); }
inline std::string UnsupportedReportType() { return Gbk(u8"不支持的报表类型!"); }
inline std::string OutputWriteFailed() {
  return Gbk(u8"生成最终数据文件错误,请检查导出文件名称是否合法!");
}

}  // namespace vok::wine_test::expected

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

}  // namespace vok::wine_test::expected

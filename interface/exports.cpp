// The library's exported functions. Each one only puts the call under the
// guard of ExportCall, so that nothing thrown inside reaches the host.
#include "vokqm7.h"

#include "interface/requests.h"

extern "C" {

VOKQM7_API int VOKQM7_CALL GetVersionQM7(void) { return 2; }

VOKQM7_API int VOKQM7_CALL GetReportDate(const char* loginXml, const char* outputPath,
                                         char* messageBuffer) {
  vok::ExportCall call("GetReportDate", messageBuffer);
  return call.Run([&](vok::ExportCall& c) {
    if (!c.AcceptCallerTexts({loginXml, outputPath})) return -1;
    return vok::GetNationalFiling(c, loginXml, outputPath);
  });
}

VOKQM7_API int VOKQM7_CALL GetReport(const char* loginXml, int trailingNumber,
                                     const char* templatePath, const char* dataFilePath,
                                     char* messageBuffer) {
  vok::ExportCall call("GetReport", messageBuffer);
  return call.Run([&](vok::ExportCall& c) {
    if (!c.AcceptCallerTexts({loginXml, templatePath, dataFilePath})) return -1;
    return vok::GetSingleReport(c, loginXml, trailingNumber, templatePath, dataFilePath);
  });
}

VOKQM7_API int VOKQM7_CALL GetReportV2(const char* loginXml, const char* outputPath,
                                       char* messageBuffer) {
  vok::ExportCall call("GetReportV2", messageBuffer);
  return call.Run([&](vok::ExportCall& c) {
    if (!c.AcceptCallerTexts({loginXml, outputPath})) return -1;
    return vok::GetFilingByType(c, loginXml, outputPath);
  });
}

VOKQM7_API int VOKQM7_CALL OpenReportV2(const char* loginXml, char* messageBuffer) {
  vok::ExportCall call("OpenReportV2", messageBuffer);
  return call.Run([&](vok::ExportCall& c) {
    if (!c.AcceptCallerTexts({loginXml})) return -1;
    return vok::OpenInteractiveReport(c, loginXml);
  });
}

VOKQM7_API int VOKQM7_CALL GetReportDateV2(const char* loginXml, const char* outputPath,
                                           char* messageBuffer) {
  vok::ExportCall call("GetReportDateV2", messageBuffer);
  return call.Run([&](vok::ExportCall& c) {
    if (!c.AcceptCallerTexts({loginXml, outputPath})) return -1;
    return vok::GetFinancialFiling(c, loginXml, outputPath);
  });
}

}  // extern "C"

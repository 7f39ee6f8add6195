/*
 * VOKQM7: financial statements from the accounting package's report tool,
 * as filing documents for the tax-filing client.
 *
 * Texts are zero-terminated narrow strings in the system's ANSI code page,
 * which is GBK (code page 936) on the systems served; the same holds on
 * Linux, where the library expects GBK bytes too.
 *
 * Results: 0 on success; -1 or another negative value on failure. On
 * failure exactly one zero-terminated GBK message is copied into
 * messageBuffer, from its first byte; on success the buffer is not touched.
 * No size is passed: the buffer must hold at least 52 bytes. A NULL
 * messageBuffer is allowed and only means that the message is not copied.
 *
 * loginXml is a small XML text such as
 *   <Info><LoginInfo><AccountCode>001</AccountCode><Year>2007</Year>
 *   <Period>3</Period><Server>acct-server</Server></LoginInfo></Info>
 * (UserID, Password, LoginDate, FileRep and ReportType where a call reads
 * them).
 *
 * The batch calls use fixed work files in the report tool's folder; calls
 * on one installation take turns (from every thread, process and user of
 * the machine), each waiting for the one before it.
 */
#ifndef VOKQM7_H
#define VOKQM7_H

#if defined(_WIN32)
/* WINAPI: the callee removes its arguments from the stack. */
#define VOKQM7_CALL __stdcall
#define VOKQM7_API
#else
#define VOKQM7_CALL
#define VOKQM7_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Ordinal 1. The interface version: always 2. */
VOKQM7_API int VOKQM7_CALL GetVersionQM7(void);

/* Ordinal 2. Income statement and balance sheet of one period from the
 * national-tax templates, written to outputPath as a GBK filing document. */
VOKQM7_API int VOKQM7_CALL GetReportDate(const char *loginXml,
                                         const char *outputPath,
                                         char *messageBuffer);

/* Ordinal 3. Runs templatePath through the report tool and copies its raw
 * cell export to dataFilePath. trailingNumber is passed on to the tool.
 * Waits for the tool without a time limit. */
VOKQM7_API int VOKQM7_CALL GetReport(const char *loginXml, int trailingNumber,
                                     const char *templatePath,
                                     const char *dataFilePath,
                                     char *messageBuffer);

/* Ordinal 4. One statement, chosen by the ReportType field ("ZCFZB" or
 * "SYB"), from the template named by the FileRep field. */
VOKQM7_API int VOKQM7_CALL GetReportV2(const char *loginXml,
                                       const char *outputPath,
                                       char *messageBuffer);

/* Ordinal 5. Starts the interactive report tool logged in; does not wait. */
VOKQM7_API int VOKQM7_CALL OpenReportV2(const char *loginXml,
                                        char *messageBuffer);

/* Ordinal 6. As GetReportDate, from the financial-report templates. */
VOKQM7_API int VOKQM7_CALL GetReportDateV2(const char *loginXml,
                                           const char *outputPath,
                                           char *messageBuffer);

#ifdef __cplusplus
}
#endif

#endif /* VOKQM7_H */

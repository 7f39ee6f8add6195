/* A filing client's use of VOKQM7.dll: load it, look the functions up by
 * name, write the national-tax filing document of one period.
 *
 *   filing_client OUTPUT.xml ACCOUNT YEAR PERIOD SERVER
 *
 * All texts are GBK. Values that may hold & < > ' " must be escaped before
 * they go into the login XML. */
#include <stdio.h>
#include <windows.h>

typedef int(__stdcall *GetVersionQM7Function)(void);
typedef int(__stdcall *GetReportDateFunction)(const char *loginXml, const char *outputPath,
                                             char *messageBuffer);

int main(int argc, char **argv) {
  if (argc != 6) {
    fprintf(stderr, "usage: %s OUTPUT.xml ACCOUNT YEAR PERIOD SERVER\n", argv[0]);
    return 2;
  }
  HMODULE dll = LoadLibraryA("VOKQM7.dll");
  if (dll == NULL) {
    printf("cannot load VOKQM7.dll (error %lu)\n", GetLastError());
    return 1;
  }
  /* The cast through void (*)(void) is how C converts between function pointer types. */
  GetVersionQM7Function get_version =
      (GetVersionQM7Function)(void (*)(void))GetProcAddress(dll, "GetVersionQM7");
  GetReportDateFunction get_report_date =
      (GetReportDateFunction)(void (*)(void))GetProcAddress(dll, "GetReportDate");
  if (get_version == NULL || get_report_date == NULL) {
    printf("VOKQM7.dll lacks an export (error %lu)\n", GetLastError());
    FreeLibrary(dll);
    return 1;
  }
  printf("interface version %d\n", get_version());

  char login[512];
  snprintf(login, sizeof login,
           "<Info><LoginInfo><AccountCode>%s</AccountCode><Year>%s</Year>"
           "<Period>%s</Period><Server>%s</Server></LoginInfo></Info>",
           argv[2], argv[3], argv[4], argv[5]);
  char message[52] = ""; /* the smallest buffer the library accepts */
  int result = get_report_date(login, argv[1], message);
  if (result != 0) {
    printf("GetReportDate failed (%d): %s\n", result, message);
  } else {
    printf("GetReportDate wrote %s\n", argv[1]);
  }
  FreeLibrary(dll);
  return result == 0 ? 0 : 1;
}

/* A filing client that files for several enterprises at once: THREADS
 * threads, each making CALLS GetReportDate calls one after another, every
 * call with an account of its own, all on one installation. Run several of
 * these side by side for calls from several processes.
 *
 *   overlapping_calls THREADS CALLS FIRST_ACCOUNT OUTPUT_FOLDER
 *
 * Accounts are FIRST_ACCOUNT, FIRST_ACCOUNT + 1, ... (FIRST_ACCOUNT at least
 * 100000); the report tool of the test installation writes figures made of
 * the account ("<account>.00") beside figures of its templates that are all
 * smaller, so each document must carry its own account's figures and no
 * other's. Prints
 * one line per failed call and a last line
 *   "<n> calls, <k> with their own figures"
 * and exits 0 only when every call succeeded with its own figures.
 *
 * Linux: linked to libVOKQM7.so. Windows: loads VOKQM7.dll as a filing
 * client does. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
typedef int(__stdcall *ReportDateFunction)(const char *, const char *, char *);
static ReportDateFunction get_report_date;
#define SEPARATOR "\\"
#else
#include <pthread.h>
#include "vokqm7.h"
#define get_report_date GetReportDate
#define SEPARATOR "/"
#endif

static const long kSmallestAccount = 100000;
static int calls_per_thread;
static long first_account;
static const char *output_folder;

struct Worker {
  int index;
  int good; /* calls that came back with their own figures */
};

static char *ReadAll(const char *path) {
  FILE *file = fopen(path, "rb");
  if (file == NULL) return NULL;
  size_t size = 0, capacity = 1 << 16;
  char *bytes = malloc(capacity + 1);
  size_t n;
  while (bytes != NULL && (n = fread(bytes + size, 1, capacity - size, file)) > 0) {
    size += n;
    if (size == capacity) {
      char *grown = realloc(bytes, 2 * capacity + 1);
      if (grown == NULL) free(bytes);
      bytes = grown;
      capacity *= 2;
    }
  }
  fclose(file);
  if (bytes != NULL) bytes[size] = '\0';
  return bytes;
}

/* The document holds this account's figures in both statements, and no
 * figure of another account. */
static int HoldsOwnFigures(const char *document, long account) {
  char income[64], balance[64];
  snprintf(income, sizeof income, "<SB_SYB_BYS>%ld.00</SB_SYB_BYS>", account);
  snprintf(balance, sizeof balance, "<SB_ZCFZB_QMS>%ld.00</SB_ZCFZB_QMS>", account);
  if (strstr(document, income) == NULL || strstr(document, balance) == NULL) return 0;
  /* An account-sized figure that is not this account is another's. */
  for (const char *at = strstr(document, ".00<"); at != NULL; at = strstr(at + 1, ".00<")) {
    const char *start = at;
    while (start > document && start[-1] >= '0' && start[-1] <= '9') --start;
    const long figure = strtol(start, NULL, 10);
    if (figure >= kSmallestAccount && figure != account) return 0;
  }
  return 1;
}

static void RunWorker(struct Worker *worker) {
  for (int call = 0; call < calls_per_thread; ++call) {
    const long account = first_account + (long)worker->index * calls_per_thread + call;
    char login[512], output[1024], message[128] = "";
    snprintf(login, sizeof login,
             "<Info><LoginInfo><AccountCode>%ld</AccountCode><Year>2026</Year>"
             "<Period>11</Period><Server>srv</Server></LoginInfo></Info>",
             account);
    snprintf(output, sizeof output, "%s" SEPARATOR "%ld.xml", output_folder, account);
    const int result = get_report_date(login, output, message);
    char *document = result == 0 ? ReadAll(output) : NULL;
    if (result != 0) {
      printf("account %ld: GetReportDate returned %d: %s\n", account, result, message);
    } else if (document == NULL || !HoldsOwnFigures(document, account)) {
      printf("account %ld: the document does not hold its own figures\n", account);
    } else {
      ++worker->good;
    }
    free(document);
  }
}

#ifdef _WIN32
static DWORD WINAPI WorkerThread(LPVOID worker) {
  RunWorker(worker);
  return 0;
}
#else
static void *WorkerThread(void *worker) {
  RunWorker(worker);
  return NULL;
}
#endif

int main(int argc, char **argv) {
  if (argc != 5) {
    fprintf(stderr, "usage: overlapping_calls THREADS CALLS FIRST_ACCOUNT OUTPUT_FOLDER\n");
    return 2;
  }
  const int threads = atoi(argv[1]);
  calls_per_thread = atoi(argv[2]);
  first_account = atol(argv[3]);
  output_folder = argv[4];
  if (threads < 1 || threads > 64 || calls_per_thread < 1 || first_account < kSmallestAccount) {
    return 2;
  }
#ifdef _WIN32
  HMODULE library = LoadLibraryA("VOKQM7.dll");
  if (library == NULL) {
    printf("cannot load VOKQM7.dll (error %lu)\n", GetLastError());
    return 4;
  }
  get_report_date = (ReportDateFunction)(void (*)(void))GetProcAddress(library, "GetReportDate");
  if (get_report_date == NULL) return 4;
#endif

  struct Worker workers[64];
  for (int i = 0; i < threads; ++i) {
    workers[i].index = i;
    workers[i].good = 0;
  }
  /* Thread 0 is this one; the others start first so that all overlap. */
#ifdef _WIN32
  HANDLE started[64];
  for (int i = 1; i < threads; ++i) {
    started[i] = CreateThread(NULL, 0, WorkerThread, &workers[i], 0, NULL);
    if (started[i] == NULL) return 4;
  }
  RunWorker(&workers[0]);
  for (int i = 1; i < threads; ++i) {
    WaitForSingleObject(started[i], INFINITE);
    CloseHandle(started[i]);
  }
#else
  pthread_t started[64];
  for (int i = 1; i < threads; ++i) {
    if (pthread_create(&started[i], NULL, WorkerThread, &workers[i]) != 0) return 4;
  }
  RunWorker(&workers[0]);
  for (int i = 1; i < threads; ++i) pthread_join(started[i], NULL);
#endif

  int good = 0;
  for (int i = 0; i < threads; ++i) good += workers[i].good;
  printf("%d calls, %d with their own figures\n", threads * calls_per_thread, good);
  return good == threads * calls_per_thread ? 0 : 1;
}

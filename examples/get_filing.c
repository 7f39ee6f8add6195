/*
 * Writes a filing document: the combined filing of one period from the
 * national-tax templates (GetReportDate), from the financial-report
 * templates (GetReportDateV2), or one statement by report type
 * (GetReportV2, whose login names ReportType and FileRep).
 *
 *   get_filing national|financial|by-type LOGIN.xml OUTPUT.xml
 *
 * The document is GBK text; so is the message printed on failure.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "vokqm7.h"

static char *read_text(const char *path) {
  FILE *file = fopen(path, "rb");
  if (file == NULL) return NULL;
  if (fseek(file, 0, SEEK_END) != 0) {
    fclose(file);
    return NULL;
  }
  long size = ftell(file);
  rewind(file);
  char *text = size >= 0 ? malloc((size_t)size + 1) : NULL;
  if (text != NULL && fread(text, 1, (size_t)size, file) != (size_t)size) {
    free(text);
    text = NULL;
  }
  if (text != NULL) text[size] = '\0';
  fclose(file);
  return text;
}

int main(int argc, char **argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: %s national|financial|by-type LOGIN.xml OUTPUT.xml\n", argv[0]);
    return 2;
  }
  int (VOKQM7_CALL *export_function)(const char *, const char *, char *);
  if (strcmp(argv[1], "national") == 0) {
    export_function = GetReportDate;
  } else if (strcmp(argv[1], "financial") == 0) {
    export_function = GetReportDateV2;
  } else if (strcmp(argv[1], "by-type") == 0) {
    export_function = GetReportV2;
  } else {
    fprintf(stderr, "unknown filing: %s\n", argv[1]);
    return 2;
  }
  char *login = read_text(argv[2]);
  if (login == NULL) {
    fprintf(stderr, "cannot read %s\n", argv[2]);
    return 2;
  }

  char message[256] = "";
  int result = export_function(login, argv[3], message);
  free(login);
  if (result != 0) {
    printf("%s filing failed (%d): %s\n", argv[1], result, message);
    return 1;
  }
  printf("%s filing written to %s\n", argv[1], argv[3]);
  return 0;
}

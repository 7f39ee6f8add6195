/*
 * A filing client's smallest use of the library: run one report template
 * through the report tool and get its cell export back as a file.
 *
 *   get_report LOGIN.xml TEMPLATE.rep DATA.xml [TRAILING]
 *
 * LOGIN.xml holds the login information (AccountCode, Year, Period, Server).
 * Texts passed to the library are GBK; so is the message printed on failure.
 */
#include <stdio.h>
#include <stdlib.h>

#include "vokqm7.h"

static char *read_text(const char *path) {
  FILE *file = fopen(path, "rb");
  if (file == NULL) return NULL;
  char *text = NULL;
  size_t size = 0;
  char chunk[4096];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) {
    char *grown = realloc(text, size + got + 1);
    if (grown == NULL) {
      free(text);
      fclose(file);
      return NULL;
    }
    text = grown;
    for (size_t i = 0; i < got; ++i) text[size + i] = chunk[i];
    size += got;
  }
  fclose(file);
  if (text == NULL) text = calloc(1, 1);
  else text[size] = '\0';
  return text;
}

int main(int argc, char **argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: %s LOGIN.xml TEMPLATE.rep DATA.xml [TRAILING]\n", argv[0]);
    return 2;
  }
  char *login = read_text(argv[1]);
  if (login == NULL) {
    fprintf(stderr, "cannot read %s\n", argv[1]);
    return 2;
  }
  int trailing = argc > 4 ? atoi(argv[4]) : 0;

  char message[256] = "";  /* the library needs at least 52 bytes */
  printf("interface version %d\n", GetVersionQM7());
  int result = GetReport(login, trailing, argv[2], argv[3], message);
  free(login);
  if (result != 0) {
    printf("GetReport failed (%d): %s\n", result, message);
    return 1;
  }
  printf("GetReport succeeded: the cell export is in %s\n", argv[3]);
  return 0;
}

/* Holds a file open as a spreadsheet program holds the file it shows:
 * sharing reads only, so that no other program can delete, rename or
 * replace it while it is open.
 *   hold_file.exe FILE MILLISECONDS READY-FILE
 * READY-FILE is made once FILE is open; after the milliseconds FILE is
 * closed again. Exit status 1 when FILE cannot be opened. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  HANDLE file;
  HANDLE ready;
  if (argc != 4) {
    fprintf(stderr, "usage: hold_file.exe FILE MILLISECONDS READY-FILE\n");
    return 2;
  }
  file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) {
    fprintf(stderr, "cannot open %s: error %lu\n", argv[1], (unsigned long)GetLastError());
    return 1;
  }
  ready = CreateFileA(argv[3], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
  Sleep((DWORD)strtoul(argv[2], NULL, 10));
  CloseHandle(file);
  return 0;
}

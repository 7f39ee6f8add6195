#include <stdio.h>

#include "vokqm7.h"

int main(void) {
  printf("interface version %d\n", GetVersionQM7());
  return GetVersionQM7() == 2 ? 0 : 1;
}

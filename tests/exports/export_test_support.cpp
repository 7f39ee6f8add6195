#include "export_test_support.h"

namespace vok::test {

const TestInstallation& SharedInstallation() {
  static const TestInstallation installation;
  return installation;
}

}  // namespace vok::test

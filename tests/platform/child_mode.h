// Lets the platform test binary stand in for the programs the process
// tests start: a test launches this very executable with
// VOKQM7_TEST_CHILD_MODE set, and main() hands over to the child mode.
#pragma once

namespace vok::test {

inline constexpr const char* kChildModeVariable = "VOKQM7_TEST_CHILD_MODE";
inline constexpr const char* kChildRecordVariable = "VOKQM7_TEST_CHILD_RECORD";

// When VOKQM7_TEST_CHILD_MODE is set, acts as the child and ends the
// process (never returns); otherwise returns false at once. Linking
// child_mode.cpp already runs it before main (through .init_array); calling
// it first thing in the test main as well is harmless:
//   if (vok::test::RunChildModeIfAsked(argc, argv)) return 0;
// Modes: "record" (exit 0), "sleep:<ms>" (then exit 0), "exit:<code>".
// With VOKQM7_TEST_CHILD_RECORD=<file>, any mode first writes to <file>
// (via a rename, so it appears complete) these fields, each followed by a
// zero byte: pid, argc, open descriptors ("0,1,2"), "<SigBlk>/<SigIgn>"
// (hex masks of /proc/self/status), argv[0], argv[1] and
// CommandLineTail(argc, argv).
bool RunChildModeIfAsked(int argc, char** argv);

}  // namespace vok::test

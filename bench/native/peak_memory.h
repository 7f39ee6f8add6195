// Peak memory of one conversion, measured in a separate process: this
// program started again in a helper mode, its peak RSS read at its end.
#pragma once

namespace vok::bench {

// Runs a helper mode when `argv` asks for one; returns its exit code, or -1
// when no helper mode was asked for.
int RunHelperIfAsked(int argc, char** argv);

// Measures the helpers for the largest size into Results().
void MeasurePeakMemory();

}  // namespace vok::bench

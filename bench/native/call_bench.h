// Per-call overhead of the filing exports and the report tool's exit latency.
#pragma once

namespace vok::bench {

void RegisterCallBenchmarks();

}  // namespace vok::bench

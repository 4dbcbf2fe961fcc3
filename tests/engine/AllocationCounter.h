// The allocation counter of the engine checks: the test program replaces
// operator new, counting the allocations of a thread while its flag is set.
#pragma once

#include <atomic>

namespace NSEngineTest {
extern thread_local bool tCountAllocations;
extern std::atomic<int> gAllocations;
} // namespace NSEngineTest

// The fuzz target's second check: the input digested by the multi-lane MD5 engine at every
// width this machine runs must give the scalar engine's digests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz_checks {

// Cuts the input into messages and pieces chosen by its first bytes, digests the messages
// through the lanes, and aborts with a report on any difference.
void CheckLaneDigests(const uint8_t* data, size_t size);

}  // namespace fuzz_checks

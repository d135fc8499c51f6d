// Fuzzes the record parse over arbitrary inflated bytes: it must never read outside the buffer,
// and every entry it reports must lie inside it, back to back.
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <vector>

#include "archive/PayloadRecords.h"
#include "fuzz/PayloadInvariants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > size_t(std::numeric_limits<int32_t>::max())) return 0;
    std::vector<TAttachedFile> entries;
    const bool ok = ParsePayloadRecords(data, int32_t(size), entries);
    CheckPayloadInvariants(data, int32_t(size), entries, ok);
    return 0;
}

#pragma once
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "archive/PayloadRecords.h"

// Entries lie back to back inside the buffer, each after its own header; a successful parse
// covers the buffer exactly. Touching every byte lets the sanitizer see any entry outside it.
inline void CheckPayloadInvariants(const uint8_t* data, int32_t size, const std::vector<TAttachedFile>& entries,
                                   bool ok)
{
    int64_t next = 0;
    unsigned sum = 0;
    for (const TAttachedFile& e : entries) {
        if (e.FileSize < 0 || e.FileName.size() > 255) std::abort();
        if (e.DataOffset != next + RecordHeaderSize + int64_t(e.FileName.size())) std::abort();
        next = int64_t(e.DataOffset) + e.FileSize;
        if (next > size) std::abort();
        for (int32_t i = 0; i < e.FileSize; ++i) sum += data[e.DataOffset + i];
    }
    if (ok && next != size) std::abort();
    if (!ok && next >= size) std::abort();
    static volatile unsigned sink;
    sink = sum;
}

#pragma once
// The payload's record format and its inflation, as plain byte work (no system calls), shared by
// the setup, the packer and the fuzz harnesses.
//
// The resource is one zlib stream (header, deflate data, Adler-32). Inflated, it is records back
// to back, with no header, count, padding or trailer; the last record ends exactly at the end.
//
//   offset   size  field
//   0        1     name length N (unsigned)
//   1        N     name, 8-bit characters, no terminator
//   1+N      8     time stamp: IEEE-754 binary64, little-endian, days since 1899-12-30, local time
//   9+N      4     size S: signed 32-bit, little-endian
//   13+N     S     contents
//
// The next record starts at 13 + N + S.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "utils/Types.h"

inline constexpr int32_t RecordHeaderSize = 13;  // name length, time stamp and size, without the name

struct TAttachedFile {
    std::string FileName;
    int32_t FileSize = 0;
    TDateTime FileDate = 0;
    int32_t DataOffset = 0;  // start of the contents within the inflated payload
};

struct TFreeDeleter {
    void operator()(void* p) const noexcept { std::free(p); }
};
// malloc'd so that inflation can grow and shrink it in place with realloc.
using TByteBuffer = std::unique_ptr<uint8_t, TFreeDeleter>;

enum class TInflateResult { Done, Damaged, NoMemory, TooLarge };

const char* InflateResultText(TInflateResult result);

// Inflates a whole zlib stream into one buffer that starts at `estimate` bytes (or one step when
// the estimate is 0), grows by the input size rounded up to 256 and is shrunk to the bytes produced.
// On anything but Done, `output` is empty and `outputSize` 0.
TInflateResult InflateBuffer(const uint8_t* input, uint32_t inputSize, TByteBuffer& output,
                             int32_t& outputSize, uint32_t estimate);

// Splits inflated bytes into entries. False when a record's header or contents would run past the
// end or its size is negative; `entries` then holds what was read before the bad record.
bool ParsePayloadRecords(const uint8_t* data, int32_t dataSize, std::vector<TAttachedFile>& entries);

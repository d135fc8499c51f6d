#include "archive/PayloadRecords.h"

#include <bit>
#include <cstring>
#include <limits>

#include <zlib.h>

namespace {

constexpr uint64_t MaxOutput = std::numeric_limits<int32_t>::max();  // DataSize is signed 32-bit

uint32_t ReadLE32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint64_t ReadLE64(const uint8_t* p)
{
    return uint64_t(ReadLE32(p)) | uint64_t(ReadLE32(p + 4)) << 32;
}

class TInflateStream {
public:
    TInflateStream() = default;
    ~TInflateStream()
    {
        if (started_) inflateEnd(&z_);
    }
    TInflateStream(const TInflateStream&) = delete;
    TInflateStream& operator=(const TInflateStream&) = delete;

    bool Start(const uint8_t* input, uint32_t inputSize)
    {
        z_.next_in = const_cast<Bytef*>(input);
        z_.avail_in = inputSize;
        started_ = inflateInit(&z_) == Z_OK;
        return started_;
    }
    z_stream& Z() { return z_; }

private:
    z_stream z_{};
    bool started_ = false;
};

}  // namespace

const char* InflateResultText(TInflateResult result)
{
    switch (result) {
    case TInflateResult::Done: return "complete";
    case TInflateResult::Damaged: return "the payload is damaged or incomplete";
    case TInflateResult::NoMemory: return "not enough memory to inflate the payload";
    case TInflateResult::TooLarge: return "the inflated payload is larger than 2 GB";
    }
    return "unknown inflate result";
}

TInflateResult InflateBuffer(const uint8_t* input, uint32_t inputSize, TByteBuffer& output,
                             int32_t& outputSize, uint32_t estimate)
{
    output.reset();
    outputSize = 0;
    if (input == nullptr || inputSize == 0) return TInflateResult::Damaged;

    const uint64_t step = (uint64_t(inputSize) + 255) & ~uint64_t(255);
    uint64_t size = estimate != 0 ? estimate : step;
    if (size > MaxOutput) size = MaxOutput;

    TByteBuffer buffer(static_cast<uint8_t*>(std::malloc(size_t(size))));
    if (!buffer) return TInflateResult::NoMemory;

    TInflateStream stream;
    if (!stream.Start(input, inputSize)) return TInflateResult::NoMemory;
    z_stream& z = stream.Z();
    z.next_out = buffer.get();
    z.avail_out = uInt(size);

    for (;;) {
        const int rc = inflate(&z, Z_NO_FLUSH);
        if (rc == Z_STREAM_END) break;
        if (rc != Z_OK) return rc == Z_MEM_ERROR ? TInflateResult::NoMemory : TInflateResult::Damaged;

        const uint64_t produced = z.total_out;
        if (size >= MaxOutput) return TInflateResult::TooLarge;
        size = size + step > MaxOutput ? MaxOutput : size + step;
        auto* grown = static_cast<uint8_t*>(std::realloc(buffer.get(), size_t(size)));
        if (!grown) return TInflateResult::NoMemory;
        buffer.release();
        buffer.reset(grown);
        z.next_out = buffer.get() + produced;
        z.avail_out = uInt(size - produced);
    }

    const uint64_t produced = z.total_out;
    if (produced == 0) {
        buffer.reset();
    } else if (produced < size) {
        // realloc may move even when shrinking; a failed shrink keeps the larger block, which is fine.
        if (auto* shrunk = static_cast<uint8_t*>(std::realloc(buffer.get(), size_t(produced)))) {
            buffer.release();
            buffer.reset(shrunk);
        }
    }
    output = std::move(buffer);
    outputSize = int32_t(produced);
    return TInflateResult::Done;
}

bool ParsePayloadRecords(const uint8_t* data, int32_t dataSize, std::vector<TAttachedFile>& entries)
{
    entries.clear();
    if (dataSize < 0) return false;
    int32_t offset = 0;
    while (offset < dataSize) {
        const int32_t left = dataSize - offset;
        const uint8_t* record = data + offset;
        const int32_t nameLength = record[0];
        if (left < RecordHeaderSize + nameLength) return false;

        TAttachedFile entry;
        entry.FileName.assign(reinterpret_cast<const char*>(record + 1), size_t(nameLength));
        entry.FileDate = std::bit_cast<double>(ReadLE64(record + 1 + nameLength));
        entry.FileSize = int32_t(ReadLE32(record + 9 + nameLength));
        if (entry.FileSize < 0 || entry.FileSize > left - RecordHeaderSize - nameLength) return false;
        entry.DataOffset = offset + RecordHeaderSize + nameLength;
        offset = entry.DataOffset + entry.FileSize;
        entries.push_back(std::move(entry));
    }
    return true;
}

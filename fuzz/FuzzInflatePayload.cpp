// Fuzzes inflate-then-parse over arbitrary resource bytes, with the setup's estimate and with a
// small one that forces the growth path.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <zlib.h>

#include "archive/PayloadRecords.h"
#include "fuzz/PayloadInvariants.h"

namespace {

// zlib's own verdict on a whole stream, inflated into a scratch buffer and thrown away.
bool ZlibCompletes(const uint8_t* data, size_t size)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK) std::abort();
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = uInt(size);
    static uint8_t scratch[1 << 16];
    int rc;
    do {
        z.next_out = scratch;
        z.avail_out = sizeof scratch;
        rc = inflate(&z, Z_NO_FLUSH);
    } while (rc == Z_OK);
    inflateEnd(&z);
    return rc == Z_STREAM_END;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 16)) return 0;
    const bool valid = ZlibCompletes(data, size);
    for (const uint32_t estimate : {uint32_t(5 * size), uint32_t(size % 7)}) {
        TByteBuffer out;
        int32_t outSize = -1;
        const TInflateResult rc = InflateBuffer(data, uint32_t(size), out, outSize, estimate);
        if (rc != TInflateResult::Done) {
            if (out || outSize != 0) std::abort();
            if (valid && rc == TInflateResult::Damaged) std::abort();
            continue;
        }
        if (!valid) std::abort();
        // What a successful inflate produced must be what zlib itself produces.
        std::vector<uint8_t> expected(size_t(outSize) + 1);
        uLongf expectedSize = uLongf(expected.size());
        if (uncompress(expected.data(), &expectedSize, data, uLong(size)) != Z_OK ||
            expectedSize != uLongf(outSize) ||
            (outSize > 0 && std::memcmp(expected.data(), out.get(), size_t(outSize)) != 0))
            std::abort();
        std::vector<TAttachedFile> entries;
        const bool ok = ParsePayloadRecords(out.get(), outSize, entries);
        CheckPayloadInvariants(out.get(), outSize, entries, ok);
    }
    return 0;
}

#include "tools/PayloadWriter.h"

#include <bit>
#include <stdexcept>

#include <zlib.h>

namespace {

void AppendLE(std::string& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out.push_back(char(uint8_t(value >> (8 * i))));
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + int64_t(doe) - 719468;
}

}  // namespace

TDateTime EncodeDateTimeValue(int year, int month, int day, int hour, int minute, int second)
{
    constexpr int64_t DaysFrom1899To1970 = 25569;
    const double days = double(DaysFromCivil(year, unsigned(month), unsigned(day)) + DaysFrom1899To1970);
    // One division of whole seconds, then one addition: the same value that a date plus a time of
    // day built from a DOS date and time gives, so that stamps compare exactly.
    return days + double(hour * 3600 + minute * 60 + second) / 86400.0;
}

const char* EntryNameProblem(const std::string& name)
{
    if (name.size() > 255) return "name is longer than 255 bytes";
    if (!name.empty() && (name[0] == '\\' || name[0] == '/')) return "name is absolute";
    if (name.size() >= 2 && name[1] == ':') return "name is absolute (it names a drive)";
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("\\/", start);
        if (end == std::string::npos) end = name.size();
        if (name.compare(start, end - start, "..") == 0) return "name has a \"..\" component";
        start = end + 1;
    }
    return nullptr;
}

void AppendPayloadRecord(std::string& records, const std::string& name, TDateTime date,
                         const std::string& contents)
{
    records.push_back(char(uint8_t(name.size())));
    records += name.substr(0, 255);
    AppendLE(records, std::bit_cast<uint64_t>(date), 8);
    AppendLE(records, uint32_t(contents.size()), 4);
    records += contents;
}

std::string CompressPayload(const std::string& records)
{
    uLongf size = compressBound(uLong(records.size()));
    std::string stream(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(stream.data()), &size,
                  reinterpret_cast<const Bytef*>(records.data()), uLong(records.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("zlib could not compress the payload");
    stream.resize(size);
    return stream;
}

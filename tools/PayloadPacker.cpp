// The payload packer: turns a manifest into the zlib stream that the setup carries as its FILES
// resource, and checks or lists such a stream.
//
//   payload-packer MANIFEST OUTPUT     pack
//   payload-packer --check MANIFEST PAYLOAD
//                                      the payload holds exactly the manifest's records
//   payload-packer --list PAYLOAD      name, size and time stamp of every record
//   payload-packer --inflate PAYLOAD OUTPUT
//                                      the inflated records, after checking that they parse
//   payload-packer --find-in FILE PAYLOAD
//                                      FILE (an executable) carries the payload byte for byte
//
// Manifest: one entry a line, three fields separated by tabs; blank lines and lines starting
// with '#' are skipped. A relative source is taken from the manifest's folder.
//
//   name in the payload <TAB> source file <TAB> YYYY-MM-DD HH:MM:SS (local, whole even seconds)
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "archive/PayloadRecords.h"
#include "tools/PayloadWriter.h"

namespace {

constexpr uint64_t MaxSize = std::numeric_limits<int32_t>::max();

struct TManifestEntry {
    std::string Name;
    std::string Source;
    TDateTime Date = 0;
    int Line = 0;
};

class TPackError {
public:
    explicit TPackError(std::string text) : Text(std::move(text)) {}
    std::string Text;
};

bool ValidDate(int y, int m, int d)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12 || d < 1) return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= days[m - 1] + (m == 2 && leap ? 1 : 0);
}

TDateTime ParseStamp(const std::string& text, const std::string& where)
{
    int y, mo, d, h, mi, s;
    char tail;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail) != 6 ||
        text.size() != 19)
        throw TPackError(where + ": time stamp \"" + text + "\" is not YYYY-MM-DD HH:MM:SS");
    if (y < 1980 || y > 2099 || !ValidDate(y, mo, d) || h > 23 || mi > 59 || s > 59)
        throw TPackError(where + ": time stamp \"" + text + "\" is not a valid date and time from 1980 to 2099");
    if (s % 2 != 0)
        throw TPackError(where + ": time stamp \"" + text + "\" has odd seconds; file times keep only even ones");
    return EncodeDateTimeValue(y, mo, d, h, mi, s);
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::vector<TManifestEntry> ReadManifest(const std::string& manifestPath)
{
    std::ifstream in(manifestPath, std::ios::binary);
    if (!in) throw TPackError("cannot read manifest " + manifestPath);
    const std::string base = FolderOf(manifestPath);
    std::vector<TManifestEntry> entries;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::string where = manifestPath + ":" + std::to_string(number);
        const size_t tab1 = line.find('\t');
        const size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string::npos || line.find('\t', tab2 + 1) != std::string::npos)
            throw TPackError(where + ": expected three tab-separated fields: name, source, time stamp");
        TManifestEntry e;
        e.Line = number;
        e.Name = line.substr(0, tab1);
        e.Source = line.substr(tab1 + 1, tab2 - tab1 - 1);
        if (const char* problem = EntryNameProblem(e.Name))
            throw TPackError(where + ": entry \"" + e.Name + "\": " + problem);
        if (e.Source.empty()) throw TPackError(where + ": entry \"" + e.Name + "\" has no source file");
        if (e.Source[0] != '/') e.Source = base + e.Source;
        e.Date = ParseStamp(line.substr(tab2 + 1), where);
        entries.push_back(std::move(e));
    }
    return entries;
}

std::string ReadSource(const TManifestEntry& e, const std::string& manifestPath)
{
    const std::string where = manifestPath + ":" + std::to_string(e.Line) + ": entry \"" + e.Name + "\"";
    struct stat st {};
    if (stat(e.Source.c_str(), &st) != 0) throw TPackError(where + ": source file " + e.Source + " is missing");
    if (!S_ISREG(st.st_mode)) throw TPackError(where + ": source " + e.Source + " is not a regular file");
    if (uint64_t(st.st_size) > MaxSize)
        throw TPackError(where + ": source file " + e.Source + " is larger than 2^31-1 bytes");
    std::ifstream in(e.Source, std::ios::binary);
    std::ostringstream data;
    data << in.rdbuf();
    if (!in && !in.eof()) throw TPackError(where + ": cannot read " + e.Source);
    return data.str();
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw TPackError("cannot read " + path);
    std::ostringstream data;
    data << in.rdbuf();
    return data.str();
}

void WriteWholeFile(const std::string& path, const std::string& data)
{
    // Written beside the target and renamed, so that a failed run never leaves half a payload.
    const std::string temp = path + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(data.data(), std::streamsize(data.size()));
        out.close();
        if (!out) {
            std::remove(temp.c_str());
            throw TPackError("cannot write " + temp);
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        throw TPackError("cannot rename " + temp + " to " + path);
    }
}

struct TInflated {
    TByteBuffer Data;
    int32_t Size = 0;
    std::vector<TAttachedFile> Entries;
};

TInflated InflatePayload(const std::string& path)
{
    const std::string stream = ReadWholeFile(path);
    if (stream.size() > MaxSize) throw TPackError(path + " is larger than 2^31-1 bytes");
    TInflated result;
    const uint64_t estimate = std::min<uint64_t>(5 * uint64_t(stream.size()), MaxSize);
    const TInflateResult rc = InflateBuffer(reinterpret_cast<const uint8_t*>(stream.data()),
                                            uint32_t(stream.size()), result.Data, result.Size,
                                            uint32_t(estimate));
    if (rc != TInflateResult::Done) throw TPackError(path + ": " + InflateResultText(rc));
    if (!ParsePayloadRecords(result.Data.get(), result.Size, result.Entries))
        throw TPackError(path + ": a record runs past the end of the inflated data");
    return result;
}

std::string FormatStamp(TDateTime value)
{
    if (!std::isfinite(value) || value < -657434 || value > 2958466) return "(out of range)";
    const int64_t totalSeconds = int64_t(std::floor(value * 86400.0 + 0.5));
    int64_t days = totalSeconds / 86400;
    int64_t secs = totalSeconds % 86400;
    if (secs < 0) { secs += 86400; --days; }
    // Civil date from days since 1970-01-01.
    int64_t z = days - 25569 + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const int64_t y = int64_t(yoe) + era * 400 + (m <= 2);
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02lld:%02lld:%02lld", (long long)y, m, d,
                  (long long)(secs / 3600), (long long)(secs / 60 % 60), (long long)(secs % 60));
    return text;
}

int Pack(const std::string& manifestPath, const std::string& outputPath)
{
    const std::vector<TManifestEntry> manifest = ReadManifest(manifestPath);
    std::string records;
    for (const TManifestEntry& e : manifest) {
        const std::string contents = ReadSource(e, manifestPath);
        if (records.size() + RecordHeaderSize + e.Name.size() + contents.size() > MaxSize)
            throw TPackError("the payload would inflate to more than 2^31-1 bytes (at entry \"" + e.Name + "\")");
        AppendPayloadRecord(records, e.Name, e.Date, contents);
    }
    WriteWholeFile(outputPath, CompressPayload(records));
    return 0;
}

int Check(const std::string& manifestPath, const std::string& payloadPath)
{
    const std::vector<TManifestEntry> manifest = ReadManifest(manifestPath);
    const TInflated payload = InflatePayload(payloadPath);
    int problems = 0;
    auto complain = [&](const std::string& text) {
        std::fprintf(stderr, "payload-packer: %s: %s\n", payloadPath.c_str(), text.c_str());
        ++problems;
    };
    if (payload.Entries.size() != manifest.size())
        complain(std::to_string(payload.Entries.size()) + " records, the manifest has " +
                 std::to_string(manifest.size()));
    for (size_t i = 0; i < manifest.size() && i < payload.Entries.size(); ++i) {
        const TManifestEntry& want = manifest[i];
        const TAttachedFile& got = payload.Entries[i];
        const std::string n = "record " + std::to_string(i + 1) + " \"" + got.FileName + "\"";
        if (got.FileName != want.Name) complain(n + ": the manifest names \"" + want.Name + "\"");
        if (got.FileDate != want.Date) complain(n + ": time stamp " + FormatStamp(got.FileDate) + ", the manifest has " + FormatStamp(want.Date));
        const std::string contents = ReadSource(want, manifestPath);
        if (size_t(got.FileSize) != contents.size() ||
            contents.compare(0, contents.size(), reinterpret_cast<const char*>(payload.Data.get()) + got.DataOffset,
                             size_t(got.FileSize)) != 0)
            complain(n + ": contents differ from " + want.Source);
    }
    if (problems == 0)
        std::printf("%s: %zu records as in %s\n", payloadPath.c_str(), manifest.size(), manifestPath.c_str());
    return problems == 0 ? 0 : 1;
}

int List(const std::string& payloadPath)
{
    const TInflated payload = InflatePayload(payloadPath);
    for (const TAttachedFile& e : payload.Entries)
        std::printf("%s\t%d\t%s\n", e.FileName.c_str(), e.FileSize, FormatStamp(e.FileDate).c_str());
    std::printf("%zu records, %d bytes inflated\n", payload.Entries.size(), payload.Size);
    return 0;
}

int Inflate(const std::string& payloadPath, const std::string& outputPath)
{
    const TInflated payload = InflatePayload(payloadPath);
    WriteWholeFile(outputPath, std::string(reinterpret_cast<const char*>(payload.Data.get()), size_t(payload.Size)));
    return 0;
}

int FindIn(const std::string& filePath, const std::string& payloadPath)
{
    const std::string file = ReadWholeFile(filePath);
    const std::string payload = ReadWholeFile(payloadPath);
    const size_t at = payload.empty() ? std::string::npos : file.find(payload);
    if (at == std::string::npos) {
        std::fprintf(stderr, "payload-packer: %s does not carry %s\n", filePath.c_str(), payloadPath.c_str());
        return 1;
    }
    std::printf("%s carries %s (%zu bytes at offset %zu)\n", filePath.c_str(), payloadPath.c_str(), payload.size(), at);
    return 0;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: payload-packer MANIFEST OUTPUT\n"
                 "       payload-packer --check MANIFEST PAYLOAD\n"
                 "       payload-packer --list PAYLOAD\n"
                 "       payload-packer --inflate PAYLOAD OUTPUT\n"
                 "       payload-packer --find-in FILE PAYLOAD\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 2 && args[0] == "--list") return List(args[1]);
        if (args.size() == 3 && args[0] == "--check") return Check(args[1], args[2]);
        if (args.size() == 3 && args[0] == "--inflate") return Inflate(args[1], args[2]);
        if (args.size() == 3 && args[0] == "--find-in") return FindIn(args[1], args[2]);
        if (args.size() == 2 && args[0].rfind("--", 0) != 0) return Pack(args[0], args[1]);
        return Usage();
    } catch (const TPackError& e) {
        std::fprintf(stderr, "payload-packer: %s\n", e.Text.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "payload-packer: %s\n", e.what());
    }
    return 1;
}

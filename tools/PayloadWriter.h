#pragma once
// Writes the payload's records (format drawn in archive/PayloadRecords.h) and compresses them.
// Plain byte work: built into the native packer and into the test programs that make their own
// small payloads.
#include <cstdint>
#include <string>

#include "utils/Types.h"

// Days since 1899-12-30 plus the time of day, for a local date and time in whole seconds.
TDateTime EncodeDateTimeValue(int year, int month, int day, int hour, int minute, int second);

// Why a name cannot go into a payload, or nullptr when it can: longer than 255 bytes, absolute
// (leading separator or a drive), or with a ".." component.
const char* EntryNameProblem(const std::string& name);

// One record. The caller keeps the name within 255 bytes and the contents within 2^31-1 bytes.
void AppendPayloadRecord(std::string& records, const std::string& name, TDateTime date,
                         const std::string& contents);

// One zlib stream of the records at zlib's best compression (it starts 0x78 0xDA).
std::string CompressPayload(const std::string& records);

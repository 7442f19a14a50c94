#pragma once
// ZIP archives written from test code with the features the reader must
// handle: deflate at any zlib level and strategy, ZIP64 records, data
// descriptors, Unicode name fields and a stub in front.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zr::archivers::test {

struct ZipTestEntry {
    ZipTestEntry(std::string name_, std::string data_, int level_ = 6, std::string centralExtra_ = {},
                 bool dataDescriptor_ = false)
        : name(std::move(name_)), data(std::move(data_)), level(level_),
          centralExtra(std::move(centralExtra_)), dataDescriptor(dataDescriptor_)
    {
    }
    std::string name;
    std::string data;
    int level;                 // zlib level; -1 stores the data
    std::string centralExtra;  // extra fields of the central record, as bytes
    bool dataDescriptor;       // local header without sizes, descriptor after the data
};

struct ZipTestOptions {
    bool zip64 = false;  // every size and offset through ZIP64 fields and end records
    std::string stub;    // bytes before the archive (offsets stay archive-relative)
};

std::string MakeTestZip(const std::vector<ZipTestEntry> &entries, const ZipTestOptions &options = {});

// Raw deflate data of `data` as zlib writes it.
std::string RawDeflate(const std::string &data, int level, int strategy = 0);

// An extra field: id, size, body.
std::string ExtraField(std::uint16_t id, const std::string &body);

// Little-endian helpers for building fields.
void PutLe16(std::string &out, std::uint32_t value);
void PutLe32(std::string &out, std::uint32_t value);
void PutLe64(std::string &out, std::uint64_t value);

}  // namespace zr::archivers::test

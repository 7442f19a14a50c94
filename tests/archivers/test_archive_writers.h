#pragma once
// Archives no tool here can make, written from test code: stored RAR 4 and
// RAR 5, a CAB with one LZX uncompressed block, a CAB with Shift-JIS names,
// plain ustar archives with many members, and stored ZIP and LHA archives
// whose names are any bytes (hostile names).

#include <cstdint>
#include <string>
#include <vector>

namespace zr::archivers::test {

struct Member {
    std::string name;  // as stored (RAR 4 and CAB: "\" separators allowed, any bytes)
    std::string data;
    bool folder = false;
    std::string linkTarget = {};  // ustar only: a symbolic link to this target
};

std::string MakeRar4(const std::vector<Member> &members);
std::string MakeRar5(const std::vector<Member> &members);
std::string MakeLzxCab(const std::vector<Member> &members);  // total data below 32 KiB, even size
std::string MakeStoredCab(const std::vector<Member> &members);
std::string MakeUstar(const std::vector<Member> &members);
std::string MakeStoredZip(const std::vector<Member> &members);   // names as raw bytes, no UTF-8 flag
std::string MakeStoredLha0(const std::vector<Member> &members);  // level-0 "-lh0-", names as raw bytes
std::string
MakeStoredLha2(const std::vector<Member> &members);  // level 2: folder and name in extended headers
std::string
MakeStoredLha3(const std::vector<Member> &members);  // level 3: as level 2 with 32-bit size fields

std::uint32_t Crc32Of(const std::string &bytes);
std::uint16_t Crc16Of(const std::string &bytes);  // the CRC-16 of LHA

}  // namespace zr::archivers::test

#include "archiver_test_support.h"

#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace zr::archivers::test {

ArchiverLibrary::ArchiverLibrary(const std::string &fileName, std::string prefix) : prefix_(std::move(prefix))
{
    const char *bin = std::getenv("ZR_BIN_DIR");
    const std::string path = std::string(bin ? bin : ".") + "/" + fileName;
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

ArchiverLibrary::~ArchiverLibrary()
{
    if (handle_)
        dlclose(handle_);
}

void *ArchiverLibrary::symbol(const std::string &suffix) const
{
    if (!handle_)
        throw std::runtime_error("library not loaded");
    void *s = dlsym(handle_, (prefix_ + suffix).c_str());
    if (!s)
        throw std::runtime_error("missing export " + prefix_ + suffix);
    return s;
}

int ArchiverLibrary::command(const std::string &commandLine, std::string *log) const
{
    std::vector<char> buffer(64 * 1024, '\0');
    const int result = fn<ZrArcCommandFn>("")(nullptr, commandLine.c_str(), buffer.data(),
                                              static_cast<std::uint32_t>(buffer.size()));
    if (log)
        *log = buffer.data();
    return result;
}

int ArchiverLibrary::check(const std::string &file, int mode) const
{
    return fn<ZrArcCheckArchiveFn>("CheckArchive")(file.c_str(), mode);
}

int ArchiverLibrary::count(const std::string &file) const
{
    return fn<ZrArcGetFileCountFn>("GetFileCount")(file.c_str());
}

std::vector<TIndividualInfo> ArchiverLibrary::list(const std::string &file, const std::string &wildcards,
                                                   std::uint32_t mode) const
{
    std::vector<TIndividualInfo> records;
    HARC arc = fn<ZrArcOpenArchiveFn>("OpenArchive")(nullptr, file.c_str(), mode);
    if (!arc)
        return records;
    TIndividualInfo info{};
    for (int r = fn<ZrArcFindFirstFn>("FindFirst")(arc, wildcards.c_str(), &info); r == 0;
         r = fn<ZrArcFindNextFn>("FindNext")(arc, &info))
        records.push_back(info);
    fn<ZrArcCloseArchiveFn>("CloseArchive")(arc);
    return records;
}

TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "zr-archivers-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string FixturePath(const std::string &name)
{
    const char *source = std::getenv("ZR_SOURCE_DIR");
    return std::string(source ? source : ".") + "/tests/archivers/fixtures/" + name;
}

std::string SharedFixture(const std::string &relative)
{
    const char *shared = std::getenv("ZR_SHARED_FIXTURES");
    if (!shared)
        return {};
    const fs::path p = fs::path(shared) / relative;
    return fs::exists(p) ? p.string() : std::string();
}

std::string ReadFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const fs::path &path, const std::string &bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string HelloText() { return "Hello, ZuRivo!\r\n"; }

std::string NumbersText()
{
    std::string s;
    for (int i = 1; i <= 2000; ++i)
        s += std::to_string(i) + "\n";
    return s;
}

std::string RepeatText()
{
    std::string s;
    for (int i = 0; i < 30000; ++i)
        s += "ZuRivo repeats this line.\n";
    return s;
}

std::string Quote(const std::string &text)
{
    std::string out = "\"";
    for (char c : text) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

std::string ExecutableStub(std::size_t size, bool pe)
{
    std::string stub(size, '\x90');
    stub[0] = 'M';
    stub[1] = 'Z';
    if (pe && size >= 0x44) {
        stub[0x3C] = 0x40;
        stub[0x3D] = stub[0x3E] = stub[0x3F] = 0;
        stub.replace(0x40, 4, std::string("PE\0\0", 4));
    }
    return stub;
}

std::string MakeSelfExtractor(const fs::path &folder, const std::string &archive, std::size_t stubSize,
                              bool pe)
{
    const fs::path target = folder / (fs::path(archive).stem().string() + "-sfx.exe");
    WriteFile(target, ExecutableStub(stubSize, pe) + ReadFile(archive));
    return target.string();
}

std::vector<std::string> Names(const std::vector<TIndividualInfo> &records)
{
    std::vector<std::string> names;
    for (const auto &r : records)
        names.emplace_back(r.szFileName);
    return names;
}

std::map<std::string, std::string> FilesBelow(const fs::path &root)
{
    std::map<std::string, std::string> files;
    for (const auto &e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file())
            files[fs::relative(e.path(), root).string()] = ReadFile(e.path());
    return files;
}

}  // namespace zr::archivers::test

// Detection accuracy over generated Japanese texts: short (4-60 characters)
// and long (2,000-40,000 characters) files in every supported encoding.
// Texts with one stray zero byte (ASCII and CP932) must not be taken for
// UTF-16: any byte-wise reading, or binary (searched as CP932 bytes), is right.
// Prints a Markdown table and each miss's first bytes.
// Usage: zr_bench_encoding_accuracy [files per encoding and length]
#include "regex/encoding_detector.h"

#include "regex/japanese_corpus.h"  // tests/regex: the corpus the tests use

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using zr::regex::DetectEncoding;
using zr::regex::EncodingName;
using E = zr::regex::TTextEncoding;

int main(int argc, char **argv)
{
    const int files = argc > 1 ? std::atoi(argv[1]) : 1000;
    struct Form {
        E encoding;
        bool bom;
        const char *name;
        bool strayZero = false;
    };
    const std::vector<Form> forms = {{E::teCp932, false, "CP932"},
                                     {E::teUtf8, false, "UTF-8"},
                                     {E::teUtf8, true, "UTF-8 with BOM"},
                                     {E::teUtf16LE, true, "UTF-16LE with BOM"},
                                     {E::teUtf16BE, true, "UTF-16BE with BOM"},
                                     {E::teUtf16LE, false, "UTF-16LE without BOM"},
                                     {E::teEucJp, false, "EUC-JP"},
                                     {E::teIso2022Jp, false, "ISO-2022-JP"},
                                     {E::teAscii, false, "ASCII with a zero byte", true},
                                     {E::teCp932, false, "CP932 with a zero byte", true}};
    const auto isRight = [](const Form &form, E found) {
        if (!form.strayZero)
            return found == form.encoding;
        return found != E::teUtf16LE && found != E::teUtf16BE;
    };
    // Lower-case words and blanks, a line feed now and then.
    const auto asciiText = [](zr::test::JapaneseTextMaker &maker, std::size_t chars) {
        std::string out;
        for (std::size_t i = 0; i < chars; ++i) {
            if (maker.Below(40) == 0)
                out += '\n';
            else
                out += maker.Below(5) == 0 ? ' ' : static_cast<char>('a' + maker.Below(26));
        }
        return out;
    };
    zr::test::JapaneseTextMaker maker(2026);
    std::printf(
        "| encoding | short files | short wrong | long files | long wrong |\n|---|---|---|---|---|\n");
    int totalFiles = 0, totalWrong = 0;
    for (const Form &form : forms) {
        int wrong[2] = {0, 0};
        for (int size = 0; size < 2; ++size) {
            for (int i = 0; i < files; ++i) {
                const bool iso = form.encoding == E::teIso2022Jp;
                const std::size_t chars = size == 0 ? 4 + maker.Below(57) : 2000 + maker.Below(38001);
                std::string bytes = form.encoding == E::teAscii
                                        ? asciiText(maker, chars)
                                        : zr::test::Encoded(maker.Text(chars, !iso), form.encoding, form.bom);
                if (form.strayZero)
                    bytes.insert(maker.Below(static_cast<unsigned>(bytes.size()) + 1), 1, '\0');
                const std::string_view block = std::string_view(bytes).substr(0, 102400);
                const E found = DetectEncoding(block, true, block.size() == bytes.size()).encoding;
                if (!isRight(form, found)) {
                    ++wrong[size];
                    std::fprintf(stderr, "%s %s -> %s:", form.name, size ? "long" : "short",
                                 std::string(EncodingName(found)).c_str());
                    for (std::size_t k = 0; k < bytes.size() && k < 24; ++k)
                        std::fprintf(stderr, " %02x", static_cast<unsigned char>(bytes[k]));
                    std::fprintf(stderr, "\n");
                }
            }
        }
        std::printf("| %s | %d | %d | %d | %d |\n", form.name, files, wrong[0], files, wrong[1]);
        totalFiles += 2 * files;
        totalWrong += wrong[0] + wrong[1];
    }
    std::printf("\n%d files, %d wrong (%.3f %%)\n", totalFiles, totalWrong, 100.0 * totalWrong / totalFiles);
    return 0;
}

// Writes a deterministic CP932 text for the pattern-engine benchmark: Japanese
// lines (kanji, hiragana, katakana, half-width katakana, full-width letters)
// and ASCII log-like lines, or only the ASCII lines with --ascii.
// Usage: zr_bench_gen_text SIZE_MB OUTPUT_FILE [--ascii]

#include "platform/codepage.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

// splitmix64: tiny, fast and the same on every machine.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }

private:
    std::uint64_t state_;
};

std::vector<std::string> ToCp932(const std::vector<std::string> &utf8Words)
{
    std::vector<std::string> words;
    for (const std::string &word : utf8Words) {
        zr::platform::ConversionResult converted = zr::platform::Utf8ToCp932(word);
        if (!converted.ok) {
            std::cerr << "word without a CP932 form: " << word << "\n";
            std::exit(2);
        }
        words.push_back(converted.text);
    }
    return words;
}

const std::vector<std::string> &JapaneseWords()
{
    static const std::vector<std::string> words = ToCp932(
        {"検索",     "圧縮",       "書庫",     "展開",     "設定",     "表示", "日本語",   "文字列", "変換",
         "保存",     "一覧",       "結果",     "ファイル", "ふぁいる", "ﾌｧｲﾙ", "フォルダ", "データ", "ﾃﾞｰﾀ",
         "テキスト", "ｶﾀｶﾅ",       "ひらがな", "の",       "は",       "を",   "に",       "が",     "で",
         "です",     "ます",       "した",     "から",     "まで",     "、",   "。",       "「",     "」",
         "ＡＢＣ",   "ｅｒｒｏｒ", "１２３",   "ー",       "・",       "　"});
    return words;
}

const std::vector<std::string> &AsciiWords()
{
    static const std::vector<std::string> words = {"error",
                                                   "ERROR",
                                                   "Error",
                                                   "warning",
                                                   "info",
                                                   "debug",
                                                   "timeout",
                                                   "status=200",
                                                   "status=404",
                                                   "Alpha42",
                                                   "Beta7",
                                                   "Gamma",
                                                   "path/to/file.txt",
                                                   "user_id=1234",
                                                   "retry",
                                                   "connection",
                                                   "closed",
                                                   "open",
                                                   "read",
                                                   "write",
                                                   "0x1F",
                                                   "[main]",
                                                   "(ok)",
                                                   "-",
                                                   ":",
                                                   "done",
                                                   "failed",
                                                   "size=65536"};
    return words;
}

std::string MakeLine(Random &random, bool asciiOnly)
{
    const bool japanese = random.Below(2) == 0 && !asciiOnly;
    const auto &words = japanese ? JapaneseWords() : AsciiWords();
    const std::size_t target = 20 + random.Below(100);
    std::string line;
    while (line.size() < target) {
        line += words[random.Below(words.size())];
        if (!japanese)
            line += ' ';
    }
    return line;
}

}  // namespace

int main(int argc, char **argv)
{
    const bool asciiOnly = argc == 4 && std::string(argv[3]) == "--ascii";
    if (argc != 3 && !asciiOnly) {
        std::cerr << "usage: zr_bench_gen_text SIZE_MB OUTPUT_FILE [--ascii]\n";
        return 2;
    }
    const std::uint64_t bytes = std::strtoull(argv[1], nullptr, 10) * 1000 * 1000;
    std::ofstream out(argv[2], std::ios::binary);
    if (!out) {
        std::cerr << "cannot write " << argv[2] << "\n";
        return 2;
    }
    Random random(20261207);
    std::string chunk;
    std::uint64_t written = 0;
    while (written < bytes) {
        chunk += MakeLine(random, asciiOnly);
        chunk += random.Below(8) == 0 ? "\r\n" : "\n";
        if (chunk.size() >= (1u << 20) || written + chunk.size() >= bytes) {
            out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            written += chunk.size();
            chunk.clear();
        }
    }
    return out ? 0 : 2;
}

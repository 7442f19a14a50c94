#pragma once
// The pattern engine's syntax error: a message (UTF-8, for display) and the
// 1-based byte position in the pattern where the problem was found.

#include <cstddef>
#include <stdexcept>
#include <string>

namespace zr::regex {

class ERegExpParser : public std::runtime_error {
public:
    ERegExpParser(const std::string &message, std::size_t position)
        : std::runtime_error(message), position_(position)
    {
    }

    // Scanner position when the error was found; 0 when the error concerns the
    // pattern as a whole (for example a pattern too complex to compile).
    std::size_t Position() const noexcept { return position_; }

private:
    std::size_t position_;
};

// Messages shown to the user, exactly as the application words them.
namespace msg {
inline constexpr const char *kBadDoubleByte = "不正な２バイト文字コードです。";
inline constexpr const char *kBackslashNeedsChar = "\"\\\"の次には文字が必要です。";
inline constexpr const char *kBadHex = "不正な１６進数コード表記です。";
inline constexpr const char *kBadOctal = "不正な８進数コード表記です。";
inline constexpr const char *kNeedRightBracket = "右ブラケット\"]\"が必要です";
inline constexpr const char *kBadRange = "不正なキャラクタ範囲です";
inline constexpr const char *kExtraText = "正規表現に余分な文字があります";
inline constexpr const char *kNeedRightParen = "右(閉じ)括弧が必要です";
inline constexpr const char *kNeedCharOrLParen = "普通の文字、または左括弧\"(\"が必要です";
inline constexpr const char *kEmptyClass = "不正なキャラクタクラス指定です。";
inline constexpr const char *kTreeFatal = "TREParseTree : 致命的エラー";
}  // namespace msg

}  // namespace zr::regex

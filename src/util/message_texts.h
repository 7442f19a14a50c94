#pragma once
// Ready-made message texts.

#include <string>
#include <string_view>

namespace zr {

std::string FileMissingText(std::string_view path);
std::string FolderMissingText(std::string_view path);

// The system's text for an errno code (at most 512 bytes), empty when the
// system has none; with extraText: extraText + "\r\n" + that text.
std::string SystemErrorText(int errorCode, std::string_view extraText);
// SystemErrorText + "\r\n" + "エラーコード=" + code.
std::string SystemErrorBoxText(int errorCode, std::string_view extraText);
// Texts for the four network codes (8, 86, 1208, 1222); empty for others.
std::string NetworkErrorText(int errorCode);

}  // namespace zr

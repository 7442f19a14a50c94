#include "util/message_texts.h"

#include "util/dbcs.h"

#include <cstring>

namespace zr {

namespace {
constexpr std::size_t kSystemTextLimit = 512;

std::string SystemText(int errorCode)
{
    if (errorCode <= 0 || ::strerrorname_np(errorCode) == nullptr)
        return {};
    char buffer[kSystemTextLimit + 1];
    const char *text = ::strerror_r(errorCode, buffer, sizeof buffer);
    return CutOnCharBoundary(text ? text : "", kSystemTextLimit);
}
}  // namespace

std::string FileMissingText(std::string_view path)
{
    return "ファイル： " + std::string(path) + "\r\n" +
           "指定のファイルは存在しません。削除されたか移動されました。";
}

std::string FolderMissingText(std::string_view path)
{
    return "フォルダ： " + std::string(path) + "\r\n" +
           "指定のフォルダは存在しません。削除されたか移動されました。";
}

std::string SystemErrorText(int errorCode, std::string_view extraText)
{
    const std::string system = SystemText(errorCode);
    if (extraText.empty())
        return system;
    return std::string(extraText) + "\r\n" + system;
}

std::string SystemErrorBoxText(int errorCode, std::string_view extraText)
{
    return SystemErrorText(errorCode, extraText) + "\r\n" + "エラーコード=" + std::to_string(errorCode);
}

std::string NetworkErrorText(int errorCode)
{
    switch (errorCode) {
    case 8:
        return "システムメモリが不足しています。";
    case 86:
        return "無効なパスワードです。";
    case 1208:
        return "ネットワークエラーです。";
    case 1222:
        return "ネットワークは機能していません。";
    default:
        return {};
    }
}

}  // namespace zr

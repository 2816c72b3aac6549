#include "files/file_messages.h"
#include "common/utf8.h"

#include <filesystem>

namespace morvelan {
namespace {

std::string withPath(std::string_view text, std::string_view path)
{
    return std::string(text) + "：" + std::string(path);
}

// A relative name such as the temporary file is shown with its folder, so the
// user knows where to look.
std::string absolute(std::string_view path)
{
    std::error_code ec;
    const auto abs = std::filesystem::absolute(pathFromUtf8(path), ec);
    return ec ? std::string(path) : utf8FromPath(abs);
}

} // namespace

std::string messageCannotOpenInput(std::string_view path) { return withPath("入力ファイルを開けません", path); }
std::string messageCannotReadInput(std::string_view path) { return withPath("入力ファイルを読み込めません", path); }
std::string messageCannotReadFile(std::string_view path) { return withPath("ファイルを読み込めません", path); }
std::string messageCannotCreateTemp(std::string_view path) { return withPath("一時ファイルを作成できません", absolute(path)); }
std::string messageCannotWriteTemp(std::string_view path) { return withPath("一時ファイルに書き込めません", absolute(path)); }
std::string messageCannotCreateResult(std::string_view path) { return withPath("出力ファイルを作成できません", path); }
std::string messageCannotWriteResult(std::string_view path) { return withPath("出力ファイルに書き込めません", path); }
std::string messageResultInUse(std::string_view path) { return withPath("出力ファイルは他の処理が使用中です", path); }
std::string messageNotRegularFile(std::string_view path) { return withPath("通常のファイルではないため処理できません", path); }
std::string messageCannotWriteRaster(std::string_view path) { return withPath("ラスター画像を書き込めません", path); }
std::string messageCannotWriteExtraction(std::string_view path) { return withPath("抽出ファイルに書き込めません", path); }
std::string messageResultIsLink(std::string_view path) { return withPath("出力ファイルの位置にリンクがあるため処理できません", path); }
std::string messageCodecUnavailable(std::string_view reason) { return withPath("文字コード CP932 の変換を開けません", reason); }
std::string messageSameFile(std::string_view path) { return withPath("出力ファイルが入力ファイルと同じため処理できません", path); }

} // namespace morvelan

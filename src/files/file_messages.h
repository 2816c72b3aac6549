#pragma once
// Messages for file failures the run has to report. Each names the file, on
// one line, so the batch program can print it as it stands.
#include <string>
#include <string_view>

namespace morvelan {

std::string messageCannotOpenInput(std::string_view path);
std::string messageCannotReadInput(std::string_view path);
std::string messageCannotReadFile(std::string_view path);
std::string messageCannotCreateTemp(std::string_view path);
std::string messageCannotWriteTemp(std::string_view path);
std::string messageCannotCreateResult(std::string_view path);
std::string messageCannotWriteResult(std::string_view path);
std::string messageResultInUse(std::string_view path);
std::string messageNotRegularFile(std::string_view path);
std::string messageCannotWriteRaster(std::string_view path);
std::string messageCannotWriteExtraction(std::string_view path);
// The derived Result path is a link, which is never followed.
std::string messageResultIsLink(std::string_view path);
// The CP932 codec cannot be opened; `reason` is the system's.
std::string messageCodecUnavailable(std::string_view reason);
// The Result file would overwrite the input (or its LF copy).
std::string messageSameFile(std::string_view path);

} // namespace morvelan

#include "platform/cp932.h"

#include "common/utf8.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <memory>

namespace morvelan {
namespace {

// iconv descriptors are costly to open (a module lookup each time), so each
// thread keeps one per direction and resets it before every conversion.
class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)), error_(cd_ == kNone ? errno : 0) {}
    ~Iconv()
    {
        if (ok()) iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool ok() const { return cd_ != kNone; }
    int error() const { return error_; }
    void reset()
    {
        if (ok()) iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }

    // Converts as much as possible; returns false at an invalid or incomplete
    // sequence, leaving `in` at its first byte.
    bool convert(std::string_view& in, std::string& out)
    {
        char buf[4096];
        while (!in.empty()) {
            char* src = const_cast<char*>(in.data());
            std::size_t srcLeft = in.size();
            char* dst = buf;
            std::size_t dstLeft = sizeof buf;
            const std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            const int err = errno;
            out.append(buf, static_cast<std::size_t>(dst - buf));
            in.remove_prefix(in.size() - srcLeft);
            if (r == static_cast<std::size_t>(-1)) {
                if (err == E2BIG) continue;
                reset();
                return false;
            }
        }
        return true;
    }

private:
    inline static const iconv_t kNone = reinterpret_cast<iconv_t>(-1);
    iconv_t cd_;
    int error_;
};

// This thread's descriptor for one direction. One that could not be opened
// (too many open files, say) is tried again at the next call rather than
// kept for the thread's lifetime.
Iconv& converter(bool toCp932)
{
    thread_local std::unique_ptr<Iconv> decoder, encoder;
    std::unique_ptr<Iconv>& cd = toCp932 ? encoder : decoder;
    if (!cd || !cd->ok())
        cd = toCp932 ? std::make_unique<Iconv>("CP932", "UTF-8") : std::make_unique<Iconv>("UTF-8", "CP932");
    return *cd;
}

bool isAscii(std::string_view s)
{
    for (const char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

} // namespace

std::string decodeCp932(std::string_view bytes)
{
    if (isAscii(bytes)) return std::string(bytes);
    Iconv& cd = converter(false);
    cd.reset();
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    if (!cd.ok()) {
        for (const char c : bytes) out += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : "\xEF\xBF\xBD";
        return out;
    }
    while (!cd.convert(bytes, out)) {
        out += "\xEF\xBF\xBD";
        bytes.remove_prefix(1);
    }
    return out;
}

std::optional<std::string> cp932Unavailable()
{
    for (const bool toCp932 : {false, true}) {
        const Iconv& cd = converter(toCp932);
        if (!cd.ok()) return std::string(std::strerror(cd.error()));
    }
    return std::nullopt;
}

std::string encodeCp932(std::string_view utf8)
{
    if (isAscii(utf8)) return std::string(utf8);
    Iconv& cd = converter(true);
    cd.reset();
    std::string out;
    out.reserve(utf8.size());
    if (!cd.ok()) {
        for (std::size_t i = 0; i < utf8.size(); i += utf8SequenceLength(utf8, i))
            out += static_cast<unsigned char>(utf8[i]) < 0x80 ? utf8[i] : '?';
        return out;
    }
    while (!cd.convert(utf8, out)) {
        out += '?';
        utf8.remove_prefix(utf8SequenceLength(utf8, 0));
    }
    return out;
}

} // namespace morvelan

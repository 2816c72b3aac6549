// A straightforward compiled sync search, the yardstick of the figures
// program: the input's digits decoded into one byte per bit, each candidate
// compared frame by frame over its first 20 bits with an early exit, and one
// row per reported candidate. Exclusion patterns are not supported.
//   plain_search INPUT OUTPUT START END SYNC_BITS ALLOW_ERR FRAMES THRESHOLD
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 9) {
        std::fprintf(stderr, "usage: plain_search INPUT OUTPUT START END SYNC_BITS ALLOW_ERR FRAMES THRESHOLD\n");
        return 2;
    }
    const long start = std::atol(argv[3]), end = std::atol(argv[4]), bits = std::atol(argv[5]);
    const long allowed = std::atol(argv[6]), frames = std::atol(argv[7]), threshold = std::atol(argv[8]);
    std::ifstream in(argv[1], std::ios::binary);
    std::string line;
    std::vector<unsigned char> cells(300101 + 64, 0);
    long p = 1;
    std::getline(in, line); // header
    std::vector<std::string> lines;
    while (std::getline(in, line)) lines.push_back(line);
    if (!lines.empty()) lines.pop_back(); // the last line is never decoded
    for (const std::string& l : lines) {
        if (!l.empty() && (l[0] == ';' || l[0] == '#')) continue;
        for (std::size_t c = 0; c < 80 && p <= 200000; ++c) {
            const char ch = c < l.size() ? l[c] : 'x';
            int v = 15;
            if (ch >= '0' && ch <= '9') v = ch - '0';
            else if (ch >= 'a' && ch <= 'f') v = ch - 'a' + 10;
            else if (ch >= 'A' && ch <= 'F') v = ch - 'A' + 10;
            for (int b = 3; b >= 0; --b) cells[static_cast<std::size_t>(p++)] = (v >> b) & 1;
        }
    }
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out) return 1;
    const long width = std::min(bits, 20L);
    const long needed = std::max(1L, threshold - 1);
    for (long interval = start; interval <= end; ++interval) {
        for (long x = 0; x < interval; ++x) {
            const long first = 1 + x;
            if (first + frames * interval + bits > 300100) continue;
            long matches = 0;
            for (long k = 1; k <= frames; ++k) {
                long diff = 0;
                for (long j = 0; j < width && diff <= allowed; ++j)
                    diff += cells[static_cast<std::size_t>(first + j)] != cells[static_cast<std::size_t>(first + k * interval + j)];
                if (diff <= allowed) ++matches;
                if (matches + (frames - k) < needed) break;
            }
            if (matches < needed) continue;
            std::string pattern;
            for (long j = 0; j < bits; ++j) pattern += static_cast<char>('0' + cells[static_cast<std::size_t>(first + j)]);
            std::fprintf(out, "%4ld          %4ld          %s %5ld\r\n", interval % 10000, x % 10000, pattern.c_str(),
                         matches + 1);
        }
    }
    return std::fclose(out) == 0 ? 0 : 1;
}

// The chance arithmetic of the summary and its printed form.
#include "analysis/summary.h"

#include "engine/parameters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace morvelan {
namespace {

constexpr long double kNegativeInfinity = -std::numeric_limits<long double>::infinity();
// Terms this far (in natural log) below the first one no longer change a
// long double sum, even when 2^31 of them follow.
constexpr long double kNegligibleLog = -80.0L;

} // namespace

long double frameMatchProbability(int windowBits, int allowErrBits)
{
    if (allowErrBits < 0) return 0.0L;
    if (windowBits <= 0) return 1.0L;
    long double sum = 0;
    long double choose = 1; // C(W, k), exact in a long double for W <= 64
    for (int k = 0; k <= std::min(allowErrBits, windowBits); ++k) {
        sum += choose;
        choose = choose * static_cast<long double>(windowBits - k) / static_cast<long double>(k + 1);
    }
    return std::ldexp(sum, -windowBits);
}

long double log10BinomialTail(std::int64_t n, long double p, std::int64_t k)
{
    if (k <= 0) return 0.0L;
    if (n < 0 || k > n || p <= 0) return kNegativeInfinity;
    if (p >= 1) return 0.0L;
    const long double logP = std::log(p);
    const long double logQ = std::log1p(-p);
    const long double logNFactorial = std::lgamma(static_cast<long double>(n) + 1);
    const auto logTerm = [&](std::int64_t j) {
        const auto jj = static_cast<long double>(j);
        const auto rest = static_cast<long double>(n - j);
        return logNFactorial - std::lgamma(jj + 1) - std::lgamma(rest + 1) + jj * logP + rest * logQ;
    };
    constexpr long double kLn10 = 2.302585092994045684017991454684364208L;
    const long double mean = static_cast<long double>(n) * p;
    if (static_cast<long double>(k) > mean) {
        // Upper tail: the terms fall from j = k on; sum them relative to the first.
        const long double head = logTerm(k);
        long double sum = 1;
        for (std::int64_t j = k + 1; j <= n; ++j) {
            const long double t = logTerm(j) - head;
            if (t < kNegligibleLog) break;
            sum += std::exp(t);
        }
        return (head + std::log(sum)) / kLn10;
    }
    // The tail holds the bulk: take 1 minus the lower tail, whose terms fall
    // from j = k - 1 downwards.
    const long double head = logTerm(k - 1);
    long double sum = 1;
    for (std::int64_t j = k - 2; j >= 0; --j) {
        const long double t = logTerm(j) - head;
        if (t < kNegligibleLog) break;
        sum += std::exp(t);
    }
    const long double lower = std::exp(head) * sum;
    return lower >= 1 ? kNegativeInfinity : std::log10(1 - lower);
}

long double examinedCandidates(const AnalysisParameters& params)
{
    const long double first = std::max<std::int64_t>(params.START_SYNC_INTERVAL, 1);
    const long double last = params.END_SYNC_INTERVAL;
    if (last < first) return 0.0L;
    return (first + last) * (last - first + 1) / 2;
}

std::string formatLog10(long double log10Value)
{
    if (std::isinf(log10Value) && log10Value < 0) return "0";
    if (!std::isfinite(log10Value)) return "inf";
    auto exponent = static_cast<long long>(std::floor(log10Value));
    long double mantissa = std::pow(10.0L, log10Value - static_cast<long double>(exponent));
    mantissa = std::round(mantissa * 10) / 10;
    if (mantissa >= 10) {
        mantissa /= 10;
        ++exponent;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.1Lfe%c%02lld", mantissa, exponent < 0 ? '-' : '+',
                  exponent < 0 ? -exponent : exponent);
    return text;
}

} // namespace morvelan

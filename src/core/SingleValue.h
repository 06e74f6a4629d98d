#pragma once

#include <charconv>
#include <cmath>
#include <optional>

namespace tamvel {

// A risk value is kept as a Single: the nearest single-precision number, written as the
// shortest decimal that gives that number back, so 0.4 * 3 is kept as 1.2 and not as
// 1.2000000000000002. A value too large for a Single is no value.
inline std::optional<double> asSingle(double value)
{
    if (std::isnan(value))
        return std::nullopt;
    const float single = float(value);
    if (!std::isfinite(single))
        return std::nullopt;
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, single);
    double result = double(single);
    std::from_chars(text, written.ptr, result);
    return result;
}

} // namespace tamvel

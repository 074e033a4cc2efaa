#include "screens/html/height_from_width.h"

#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace screens {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<double> parseNumber(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::size_t i = 0;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0 || i != text.size()) {
        return std::nullopt;
    }
    // from_chars wants at least one digit before a point.
    std::string plain = text.front() == '.' ? "0" + std::string(text) : std::string(text);
    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::string formatNumber(double value)
{
    if (value == 0) {
        return "0";  // no "-0"
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

std::string HeightFromWidth(std::string_view widthText)
{
    const std::optional<double> width = parseNumber(widthText);
    if (!width) {
        return "";
    }
    const double height = *width / 4.0 * 3.0 + 64.0;
    if (!std::isfinite(height)) {
        return "";
    }
    return formatNumber(height);
}

std::optional<int> roundedInteger(std::string_view text)
{
    const std::optional<double> value = parseNumber(text);
    if (!value || *value > 40000 || *value < -40000) {
        return std::nullopt;
    }
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(*value);
    std::fesetround(previous);
    if (rounded < -32768 || rounded > 32767) {
        return std::nullopt;
    }
    return static_cast<int>(rounded);
}

}  // namespace screens

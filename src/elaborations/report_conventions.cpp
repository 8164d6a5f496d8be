#include "elaborations/report_conventions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/data_files.h"
#include "platform/file_io.h"
#include "platform/short_string.h"

namespace qv {

namespace {}  // namespace

std::string ReportFilePath() {
    return DataFilePath(data_file::kReport);
}

std::string RightAligned(std::string_view text, int width) {
    std::string out;
    if (int(text.size()) < width) out.assign(size_t(width) - text.size(), ' ');
    out.append(text);
    return out;
}

std::string FormatInteger(int64_t value, int width) {
    return RightAligned(std::to_string(value), width);
}

std::string FormatFixed(double value, int width, int decimals) {
    if (!std::isfinite(value))
        return RightAligned(std::isnan(value) ? "Nan" : (value < 0 ? "-Inf" : "+Inf"), width);
    decimals = std::clamp(decimals, 0, 9);
    // A double with k binary fraction digits has exactly k decimal ones, so printing that many
    // gives its exact expansion (the C library prints exact digits); the half is then judged
    // on those digits, never on a binary product that may land just below it.
    const int fractionBits = value == 0 ? 0 : 52 - std::ilogb(value);
    const int precision = std::clamp(fractionBits, decimals + 1, 1100);
    std::vector<char> buf(size_t(precision) + 330);
    std::snprintf(buf.data(), buf.size(), "%.*f", precision, std::fabs(value));
    const std::string_view exact(buf.data());
    const size_t point = exact.find('.');
    std::string digits(exact.substr(0, point));
    digits.append(exact.substr(point + 1, size_t(decimals)));
    if (exact[point + 1 + size_t(decimals)] >= '5') {
        size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
        if (i == 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[i - 1];
    }
    const bool zero = digits.find_first_not_of('0') == std::string::npos;
    std::string out = value < 0 && !zero ? "-" : "";
    out.append(digits, 0, digits.size() - size_t(decimals));
    if (decimals > 0) out.append(".").append(digits, digits.size() - size_t(decimals));
    return RightAligned(out, width);
}

std::string FormatRatio(int64_t numerator, int64_t denominator, int width, int decimals, int64_t scale) {
    decimals = std::clamp(decimals, 0, 9);
    __int128 num = __int128(numerator) * scale, den = denominator;
    if (den <= 0) num = 0, den = 1;
    const bool negative = num < 0;
    if (negative) num = -num;
    __int128 power = 1;
    for (int i = 0; i < decimals; ++i) power *= 10;
    // Integer arithmetic on the exact ratio: halves go away from zero.
    __int128 units = (num * power * 2 + den) / (den * 2);
    std::string digits;
    do {
        digits.insert(digits.begin(), char('0' + int(units % 10)));
        units /= 10;
    } while (units > 0 || digits.size() <= size_t(decimals));
    const bool zero = digits.find_first_not_of('0') == std::string::npos;
    std::string out = negative && !zero ? "-" : "";
    out.append(digits, 0, digits.size() - size_t(decimals));
    if (decimals > 0) out.append(".").append(digits, digits.size() - size_t(decimals));
    return RightAligned(out, width);
}

std::string FormatPercent(int64_t part, int64_t base, int width, int decimals) {
    return FormatRatio(part, base, width, decimals, 100);
}

std::string FormatFixedFitting(double value, int width, int decimals) {
    for (int d = decimals; d >= 0; --d) {
        std::string text = FormatFixed(value, width, d);
        if (int(text.size()) <= width) return text;
    }
    return std::string(size_t(std::max(width, 0)), '*');
}

bool AnyCountTooLarge(std::initializer_list<int64_t> cells) {
    for (int64_t c : cells)
        if (c == kCountTooLarge) return true;
    return false;
}

namespace {
// The fill of a figure that cannot be told, behind the blank that parts it from the figure before.
std::string StarFill(int width) {
    return width >= 2 ? " " + std::string(size_t(width - 1), '*') : std::string("*");
}
}  // namespace

std::string FormatCount(int64_t count, int width) {
    if (AnyCountTooLarge({count})) return StarFill(width);
    return FormatInteger(count, width);
}

std::string FormatCountPercent(int64_t part, int64_t base, int width, int decimals) {
    if (AnyCountTooLarge({part, base})) return StarFill(width);
    return FormatPercent(part, base, width, decimals);
}

std::string NumberColumn(std::string_view text, int width, bool tabs) {
    if (tabs) return "\t" + std::string(text);
    return RightAligned(text, width);
}

std::string ReportLabel(std::string_view label) {
    std::string out(label.substr(0, kReportLabelWidth));
    out.resize(kReportLabelWidth, ' ');
    return out;
}

std::vector<ReportCategory> ReportCategories(const CategoryGrid& grid) {
    std::vector<ReportCategory> out(size_t(grid.Count) + 1);
    int variable = 0;
    for (int i = 1; i <= grid.Count; ++i) {
        if (grid.OpensVariable[size_t(i)]) ++variable;
        out[size_t(i)] = {ReportLabel(grid.Labels[size_t(i)]), variable, grid.Parent[size_t(i)]};
    }
    return out;
}

void WriteCategoryLabelScratch(std::span<const std::string> labels, int width) {
    std::string bytes;
    bytes.reserve(labels.size() * size_t(width + 1));
    for (const std::string& label : labels) bytes += EncodeShortString(label, width);
    WriteFileAtomic(DataFilePath(data_file::kLabelScratch), bytes);
}

}  // namespace qv

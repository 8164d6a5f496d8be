#include "elaborations/report_conventions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/data_files.h"
#include "platform/file_io.h"

namespace qv {

namespace {
constexpr int kReportFileId = 36;
constexpr int kLabelScratchId = 67;
}  // namespace

std::string ReportFilePath() {
    return DataFilePath(kReportFileId);
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
    char buf[400];
    const long double scale = std::pow(10.0L, decimals);
    const long double scaled = std::fabs(static_cast<long double>(value)) * scale;
    if (scaled < 9e18L) {
        // Halves go away from zero, so 0.125 gives 0.13 as the runtime formatting does.
        const long long units = std::llround(scaled);
        const long long whole = units / (long long)scale;
        const long long part = units % (long long)scale;
        const char* sign = (value < 0 && units != 0) ? "-" : "";
        if (decimals > 0)
            std::snprintf(buf, sizeof buf, "%s%lld.%0*lld", sign, whole, decimals, part);
        else
            std::snprintf(buf, sizeof buf, "%s%lld", sign, whole);
    } else {
        std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    }
    return RightAligned(buf, width);
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

void WriteCategoryLabelScratch(const std::vector<ReportCategory>& categories) {
    std::string bytes;
    for (size_t i = 1; i < categories.size(); ++i) {
        bytes.push_back(char(kReportLabelWidth));
        bytes.append(categories[i].Label);
    }
    WriteFileAtomic(DataFilePath(kLabelScratchId), bytes);
}

}  // namespace qv

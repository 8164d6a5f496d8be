#pragma once
#include <string>
#include <vector>

namespace qv::test {

// The text a PDF written by Qt's printer draws: one run per text object (one drawText), in
// points from the page's left edge, with the line it stands on. Read from the page content
// streams, so a test sees where the glyphs land on the printed page.
struct PdfTextRun {
    int page = 0;      // 0-based
    double line = 0;   // the baseline, in the printer's device units from the top
    double left = 0;   // the first glyph's left edge
    double right = 0;  // the last glyph's right edge
    int glyphs = 0;
};
std::vector<PdfTextRun> PdfTextRuns(const std::string& pdf);
// The width of the first page's media box, in points.
double PdfPageWidth(const std::string& pdf);

}  // namespace qv::test

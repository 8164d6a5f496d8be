#pragma once
#include <functional>
#include <string>

// The quick set of grids, in the archive directory: copies of the standard grids ("grl-dat.txt",
// "tin-dat.txt", "grq-dat.txt"), the territorial and date variable lists ("grt-dat.txt",
// "grd-dat.txt"), the link definitions "lnk-dat.imp", and the reports that examine the quick
// grid line by line.

namespace qv {

// What a copy of the standard grids did.
struct QuickGridCopy {
    bool Done = false;  // false: the existing quick grid was kept and nothing was copied
    bool GridMissing = false, HeadingsMissing = false, QuantGridMissing = false;
};

// Asked before an existing "grl-dat.txt" is replaced; true goes ahead.
using ConfirmReplace = std::function<bool()>;

// Copies "grl-sch.txt", "tin-sch.txt" and "grq-sch.txt" to their quick twins line by line
// (lines of up to 300 characters, as grids are read, written with CR LF). A source that does not open leaves
// its copy as it was.
QuickGridCopy CopyGridsToQuickSet(const ConfirmReplace& confirmReplace);
// Text 631 when everything was copied, else text 632 followed by the missing sources.
std::string QuickGridCopyStatus(const QuickGridCopy& copy);

// Rewrites "grt-dat.txt" (fields declared "K") or "grd-dat.txt" (fields declared "D") from the
// declarations "sig-sch.dat": "*" field "*" caption, one line a field.
void WriteTerritorialVariableList();
void WriteDateVariableList();

// The link definitions template: four blocks of seven labels and a separator line. An existing
// "lnk-dat.imp" holds definitions someone typed: it is replaced only when `confirmReplace`
// answers true. Answers whether the template was written.
bool WriteLinkTemplate(const ConfirmReplace& confirmReplace);
constexpr int kLinkBlockLines = 8;
constexpr int kLinkTemplateBlocks = 4;
constexpr int kLinkLabelWidth = 37;
extern const char* const kLinkLabels[kLinkBlockLines];

// Reports written to "tabella.txt" in the program directory:
// the quick grid with the heading block of each variable before its first line;
void WriteGridWithHeadings();
// every grid line with its number;
void WriteNumberedGrid();
// one line for every fault found in a grid line.
void WriteGridDiagnostics();

}  // namespace qv

#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "elaborations/grid_files.h"

// The grid editor's work on the archive's grid files: renumbering the heading blocks, checking
// the category grid line by line, listing it with line numbers, and keeping a copy of the grid
// pair under a name of the user's.

namespace qv {

// Rewrites "tin-sch.txt" through the scratch "ti0-sch.dat" with its blocks numbered 001, 002 ...
// in order: the first line of each block is replaced by the number, the lines after it are
// copied (each cut to 258 characters) up to and including the one beginning "///". Blank lines
// between blocks are kept and open no block. False, and nothing written, when the heading file
// does not open.
bool RenumberTableHeadings();

// The findings of one grid line (1-based number `n`) of a grid of `lineCount` lines, each a
// line of the check report. `previous` is the last line read that held a '*' (nullptr before
// it), as the grid reader inherits from it; `parsed` receives the line as the reader takes it.
std::vector<std::string> CheckGridLine(int n, std::string_view line, const GridLine* previous, int lineCount,
                                       GridLine& parsed);

// Rewrites "tabella.txt" with the findings of every line of "grl-sch.txt" (one line with text
// 931 when the grid does not open).
void WriteCategoryGridCheck();

// Rewrites "tabella.txt" with every line of "grl-sch.txt" after text 926 and its number (one
// line with text 931 when the grid does not open).
void WriteNumberedCategoryGrid();

// The pair of files a chosen name stands for: the name up to the first '.' of its file part,
// followed by ".Grl" and ".TIN".
std::string SavedGridPath(const std::string& chosen);
std::string SavedHeadingsPath(const std::string& chosen);
// Copies "grl-sch.txt" and "tin-sch.txt" to the pair, or the pair back over them. Both files
// are read before anything is written; a missing one raises the input/output error.
void SaveGridPair(const std::string& chosen);
void RestoreGridPair(const std::string& chosen);

}  // namespace qv

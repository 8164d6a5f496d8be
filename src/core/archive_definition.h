#pragma once
#include <cstdint>
#include <string_view>

// The archive definition: 17 per-field tables kept in "imp-sch.dat" (table t as 4000 words from
// byte 8000 * (t - 1)), rebuilt from the compiled field list "sig-sch.dat" and placement
// "dat-sch.dat", together with the field names "md2-sch.dat" and category labels "mod-sch.dat";
// and the card layout "inf-sch.dat" turned into "trd-tres.dat" and "trc-tres.dat".

namespace qv {

constexpr int kDefinitionTableBytes = 8000;
constexpr int kDefinitionTables = 17;
// A newly created "imp-sch.dat" holds three more zero tables that nothing reads.
constexpr int kDefinitionFileTables = 20;
constexpr int kNameRecordBytes = 61;
constexpr int kLayoutItemBytes = 212;
constexpr int kStyleRecordBytes = 18;

// Answers of a coded field from its count character in "sig-sch.dat": "1".."9" give 1..9,
// "a".."z" 10..35, "{" 36; any other character 0.
int CodedFieldAnswers(char countCharacter);

// A number in the columns first..last (1-based; last 0 = to the end of the line): leading
// blanks skipped, an optional sign, then digits up to the first other character; 0 without
// digits. Large values saturate; callers keep 16 bits where the file format says so.
int32_t ReadColumnNumber(std::string_view line, int first, int last = 0);

// Reads the tables from "imp-sch.dat" and counts the placed fields into CoreState.FieldCount.
void LoadArchiveDefinition();
// Rebuilds the tables from "sig-sch.dat" and "dat-sch.dat", rewrites "md2-sch.dat" and
// "mod-sch.dat", resets the search conditions (every territory active) and writes the tables
// into "imp-sch.dat"; the field marks kept there are never overwritten.
void BuildArchiveDefinition();
// Rewrites "trd-tres.dat" (layout items) and "trc-tres.dat" (text styles) from "inf-sch.dat".
void ConvertInfoFile();

}  // namespace qv

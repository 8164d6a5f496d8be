#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The archive definition: 17 per-field tables kept in "imp-sch.dat" (table t as 4000 words from
// byte 8000 * (t - 1)), rebuilt from the compiled field list "sig-sch.dat" and placement
// "dat-sch.dat", together with the field names "md2-sch.dat" and category labels "mod-sch.dat";
// and the card layout "inf-sch.dat" turned into "trd-tres.dat" and "trc-tres.dat".

namespace qv {

constexpr int kDefinitionTableBytes = 8000;
constexpr int kDefinitionTables = 17;
// A newly created "imp-sch.dat" holds three more zero tables that nothing reads.
constexpr int kDefinitionFileTables = 20;
// Table 11 holds the field marks (FieldAttributes): kept when the definition is rebuilt.
constexpr int kAttributesTable = 11;
// Statistics counters a date field (by year) and a percentage field (classes 0..101) take.
constexpr int kDateCounters = 110;
constexpr int kPercentCounters = 102;
// "md2-sch.dat" and "mod-sch.dat": one 61-byte record per field name or category label, the text
// (at most 60 characters) followed by zero bytes.
constexpr int kNameRecordBytes = 61;
constexpr int kNameRecordChars = kNameRecordBytes - 1;
// "trd-tres.dat": one record per drawn item of the card layout; "trc-tres.dat": one per style.
constexpr int kLayoutItemBytes = 212;
constexpr int kStyleRecordBytes = 18;
constexpr int kMaxStyles = 9;

// The text of a name record: its characters up to the first zero byte, at most 60 (the writer
// always leaves the last byte zero, so a record without one is damaged and reads as 60).
std::string DecodeNameRecord(const uint8_t* record);
// The texts of `count` records of a name file from record `first` (0-based) on, in one open and
// one read. Raises the input/output error when the file cannot be opened, and (code 100, as a
// read past the end) when it holds fewer records.
std::vector<std::string> ReadNameRecords(const std::string& path, int64_t first, int count);
// The same, but only the records the file holds: fewer at its end, none past it.
std::vector<std::string> ReadNameRecordsUpTo(const std::string& path, int64_t first, int count);
// Every whole record of a name file.
std::vector<std::string> ReadAllNameRecords(const std::string& path);

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

#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cardwindow/comune_lookup.h"
#include "cardwindow/field_commit.h"
#include "core/card_store.h"
#include "core/text_tables.h"

// Text import of cards: a text file with one card per line, its pieces separated by tabs, by one
// delimiter character or taken in fixed columns, each piece stored into the field that the
// field-order file "trc-dat.txt" names for it. Findings go to the report "tabella.txt".

namespace qv {

class Progress;

// CoreState.ImportFormat: 1 tab, 2 delimiter, 3 fixed columns; 3 more when dates are read
// year/month/day. 0 (no layout chosen) reads the whole line as the first piece.
constexpr int kImportTab = 1;
constexpr int kImportDelimiter = 2;
constexpr int kImportFixed = 3;
constexpr int kImportYearFirst = 3;

// A data line is read up to this many characters, a piece keeps at most kImportPieceChars.
constexpr size_t kImportLineChars = 30000;
constexpr size_t kImportPieceChars = 200;
// Lines of the field-order file after this many are not read.
constexpr int kImportMaxPieces = 4000;

// One line of the field-order file: the field receiving the piece (0 = skipped) and the width
// of a fixed-width piece, -1 for a piece that ends at the separator.
struct ImportPiece {
    int field = 0;
    int width = -1;
    bool operator==(const ImportPiece&) const = default;
};

struct ImportFieldOrder {
    std::vector<ImportPiece> pieces;
    std::vector<std::string> findings;  // report lines, without the heading
};

// Reads the field-order text (lines of "field,width", each read up to 30 characters) for the
// layout `format`. Blank lines after the last line that says something are not entries.
ImportFieldOrder ReadImportFieldOrder(const std::string& fileBytes, int format);
// The same with the run's texts.
ImportFieldOrder ReadImportFieldOrder(const std::string& fileBytes, int format, RunTexts& texts);

// The separator of a layout: tab, CoreState.ImportDelimiter, or none for fixed columns.
std::optional<char> ImportSeparator(int format);

// Cuts a data line into one piece per entry, trailing blanks and control characters removed.
std::vector<std::string> CutImportLine(std::string_view line, const std::vector<ImportPiece>& pieces,
                                       std::optional<char> separator);
// The same as views into `line`, or into `rooms` (one a piece, reused from line to line) for a
// piece whose control characters were dropped.
void CutImportLine(std::string_view line, const std::vector<ImportPiece>& pieces,
                   std::optional<char> separator, std::vector<std::string_view>& out,
                   std::vector<std::string>& rooms);

// Errors of a conversion, each with its text in the report.
enum class ImportError {
    None,
    CategoryAboveCount,
    CategoryNotFound,
    ComuneNotFound,
    ComuneAmbiguous,
    DateNotInCalendar,
    CategoryAmbiguous
};

// The three words of a date piece, day/month/year or, with `yearFirst`, year/month/day. None
// for a day that its month and year do not have (31/2, 29/2/1900, day 32, month 13); a day or
// month of 0 is one not known.
struct ImportDate {
    int16_t day = 0, month = 0, year = 0;
    bool operator==(const ImportDate&) const = default;
};
std::optional<ImportDate> ReadImportDate(std::string_view piece, bool yearFirst);

// What stays the same through a run: the card's shape, the moment it started, and the tables
// names are looked up in, each read at its first use.
class ImportTables {
  public:
    ImportTables();
    const CardGeometry& Geometry() const { return geometry_; }
    const EntryClock& Now() const { return now_; }
    CategoryLabelTable& Labels();
    // The municipalities a name stands for (see ComuneNameTable::Matches), kept until the next call.
    const std::vector<int>& ComuniNamed(std::string_view name);

  private:
    CardGeometry geometry_;
    EntryClock now_;
    std::optional<CategoryLabelTable> labels_;
    std::optional<ComuneNameTable> comuni_;
    std::vector<int> comuniFound_;
};

// Stores a piece into `field` of the card in hand by the field's type. Raises the input/output
// error when the category labels or the municipality names cannot be read. A date that is no
// date leaves the field empty; a municipality name that several municipalities answer to
// leaves it without one.
ImportError StoreImportPiece(int field, std::string_view piece, bool yearFirst, ImportTables& tables);

// "Sequenza": "trc-dat.txt" becomes the numbers 1 to FieldCount, one a line, after an
// existing one has been copied to "asq-sch2.txt".
void WriteDefaultFieldOrder();

// The data file last used ("nin-sch.txt"), or the archive directory and "Dati.Txt".
std::string LoadImportFileName();
void SaveImportFileName(const std::string& name);

enum class ImportMode { Append, Replace };

struct ImportOutcome {
    bool ran = false;       // false without the write password: nothing was touched
    bool reported = false;  // the report holds findings or errors and is to be shown
    int32_t cards = 0;      // cards stored
};

// Imports `dataFile` with CoreState.ImportFormat and ImportDelimiter, appending after the last
// card or replacing every card. Findings in the field-order file, or a data file that does not
// open, stop the run before the archive is touched. Needs CoreState.WriteAccess. Cards are
// stored in blocks (see CardFiles::AppendCards); a replacing import writes new card files beside
// the old ones and puts them in place only when complete, so a failure leaves the old cards.
// `blockCards` other than 0 sets the cards per block (1 stores them one at a time).
ImportOutcome RunImport(const std::string& dataFile, ImportMode mode, Progress& progress,
                        int32_t blockCards = 0);

}  // namespace qv

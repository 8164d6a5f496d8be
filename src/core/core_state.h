#pragma once
#include <array>
#include <cstdint>
#include <string>

// The program's shared state: one state record, the territorial record and the shared tables,
// exchanged between windows exactly as the program has always done. They are globals with the
// program's own names, zero-initialised, and reset through ResetProgramState().
//
// Indexing: per-field tables and the card buffers are indexed by the program's 1-based numbers
// (field 1..4000, text byte 1..8000, word 1..4000); entry 0 is unused. Tables the program indexes
// from 0 (flag lists by grid line, territory flags by code - 1, map flags) keep that indexing.

namespace qv {

constexpr int kMaxFields = 4000;
constexpr int kMaxCardWords = 4000;
constexpr int kMaxCardTextBytes = 8000;
constexpr int kFlagListSize = 4001;
constexpr int kTerritoryTableSize = 8150;
constexpr int kMapComuniSize = 8251;
constexpr int kSelectionMaskBytes = 65501;
constexpr uint16_t kEmptyWord = 33536;                // empty 16-bit value, end mark of the settings file
constexpr int16_t kEmptyShort = int16_t(kEmptyWord);  // the same word read as a signed value, -32000
constexpr int32_t kEmptyNumber = -9999999;

struct CoreStateRecord {
    // Directories (each ends with '/'), station.
    std::string ProgramDir;
    std::string ArchiveDir;
    std::string OtherArchiveDir;
    std::string DesignerDir;
    std::string StationNumber;

    // Card geometry and position.
    int FieldCount = 0;
    int CardWordCount = 0;
    int CardTextBytes = 0;
    int32_t LastCard = 0;
    int32_t CurrentCard = 0;
    int ExistingCardCount = 0;
    int LayoutItemCount = 0;
    int PageCount = 0;
    int PageWidth = 0;
    int PageHeight = 0;
    int FirstCardWord = 0;
    int DateMonth = 0;
    int DateYear = 0;

    // Card window.
    int CardWindowMode = 0;
    int CommandCode = 0;
    int CurrentField = 0;
    int PreviousField = 0;
    int CurrentPage = 0;
    int EntryCursor = 0;
    std::string EntryBuffer;
    std::string EntryOriginalText;
    // Set while the field's text stands in the buffer as loaded: the first typed character of a
    // value field replaces it.
    uint8_t EntryReplaces = 0;
    std::string CurrentFieldText;
    uint8_t WriteAccess = 0;
    uint8_t LogoPresent = 0;
    uint8_t MouseEntry = 0;
    uint8_t ClickInCard = 0;
    uint8_t ProceedFlag = 0;
    int ProvinceIndex = 0;
    int ClassWidth = 0;

    // Search and selection.
    int SearchKind = 0;
    uint8_t SearchEnded = 0;
    uint8_t SearchFormSaved = 0;
    uint8_t SearchFromFirst = 0;
    uint8_t SearchAsList = 0;
    int SearchListOption = 0;
    int32_t FoundIndexPosition = 0;
    int SortKeyLength = 0;
    int SplitField = 0;
    int SplitCategoryCount = 0;
    int StatisticsField = 0;
    int DistributionTable = 0;
    uint8_t HasLinkedArchives = 0;
    int LinkChoice1 = 0;
    int LinkChoice2 = 0;

    // Lists, labels, e-mail.
    int ListGroupField1 = 0;
    int ListGroupField2 = 0;
    int ListOrderField = 0;
    uint8_t ListFlag = 0;
    uint8_t ListReady = 0;
    int32_t ListRow = 0;
    int LabelColumns = 0;
    uint8_t LabelsToPrinter = 0;
    int LabelWidth = 0;
    uint8_t MergeListAlphabetic = 0;
    int EmailAddressField = 0;
    int EmailNameField = 0;
    int EmailConditionField = 0;
    int EmailConditionCode = 0;
    int EmailErrorField = 0;
    int EmailErrorCode = 0;
    int EmailSentCode = 0;

    // Import, export, territory fields.
    int ImportFormat = 0;
    int ImportDelimiter = 0;
    uint8_t ExportTabs = 0;
    int CommuneField = 0;
    int ProvinceField = 0;

    // Elaborations.
    int ElaborationMode = 0;
    int ReportCondition = 0;
    uint8_t ColumnHeadingTexts = 0;
    uint8_t DistributionHeadings = 0;
    uint8_t SkipEmptyRows = 0;
    uint8_t TableHeadings = 0;
    uint8_t OmitRowNumbers = 0;
    uint8_t PercentColumn = 0;
    uint8_t PercentRow = 0;
    uint8_t PercentTotal = 0;
    uint8_t ChiSquare = 0;
    uint8_t HideTrivialConnections = 0;
    uint8_t CellBorders = 0;
    uint8_t WideCells = 0;
    uint8_t CountByQuantUnit = 0;
    int QuantUnitVar = 0;
    uint8_t Cumulate = 0;
    uint8_t TabSeparators = 0;
    uint8_t ShowFrequencies = 0;
    double MinChiSquare = 0;
    uint8_t SimilarityIndex = 0;
    double MaxSimThreshold = 0;
    int TypologyField = 0;
    int FactorCount = 0;
    int FactorVariableCount = 0;
    double MinCorrelation = 0;
    uint8_t AfcFlag = 0;
    uint8_t AfcRotate = 0;
    int PlaneFactorX = 0;
    int PlaneFactorY = 0;
    uint8_t PlaneShowCrosses = 0;
    uint8_t PlaneNumbers = 0;
    int PrintEnlargement = 0;

    // Quick elaborations.
    int PreparedQuantVar = 0;
    int PreparedTerritoryVar = 0;
    int PreparedDateVar = 0;
    int QuickReportChoice = 0;

    // Reserved settings slots: kept and written back unchanged.
    std::array<int, 60> ReservedSlots{};
};

struct MapStateRecord {
    std::string TerritoryDir;
    // Map display options, in the order of the record. Flags are 0 or 1.
    uint8_t Automatic = 0;
    uint8_t ValuesAsPercent = 0;
    uint8_t UnitBorders = 0;
    uint8_t ColourByClass = 0;
    uint8_t ShowVariableBorders = 0;
    uint8_t FrameLine = 0;
    uint8_t HideRankNumbers = 0;
    uint8_t BarsOverAll = 0;
    uint8_t BarsOverActive = 0;
    uint8_t BarsOverVisible = 0;
    uint8_t ShowNames = 0;
    uint8_t ShowLegend = 0;
    uint8_t ShowLegendTitle = 0;
    uint8_t ClassBorders = 0;
    uint8_t SigleActiveOnly = 0;
    uint8_t HideVariableBordersInactive = 0;
    uint8_t ShowSigle = 0;
    uint8_t HideBordersInactive = 0;
    uint8_t MapMargin = 0;
    uint8_t ShowChosenName = 0;
    uint8_t ShowValues = 0;
    uint8_t ZeroIsWhite = 0;
    uint8_t ZoomLevel = 0;  // 1 base map, 2..7 zoom 1..6
    int ComuneNumberOffset = 0;
    int ValueCount = 0;
    int ComuneCount = 0;
    int VariableLength = 0;
    int VariableBorderWidth = 0;
    int ClassMode = 0;  // 1 manual limits, 2 octiles, 3 mean and standard deviation
    int QualitativeVariable = 0;
    int32_t CentreTargetX = 0;
    int32_t CentreTargetY = 0;
    int32_t ChosenComune = 0;
    int32_t ValueDecimals = 0;
    int32_t ViewCentreX = 0;
    int32_t ViewCentreY = 0;
    int32_t LegendLeft = 0;
    int32_t LegendRight = 0;
    int32_t LegendTop = 0;
    int32_t LegendBottom = 0;
    int32_t LegendX = 0;
    int32_t LegendY = 0;
    int32_t ReferenceX = 0;
    int32_t ReferenceY = 0;
    int32_t PrintScaleX = 0;
    int32_t PrintScaleY = 0;
    int32_t BorderVariable = 0;
    int32_t AggregationVariable = 0;
    int32_t SigleSet = 0;
    int32_t PickX = 0;
    int32_t DrawPointX = 0;
    int32_t MapWidth = 0;
    int32_t PixelWidth = 0;
    int32_t PickY = 0;
    int32_t DrawPointY = 0;
    int32_t MapHeight = 0;
    int32_t PixelHeight = 0;
    int32_t ZoomShift = 0;
    int32_t ZoomScale = 0;
    // Cards of the active comuni plus the cards without comune, set by each value computation.
    double ValueTotal = 0;
};

// Limits between the eight colour classes of the map (class k + 1 begins at limit k) and the
// legend title; kept beside MapState and stored as one 94-byte record.
constexpr int kMapClassLimits = 7;
constexpr double kClassLimitUnset = -99999999;
struct MapClassThresholdsRecord {
    std::array<double, kMapClassLimits> Limits{};
    std::string Title;  // at most 50 characters
};

extern CoreStateRecord CoreState;
extern MapStateRecord MapState;
extern MapClassThresholdsRecord MapClassThresholds;
// Map colours, 0x00BBGGRR: entry 0 the background, entries 1..8 the classes.
extern std::array<uint32_t, 9> LegendColours;
extern uint32_t ProgramColour;
extern int TerritoryCount;

// Per-field tables of the archive definition (index = field number 1..4000).
using FieldTable = std::array<int16_t, kMaxFields + 1>;
using FieldFlags = std::array<uint8_t, kMaxFields + 1>;
extern FieldTable FieldFirstLabel, FieldTypes, FieldTextOffsets, FieldPositions, FieldLastLabel, LayoutPage,
    LayoutX, LayoutY, LayoutRight, LayoutStyle, FieldAttributes, FieldFirstCategory, FieldLastCategory,
    FieldStatisticsIndex, FieldNumericIndex;
extern FieldFlags FieldInCondition, FieldConditionSense, JumpRuleFields, TerritorialLinkFields;
// Search condition per category slot (index = slot 1..4000).
constexpr int kCategorySlots = kMaxFields;
extern FieldFlags CategoryWanted;
// Card page of each layout item (index = item 1..4000).
extern FieldTable StaticTextPage;

// The card in hand (text bytes 1..8000, words 1..4000) and its saved copy.
extern std::array<uint8_t, kMaxCardTextBytes + 1> CurrentCardText, SavedCardText;
extern std::array<uint16_t, kMaxCardWords + 1> CurrentCardValues, SavedCardValues;

// Territory flags: code j at index j - 1.
extern std::array<uint8_t, kTerritoryTableSize> TerritorySelection;
// Map flags: map comune k at index k - 1.
extern std::array<uint8_t, kMapComuniSize> MapActiveComuni;

// The manual territory selection's memory between openings: the first code of each province
// line of "ini-prov.imp" followed by the end mark, the provinces with a selected comune, the
// code last chosen and the last distance.
constexpr int kProvinceSlots = 104;
extern std::array<int32_t, kProvinceSlots> ProvinceStartTable;
extern std::array<uint8_t, kProvinceSlots> ProvinceMarks;
extern int32_t ChosenTerritoryCode;
extern int32_t KmRadius;

// Search conditions per date field (1..30) and numeric field (1..999); entry 0 unused.
constexpr int kDateConditionSlots = 30;
constexpr int kNumericConditionSlots = 999;
extern std::array<int32_t, kDateConditionSlots + 1> DateConditionFrom, DateConditionTo;
extern std::array<int32_t, kNumericConditionSlots + 1> NumericConditionLow, NumericConditionHigh;

// The nine selection lists of the elaborations (index = 0-based grid line).
using FlagList = std::array<uint8_t, kFlagListSize>;
extern FlagList StandardRowFlags, QuickRowFlags, PsiFlags, StandardColumnFlags, QuickColumnFlags,
    QuantVarFlags, QuantColumnFlags, StandardAfcCategoryFlags, QuickAfcCategoryFlags;

// The two factor columns being rotated.
extern std::array<double, 400> FactorPairColumnA, FactorPairColumnB;

// Search statistics: three tables of 12151 counters: territory codes 0..8150, then 4000 category
// counters whose first (entry 8151) is the table's total.
constexpr int kStatisticsCounters = 48604 / 4;
extern std::array<std::array<int32_t, kStatisticsCounters>, 3> StatisticsTables;
// The years of a date field the 110 counters of StatisticsTables do not hold (1900, 2010-2109
// and one counter for later years), per table and date field with counters
// (selection_files.h: YearTailSlot, YearTailCounter).
constexpr int kYearTailSlots = 36;
constexpr int kYearTailCountersPerField = 102;
extern std::array<std::array<int32_t, kYearTailSlots * kYearTailCountersPerField>, 3> StatisticsYearTail;
// Maximum, minimum, count and sum per numeric field: four blocks of 1000. A field without a
// value keeps the starting maximum and minimum, which every value passes.
constexpr int32_t kNoMaximum = -9999999;
constexpr int32_t kNoMinimum = 9999999;
extern std::array<int32_t, 4000> NumericFieldSummary;

// One bit per card, card n at byte n / 8, most significant bit first.
extern std::array<uint8_t, kSelectionMaskBytes> CardSelectionMask;

// The card's nine text styles, nine integers each (style k at row k; row 0 unused).
extern std::array<std::array<int16_t, 9>, 10> CardTextStyles;

// The write password, read by the password dialog and kept until the program ends.
extern std::string ArchivePassword;

// Shared 101-byte buffer of the secondary text table.
extern std::array<char, 101> SecondaryText;

// Clears every shared table and record: the start of the program and of each test.
void ResetProgramState();

}  // namespace qv

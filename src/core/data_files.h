#pragma once
#include <cstdint>
#include <string>

namespace qv {

// The one place where data-file names live: file id 1..210 to the directory in force followed
// by the name. Ids without a file, and ids outside 1..210, give an empty string.
std::string DataFilePath(int32_t id);

// A fingerprint of the bytes of a data file as it is now (a missing file: of no bytes), never 0
// (0 in a record means it was written without one).
int32_t FileFingerprint(int32_t id);

namespace data_file {

// The ids of the data-file catalogue (DataFilePath), one name per file. Readers and writers use
// these names and never the numbers: an id lives here and in the catalogue's table only. Ids that
// end in "Stem" name files whose path ends with a point, after which the caller appends a suffix.
inline constexpr int32_t kSecondaryText = 3;
inline constexpr int32_t kCardText = 4;
inline constexpr int32_t kCardValues = 5;
inline constexpr int32_t kRequiredFields = 6;
inline constexpr int32_t kMissingFieldsReport = 7;
inline constexpr int32_t kLastCard = 8;
inline constexpr int32_t kPreparedCount = 10;
inline constexpr int32_t kPreparedTerritory = 11;
inline constexpr int32_t kTranslation = 12;
inline constexpr int32_t kWorkingThresholds = 13;
inline constexpr int32_t kBaseThresholds = 14;
inline constexpr int32_t kWorkingOption = 15;
inline constexpr int32_t kBaseOption = 16;
inline constexpr int32_t kMapWindow = 17;
inline constexpr int32_t kLayoutText = 18;
inline constexpr int32_t kDefinition = 20;
inline constexpr int32_t kDeclaration = 21;
inline constexpr int32_t kFieldName = 22;
inline constexpr int32_t kLabel = 23;
inline constexpr int32_t kLayoutPlacement = 24;
inline constexpr int32_t kLayoutItem = 25;
inline constexpr int32_t kStyle = 26;
inline constexpr int32_t kArchiveList = 28;
inline constexpr int32_t kMouseSwitch = 29;
inline constexpr int32_t kJumpRule = 30;
inline constexpr int32_t kTerritorialLink = 31;
inline constexpr int32_t kEditFolder = 32;
inline constexpr int32_t kLinkedArchive = 33;
inline constexpr int32_t kFactorLoadings = 34;
inline constexpr int32_t kFactorSettings = 35;
inline constexpr int32_t kReport = 36;
inline constexpr int32_t kGrid = 37;
inline constexpr int32_t kCooccurrence = 38;
inline constexpr int32_t kCorrelation = 39;
inline constexpr int32_t kFactorLines = 40;
// "fat-fatt.dat" and "saf-fatt.dat" stand in the catalogue, but no pass reads or writes them.
inline constexpr int32_t kFactorExtra = 41;
inline constexpr int32_t kTypologyList = 42;
inline constexpr int32_t kQuantGrid = 43;
inline constexpr int32_t kProvinceStarts = 44;
inline constexpr int32_t kComuneNames = 45;
inline constexpr int32_t kAlphaIndex = 46;
inline constexpr int32_t kSecondaryTextSource = 49;
inline constexpr int32_t kLogo = 50;
inline constexpr int32_t kEntryBoxColour = 51;
inline constexpr int32_t kOtherCardText = 52;
inline constexpr int32_t kOtherCardValues = 53;
inline constexpr int32_t kListStaging = 54;
inline constexpr int32_t kSearchCriteria = 55;
inline constexpr int32_t kDialerPrefix = 56;
inline constexpr int32_t kDialerStaging = 57;
inline constexpr int32_t kQuickGrid = 58;
inline constexpr int32_t kAdditionalVariables = 59;
inline constexpr int32_t kHeadings = 60;
inline constexpr int32_t kQuickHeadings = 61;
inline constexpr int32_t kPassword = 63;
inline constexpr int32_t kMaxSimListStem = 64;
inline constexpr int32_t kComment = 65;
inline constexpr int32_t kCategoryListSwitch = 66;
inline constexpr int32_t kLabelScratch = 67;
inline constexpr int32_t kCountTable = 68;
inline constexpr int32_t kChiSquareTable = 69;
inline constexpr int32_t kDesignerSource = 70;
inline constexpr int32_t kViewerStaging = 71;
inline constexpr int32_t kDesignerDeclaration = 72;
inline constexpr int32_t kDesignerLayoutText = 75;
inline constexpr int32_t kDesignerLayoutPlacement = 76;
inline constexpr int32_t kDesignerCardValues = 77;
inline constexpr int32_t kDesignerCardText = 78;
inline constexpr int32_t kDesignerLastCard = 79;
inline constexpr int32_t kDesignerDescriptor = 80;
inline constexpr int32_t kFactorStart = 82;
inline constexpr int32_t kBitMatrix = 83;
inline constexpr int32_t kQuickCorrelation = 84;
inline constexpr int32_t kQuickFactorLoadings = 85;
inline constexpr int32_t kQuickFactorSettings = 86;
inline constexpr int32_t kQuickFactorMatrix = 87;
inline constexpr int32_t kQuantValues = 88;
inline constexpr int32_t kQuickQuantGrid = 89;
inline constexpr int32_t kQuickTerritoryList = 90;
inline constexpr int32_t kQuickDateList = 91;
inline constexpr int32_t kLinkDefinitions = 92;
inline constexpr int32_t kSnapshotLog = 93;
inline constexpr int32_t kLinkKeysStem = 94;
inline constexpr int32_t kLinkNamesStem = 95;
inline constexpr int32_t kSnapshotMask = 96;
inline constexpr int32_t kWorkingMask = 97;
inline constexpr int32_t kNotes = 98;
inline constexpr int32_t kListOutput = 99;
inline constexpr int32_t kDateValues = 100;
inline constexpr int32_t kOtherLastCard = 101;
inline constexpr int32_t kSavedConditions = 102;
inline constexpr int32_t kColumnSets = 103;
inline constexpr int32_t kRowSets = 104;
inline constexpr int32_t kMailSettings = 105;
inline constexpr int32_t kSharedArchive = 106;
inline constexpr int32_t kProvinceRanges = 107;
inline constexpr int32_t kDefinitions = 108;
inline constexpr int32_t kEcho = 109;
inline constexpr int32_t kPermutation = 110;
inline constexpr int32_t kOrderScratch = 111;
inline constexpr int32_t kQuantColumns = 112;
inline constexpr int32_t kQuantSums = 113;
inline constexpr int32_t kQuantCards = 114;
inline constexpr int32_t kQuantSquares = 115;
inline constexpr int32_t kMergeCounter = 116;
inline constexpr int32_t kRowCard = 117;
inline constexpr int32_t kHeadingsScratch = 118;
inline constexpr int32_t kMergeList = 119;
inline constexpr int32_t kFieldOrder = 120;
inline constexpr int32_t kRecoding = 121;
inline constexpr int32_t kLabelOutput = 122;
inline constexpr int32_t kMergedList = 123;
inline constexpr int32_t kUniverse = 124;
inline constexpr int32_t kWeights = 125;
inline constexpr int32_t kImportName = 126;
inline constexpr int32_t kFieldOrderBackup = 127;
inline constexpr int32_t kLegendColour = 128;
inline constexpr int32_t kArchiveBase = 129;
inline constexpr int32_t kUserList = 130;
inline constexpr int32_t kHelpNames = 131;
inline constexpr int32_t kLinkedCategories = 132;
inline constexpr int32_t kLinkedFirstLast = 133;
inline constexpr int32_t kLinkedPositions = 134;
inline constexpr int32_t kLinkedLines = 135;
inline constexpr int32_t kMaxSimTable = 136;
inline constexpr int32_t kMaxSimVariables = 137;
inline constexpr int32_t kMaxSimMatrix = 138;
inline constexpr int32_t kMaxSimSquares11 = 139;
inline constexpr int32_t kMaxSimSquares12 = 140;
inline constexpr int32_t kMaxSimSquares21 = 141;
inline constexpr int32_t kMaxSimSquares22 = 142;
inline constexpr int32_t kMaxSimScores1 = 143;
inline constexpr int32_t kMaxSimScores2 = 144;
inline constexpr int32_t kMaxSimScores3 = 145;
inline constexpr int32_t kMaxSimScores4 = 146;
inline constexpr int32_t kMaxSimReport = 147;
inline constexpr int32_t kMaxSimReport1 = 148;
inline constexpr int32_t kMaxSimReport2 = 149;
inline constexpr int32_t kBorderVariable = 150;
inline constexpr int32_t kSigleList = 151;
inline constexpr int32_t kUnitNames = 152;
inline constexpr int32_t kProgramColour = 153;
inline constexpr int32_t kBaseSize = 154;
inline constexpr int32_t kFirstOutline = 155;  // 155..162: the outline files "1-zor" to "8-zor"
inline constexpr int32_t kOutlineClass = 163;
inline constexpr int32_t kBox = 164;
inline constexpr int32_t kPrintScale = 165;
inline constexpr int32_t kSortKey = 166;
inline constexpr int32_t kTerritorialOrder = 167;  // the same file as 169
inline constexpr int32_t kTerritorialSigleOrder = 168;
inline constexpr int32_t kTerritorialOrder2 = 169;
inline constexpr int32_t kTerritorialPositions = 170;
inline constexpr int32_t kTerritorialFirstLast = 171;
inline constexpr int32_t kExportLayout = 172;
inline constexpr int32_t kExportData = 173;
inline constexpr int32_t kVariableList = 174;
inline constexpr int32_t kCategoryList = 175;
inline constexpr int32_t kTerritorialMatrix = 176;
inline constexpr int32_t kDeclarationBackup = 178;
inline constexpr int32_t kFontPosition = 179;
inline constexpr int32_t kCentroid = 180;
inline constexpr int32_t kSearchNames = 181;
inline constexpr int32_t kQuickFactorExtra = 182;
inline constexpr int32_t kMapFontHeight = 183;
inline constexpr int32_t kColumnSetStem = 184;
inline constexpr int32_t kUpdateDate = 185;
inline constexpr int32_t kPreparedGrid = 186;
inline constexpr int32_t kSigleSet = 193;
inline constexpr int32_t kMapCentroid = 201;
inline constexpr int32_t kMapNames = 202;
inline constexpr int32_t kStation = 204;
inline constexpr int32_t kLastArchive = 205;
inline constexpr int32_t kDescriptor = 206;
inline constexpr int32_t kOtherLastCard2 = 207;  // the same file as 101
inline constexpr int32_t kMailText = 208;
inline constexpr int32_t kMailSubject = 209;
inline constexpr int32_t kCardDefinition = 210;

}  // namespace data_file

}  // namespace qv

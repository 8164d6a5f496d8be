#include "core/core_state.h"

namespace qv {

CoreStateRecord CoreState;
MapStateRecord MapState;
MapClassThresholdsRecord MapClassThresholds;
std::array<uint32_t, 9> LegendColours;
uint32_t ProgramColour = 0;
int TerritoryCount = 0;

FieldTable FieldFirstLabel, FieldTypes, FieldTextOffsets, FieldPositions, FieldLastLabel, LayoutPage, LayoutX,
    LayoutY, LayoutRight, LayoutStyle, FieldAttributes, FieldFirstCategory, FieldLastCategory,
    FieldStatisticsIndex, FieldNumericIndex;
FieldFlags FieldInCondition, FieldConditionSense, JumpRuleFields, TerritorialLinkFields;
FieldFlags CategoryWanted;
FieldTable StaticTextPage;

std::array<uint8_t, kMaxCardTextBytes + 1> CurrentCardText, SavedCardText;
std::array<uint16_t, kMaxCardWords + 1> CurrentCardValues, SavedCardValues;

std::array<uint8_t, kTerritoryTableSize> TerritorySelection;
std::array<uint8_t, kMapComuniSize> MapActiveComuni;
std::array<int32_t, kProvinceSlots> ProvinceStartTable;
std::array<uint8_t, kProvinceSlots> ProvinceMarks;
int32_t ChosenTerritoryCode = 0;
int32_t KmRadius = 0;

std::array<int32_t, kDateConditionSlots + 1> DateConditionFrom, DateConditionTo;
std::array<int32_t, kNumericConditionSlots + 1> NumericConditionLow, NumericConditionHigh;

FlagList StandardRowFlags, QuickRowFlags, PsiFlags, StandardColumnFlags, QuickColumnFlags, QuantVarFlags,
    QuantColumnFlags, StandardAfcCategoryFlags, QuickAfcCategoryFlags;

std::array<double, 400> FactorPairColumnA, FactorPairColumnB;
std::array<std::array<int32_t, kStatisticsCounters>, 3> StatisticsTables;
std::array<std::array<int32_t, kYearTailSlots * kYearTailCountersPerField>, 3> StatisticsYearTail;
std::array<int32_t, 4000> NumericFieldSummary;
std::array<uint8_t, kSelectionMaskBytes> CardSelectionMask;
std::array<std::array<int16_t, 9>, 10> CardTextStyles;
std::string ArchivePassword;
std::array<char, 101> SecondaryText;

void ResetProgramState() {
    CoreState = CoreStateRecord{};
    MapState = MapStateRecord{};
    MapClassThresholds = MapClassThresholdsRecord{};
    LegendColours.fill(0);
    ProgramColour = 0;
    TerritoryCount = 0;
    for (FieldTable* t :
         {&FieldFirstLabel, &FieldTypes, &FieldTextOffsets, &FieldPositions, &FieldLastLabel, &LayoutPage,
          &LayoutX, &LayoutY, &LayoutRight, &LayoutStyle, &FieldAttributes, &FieldFirstCategory,
          &FieldLastCategory, &FieldStatisticsIndex, &FieldNumericIndex, &StaticTextPage})
        t->fill(0);
    for (FieldFlags* t :
         {&FieldInCondition, &FieldConditionSense, &JumpRuleFields, &TerritorialLinkFields, &CategoryWanted})
        t->fill(0);
    CurrentCardText.fill(0);
    SavedCardText.fill(0);
    CurrentCardValues.fill(0);
    SavedCardValues.fill(0);
    TerritorySelection.fill(0);
    MapActiveComuni.fill(0);
    ProvinceStartTable.fill(0);
    ProvinceMarks.fill(0);
    ChosenTerritoryCode = 0;
    KmRadius = 0;
    DateConditionFrom.fill(0);
    DateConditionTo.fill(0);
    NumericConditionLow.fill(0);
    NumericConditionHigh.fill(0);
    for (FlagList* l : {&StandardRowFlags, &QuickRowFlags, &PsiFlags, &StandardColumnFlags, &QuickColumnFlags,
                        &QuantVarFlags, &QuantColumnFlags, &StandardAfcCategoryFlags, &QuickAfcCategoryFlags})
        l->fill(0);
    FactorPairColumnA.fill(0);
    FactorPairColumnB.fill(0);
    for (auto& t : StatisticsTables) t.fill(0);
    for (auto& t : StatisticsYearTail) t.fill(0);
    NumericFieldSummary.fill(0);
    CardSelectionMask.fill(0);
    for (auto& row : CardTextStyles) row.fill(0);
    ArchivePassword.clear();
    SecondaryText.fill(0);
}

}  // namespace qv

#pragma once
#include "core/ui/common_captions.h"

namespace qv {

// The captions of the territory's forms (the map, its options, prints and lists), from the text
// table like every other caption; one number for each text, shared by the forms that show it
// (the captions every kind of form has are in core/ui/common_captions.h).
constexpr int kMapOptionsTitle = 2000;
constexpr int kLegendTitleCaption = 2001;
constexpr int kShowClassesCaption = 2002;
constexpr int kBackgroundColourCaption = 2003;
constexpr int kClassCaption = 2004;
constexpr int kManualLimitsCaption = 2005;
constexpr int kOctilesCaption = 2006;
constexpr int kMeanAndVarianceCaption = 2007;
constexpr int kSaveColoursCaption = 2008;
constexpr int kLoadColoursCaption = 2009;
constexpr int kAutomaticCaption = 2011;
constexpr int kProgramColourCaption = 2012;
constexpr int kLegendCaption = 2013;
constexpr int kShowColourCaption = 2014;
constexpr int kZeroIsWhiteCaption = 2015;
constexpr int kNoBordersCaption = 2016;
constexpr int kAllBordersCaption = 2017;
constexpr int kClassBordersCaption = 2018;
constexpr int kSelectedAreaOnlyCaption = 2019;
constexpr int kBoldBordersCaption = 2020;
constexpr int kShowNamesCaption = 2021;
constexpr int kActiveOnlyCaption = 2022;
constexpr int kShowSelectedMunicipalityCaption = 2023;
constexpr int kShowCodesCaption = 2024;
constexpr int kChartsCaption = 2025;
constexpr int kBarValuesCaption = 2026;
constexpr int kFrameMapCaption = 2027;
constexpr int kPercentValuesCaption = 2028;
constexpr int kMunicipalitiesCaption = 2029;
constexpr int kDisplayTabCaption = 2030;
constexpr int kActivateAllCaption = 2031;
constexpr int kSelectFromListsCaption = 2032;
constexpr int kQualitativeCaption = 2033;
constexpr int kQuantitativeCaption = 2034;
constexpr int kSelectTabCaption = 2035;
constexpr int kMunicipalityListCaption = 2036;
constexpr int kRankingCaption = 2037;
constexpr int kListsTabCaption = 2038;
constexpr int kZoomTabCaption = 2039;
constexpr int kSaveOptionsCaption = 2040;
constexpr int kLoadOptionsCaption = 2041;
constexpr int kLoadBaseCaption = 2042;
constexpr int kSaveBaseCaption = 2043;
constexpr int kMapCommentCaption = 2045;
constexpr int kPrintFontsCaption = 2046;
constexpr int kPrintTabCaption = 2047;
constexpr int kRunCaption = 2048;
constexpr int kCurrentSizeCaption = 2049;
constexpr int kNewSizeCaption = 2050;
constexpr int kRescaleTabCaption = 2051;
constexpr int kExitConfirmCaption = 2052;
constexpr int kGeneralHelpCaption = 2053;
constexpr int kExitRedrawCaption = 2054;
constexpr int kCancelCaption = 2055;
constexpr int kBaseMapCaption = 2056;
constexpr int kMapTitle = 2057;
constexpr int kMoveLegendCaption = 2059;
constexpr int kExitWithSelectionCaption = 2060;
constexpr int kPrintSaveMenuCaption = 2061;
constexpr int kPrintMenuCaption = 2062;
constexpr int kSaveBitmapMenuCaption = 2063;
constexpr int kListMenuCaption = 2064;
constexpr int kRankingMenuCaption = 2065;
constexpr int kSaveBitmapCaption = 2067;
constexpr int kPrintMapTitle = 2068;
constexpr int kHorizontalScaleCaption = 2069;
constexpr int kVerticalScaleCaption = 2070;
constexpr int kContinueCaption = 2071;
constexpr int kPrintsTitle = 2072;
constexpr int kFontHeightCaption = 2073;
constexpr int kScreenCaption = 2074;
constexpr int kPrinterCaption = 2075;
constexpr int kCodesRowCaption = 2076;
constexpr int kValuesRowCaption = 2077;
constexpr int kTerritorialListTitle = 2078;
constexpr int kShownCategoriesTip = 2079;
constexpr int kActivateCaption = 2080;
constexpr int kDeactivateCaption = 2081;
constexpr int kSearchCaption = 2082;
constexpr int kTerritoryCaption = 2083;
constexpr int kVariableCaption = 2085;

}  // namespace qv

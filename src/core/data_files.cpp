#include "core/data_files.h"

#include <algorithm>
#include <iterator>

#include "core/core_state.h"
#include "platform/file_io.h"

namespace qv {

namespace {

using namespace data_file;

enum class Folder { Program, Archive, OtherArchive, Designer, Territory };

struct DataFile {
    int32_t id;
    Folder folder;
    const char* name;
};

// By id. kSigleSet is not here: its name is the text the other archive's directory holds.
constexpr DataFile kDataFiles[] = {
    {kSecondaryText, Folder::Program, "sig-xsig.dat"},
    {kCardText, Folder::Archive, "alf-sch.dat"},
    {kCardValues, Folder::Archive, "num-sch.dat"},
    {kRequiredFields, Folder::Archive, "cfs-sch.imp"},
    {kMissingFieldsReport, Folder::Archive, "cfs-cont.txt"},
    {kLastCard, Folder::Archive, "dli-sch.dat"},
    {kPreparedCount, Folder::Archive, "dli-dat.dat"},
    {kPreparedTerritory, Folder::Archive, "ter-dat.dat"},
    {kTranslation, Folder::Territory, "kel-trad.dat"},
    {kWorkingThresholds, Folder::Program, "tgl-glar.dat"},
    {kBaseThresholds, Folder::Program, "tg1-glar.dat"},
    {kWorkingOption, Folder::Program, "opz-glar.dat"},
    {kBaseOption, Folder::Program, "op1-glar.dat"},
    {kMapWindow, Folder::Program, "sel-glar.dat"},
    {kLayoutText, Folder::Archive, "inf-sch.dat"},
    {kDefinition, Folder::Archive, "imp-sch.dat"},
    {kDeclaration, Folder::Archive, "sig-sch.dat"},
    {kFieldName, Folder::Archive, "md2-sch.dat"},
    {kLabel, Folder::Archive, "mod-sch.dat"},
    {kLayoutPlacement, Folder::Archive, "dat-sch.dat"},
    {kLayoutItem, Folder::Archive, "trd-tres.dat"},
    {kStyle, Folder::Archive, "trc-tres.dat"},
    {kArchiveList, Folder::Program, "lst-kel.txt"},
    {kMouseSwitch, Folder::Program, "ok-mouse.dat"},
    {kJumpRule, Folder::Archive, "sal-sch.imp"},
    {kTerritorialLink, Folder::Archive, "lkt-sch.imp"},
    {kEditFolder, Folder::Program, "dir-edit.imp"},
    {kLinkedArchive, Folder::Archive, "lnk-sch.dat"},
    {kFactorLoadings, Folder::Archive, "fat-sch.dat"},
    {kFactorSettings, Folder::Archive, "saf-sch.imp"},
    {kReport, Folder::Program, "tabella.txt"},
    {kGrid, Folder::Archive, "grl-sch.txt"},
    {kCooccurrence, Folder::Archive, "brt-sch.dat"},
    {kCorrelation, Folder::Archive, "cor-sch.dat"},
    {kFactorLines, Folder::Archive, "maf-sch.dat"},
    {kFactorExtra, Folder::Archive, "fat-fatt.dat"},
    {kTypologyList, Folder::Archive, "tipi.txt"},
    {kQuantGrid, Folder::Archive, "grq-sch.txt"},
    {kProvinceStarts, Folder::Program, "ini-prov.imp"},
    {kComuneNames, Folder::Program, "cmn-zor2.dat"},
    {kAlphaIndex, Folder::Program, "di-alfac.dat"},
    {kSecondaryTextSource, Folder::Program, "sig-dat.imp"},
    {kLogo, Folder::Archive, "logo.bmp"},
    {kEntryBoxColour, Folder::Archive, "inf-colo.dat"},
    {kOtherCardText, Folder::OtherArchive, "alf-sch.dat"},
    {kOtherCardValues, Folder::OtherArchive, "num-sch.dat"},
    {kListStaging, Folder::Program, "tresca.txt"},
    {kSearchCriteria, Folder::Archive, "ric-sch.imp"},
    {kDialerPrefix, Folder::Program, "dialer.txt"},
    {kDialerStaging, Folder::Program, "dialer.imp"},
    {kQuickGrid, Folder::Archive, "grl-dat.txt"},
    {kAdditionalVariables, Folder::Archive, "agg-dat.txt"},
    {kHeadings, Folder::Archive, "tin-sch.txt"},
    {kQuickHeadings, Folder::Archive, "tin-dat.txt"},
    {kPassword, Folder::Program, "pxx-dat.imp"},
    {kMaxSimListStem, Folder::Archive, "ms-maxsm."},
    {kComment, Folder::Program, "commento.txt"},
    {kCategoryListSwitch, Folder::Archive, "ok-lista.dat"},
    {kLabelScratch, Folder::Archive, "tx2-sch.dat"},
    {kCountTable, Folder::Archive, "tab-sch.dat"},
    {kChiSquareTable, Folder::Program, "chi2.imp"},
    {kDesignerSource, Folder::Designer, "scheda.txt"},
    {kViewerStaging, Folder::Program, "txt-tab2.imp"},
    {kDesignerDeclaration, Folder::Designer, "sig-sch.dat"},
    {kDesignerLayoutText, Folder::Designer, "inf-sch.dat"},
    {kDesignerLayoutPlacement, Folder::Designer, "dat-sch.dat"},
    {kDesignerCardValues, Folder::Designer, "num-sch.dat"},
    {kDesignerCardText, Folder::Designer, "alf-sch.dat"},
    {kDesignerLastCard, Folder::Designer, "dli-sch.dat"},
    {kDesignerDescriptor, Folder::Designer, "morvidex.dat"},
    {kFactorStart, Folder::Designer, "lst-fatt.imp"},
    {kBitMatrix, Folder::Archive, "dat-dat.dat"},
    {kQuickCorrelation, Folder::Archive, "cor-dat.dat"},
    {kQuickFactorLoadings, Folder::Archive, "fat-dat.dat"},
    {kQuickFactorSettings, Folder::Archive, "saf-dat.dat"},
    {kQuickFactorMatrix, Folder::Archive, "maf-dat.dat"},
    {kQuantValues, Folder::Archive, "num-dat.dat"},
    {kQuickQuantGrid, Folder::Archive, "grq-dat.txt"},
    {kQuickTerritoryList, Folder::Archive, "grt-dat.txt"},
    {kQuickDateList, Folder::Archive, "grd-dat.txt"},
    {kLinkDefinitions, Folder::Archive, "lnk-dat.imp"},
    {kSnapshotLog, Folder::Program, "txt-tre2.imp"},
    {kLinkKeysStem, Folder::Archive, "lnk-dat."},
    {kLinkNamesStem, Folder::Archive, "ll-dat."},
    {kSnapshotMask, Folder::Archive, "trx-dat.dat"},
    {kWorkingMask, Folder::Archive, "mas-dat.txt"},
    {kNotes, Folder::Archive, "not-sch.dat"},
    {kListOutput, Folder::Program, "lista.txt"},
    {kDateValues, Folder::Archive, "ddd-dat.dat"},
    {kOtherLastCard, Folder::OtherArchive, "dli-sch.dat"},
    {kSavedConditions, Folder::Archive, "cnd-dat.dat"},
    {kColumnSets, Folder::Archive, "tab-dat.txt"},
    {kRowSets, Folder::Archive, "ri2-dat.txt"},
    {kMailSettings, Folder::Program, "email.txt"},
    {kSharedArchive, Folder::Archive, "inf-serv.imp"},
    {kProvinceRanges, Folder::Archive, "province.txt"},
    {kDefinitions, Folder::Archive, "indicato.txt"},
    {kEcho, Folder::Archive, "ind2.txt"},
    {kPermutation, Folder::Program, "controll.txt"},
    {kOrderScratch, Folder::Archive, "2-sch.dat"},
    {kQuantColumns, Folder::Archive, "qnc-sch.dat"},
    {kQuantSums, Folder::Archive, "qnt-sch.dat"},
    {kQuantCards, Folder::Archive, "qnq-sch.dat"},
    {kQuantSquares, Folder::Archive, "scr-sch.dat"},
    {kMergeCounter, Folder::Program, "mrg-sch.dat"},
    {kRowCard, Folder::Program, "dli-list.dat"},
    {kHeadingsScratch, Folder::Archive, "ti0-sch.dat"},
    {kMergeList, Folder::Archive, "ap1-sch.txt"},
    {kFieldOrder, Folder::Archive, "trc-dat.txt"},
    {kRecoding, Folder::Archive, "ricod.txt"},
    {kLabelOutput, Folder::Program, "etichett.txt"},
    {kMergedList, Folder::Archive, "mrg-list.txt"},
    {kUniverse, Folder::Archive, "universo.txt"},
    {kWeights, Folder::Archive, "pesi.txt"},
    {kImportName, Folder::Archive, "nin-sch.txt"},
    {kFieldOrderBackup, Folder::Archive, "asq-sch2.txt"},
    {kLegendColour, Folder::Territory, "leg-colo.dat"},
    {kArchiveBase, Folder::Archive, "archbase.txt"},
    {kUserList, Folder::Program, "mod-list.txt"},
    {kHelpNames, Folder::Archive, "lst-help.txt"},
    {kLinkedCategories, Folder::OtherArchive, "sig-sch.dat"},
    {kLinkedFirstLast, Folder::OtherArchive, "lif-sch.dat"},
    {kLinkedPositions, Folder::OtherArchive, "lpn-sch.dat"},
    {kLinkedLines, Folder::OtherArchive, "lsg-sch.dat"},
    {kMaxSimTable, Folder::Archive, "maxsimff.txt"},
    {kMaxSimVariables, Folder::Archive, "var-maxs.dat"},
    {kMaxSimMatrix, Folder::Archive, "mat-maxs.dat"},
    {kMaxSimSquares11, Folder::Archive, "sq1-max1.dat"},
    {kMaxSimSquares12, Folder::Archive, "sq1-max2.dat"},
    {kMaxSimSquares21, Folder::Archive, "sq2-max1.dat"},
    {kMaxSimSquares22, Folder::Archive, "sq2-max2.dat"},
    {kMaxSimScores1, Folder::Archive, "ms1-maxs.dat"},
    {kMaxSimScores2, Folder::Archive, "ms2-maxs.dat"},
    {kMaxSimScores3, Folder::Archive, "ms3-maxs.dat"},
    {kMaxSimScores4, Folder::Archive, "ms4-maxs.dat"},
    {kMaxSimReport, Folder::Archive, "maxsim.txt"},
    {kMaxSimReport1, Folder::Archive, "maxsim1.txt"},
    {kMaxSimReport2, Folder::Archive, "maxsim2.txt"},
    {kBorderVariable, Folder::Territory, "mod-zor.dat"},
    {kSigleList, Folder::Territory, "lst-sigl.txt"},
    {kUnitNames, Folder::Territory, "sig-zor2.txt"},
    {kProgramColour, Folder::Program, "sfo-glar.dat"},
    {kBaseSize, Folder::Program, "dm1-glar.dat"},
    {kFirstOutline, Folder::Territory, "1-zor.dat"},
    {kFirstOutline + 1, Folder::Territory, "2-zor.dat"},
    {kFirstOutline + 2, Folder::Territory, "3-zor.dat"},
    {kFirstOutline + 3, Folder::Territory, "4-zor.dat"},
    {kFirstOutline + 4, Folder::Territory, "5-zor.dat"},
    {kFirstOutline + 5, Folder::Territory, "6-zor.dat"},
    {kFirstOutline + 6, Folder::Territory, "7-zor.dat"},
    {kFirstOutline + 7, Folder::Territory, "8-zor.dat"},
    {kOutlineClass, Folder::Territory, "dov-zor.dat"},
    {kBox, Folder::Territory, "mmx-zor.dat"},
    {kPrintScale, Folder::Territory, "inf-stam.txt"},
    {kSortKey, Folder::Archive, "alf-supp.dat"},
    {kTerritorialOrder, Folder::Archive, "lor-sch.dat"},
    {kTerritorialSigleOrder, Folder::Archive, "lsg-sch.dat"},
    {kTerritorialOrder2, Folder::Archive, "lor-sch.dat"},
    {kTerritorialPositions, Folder::Archive, "lpn-sch.dat"},
    {kTerritorialFirstLast, Folder::Archive, "lif-sch.dat"},
    {kExportLayout, Folder::Archive, "rec-trac.txt"},
    {kExportData, Folder::Archive, "ascii.txt"},
    {kVariableList, Folder::Program, "var.txt"},
    {kCategoryList, Folder::Program, "modalita.txt"},
    {kTerritorialMatrix, Folder::Territory, "ter-zor.dat"},
    {kDeclarationBackup, Folder::Archive, "bak-sch.dat"},
    {kFontPosition, Folder::Program, "car-cart.dat"},
    {kCentroid, Folder::Program, "dli-poli.dat"},
    {kSearchNames, Folder::Program, "zor3.txt"},
    {kQuickFactorExtra, Folder::Archive, "saf-fatt.dat"},
    {kMapFontHeight, Folder::Territory, "car-tres.dat"},
    {kColumnSetStem, Folder::Archive, "tab-dat."},
    {kUpdateDate, Folder::Archive, "gma-dat.dat"},
    {kPreparedGrid, Folder::Archive, "grf-dat.dat"},
    {kMapCentroid, Folder::Territory, "dli-poli.dat"},
    {kMapNames, Folder::Territory, "cmn-zor2.dat"},
    {kStation, Folder::Archive, "num-serv.imp"},
    {kLastArchive, Folder::Program, "cartella.txt"},
    {kDescriptor, Folder::Archive, "morvidex.dat"},
    {kOtherLastCard2, Folder::OtherArchive, "dli-sch.dat"},
    {kMailText, Folder::Program, "emailtxt.txt"},
    {kMailSubject, Folder::Program, "emailogg.txt"},
    {kCardDefinition, Folder::Archive, "scheda.txt"},
};

constexpr bool SortedById() {
    for (size_t i = 1; i < std::size(kDataFiles); ++i)
        if (kDataFiles[i - 1].id >= kDataFiles[i].id) return false;
    return true;
}
static_assert(SortedById(), "the catalogue is looked up by halving");

const std::string& Dir(Folder folder) {
    switch (folder) {
        case Folder::Program:
            return CoreState.ProgramDir;
        case Folder::Archive:
            return CoreState.ArchiveDir;
        case Folder::OtherArchive:
            return CoreState.OtherArchiveDir;
        case Folder::Designer:
            return CoreState.DesignerDir;
        case Folder::Territory:
            break;
    }
    return MapState.TerritoryDir;
}

}  // namespace

std::string DataFilePath(int32_t id) {
    if (id == kSigleSet) return MapState.TerritoryDir + CoreState.OtherArchiveDir + ".txt";
    const auto* it = std::lower_bound(std::begin(kDataFiles), std::end(kDataFiles), id,
                                      [](const DataFile& f, int32_t key) { return f.id < key; });
    if (it == std::end(kDataFiles) || it->id != id) return {};
    return Dir(it->folder) + it->name;
}

int32_t FileFingerprint(int32_t id) {
    // FNV-1a: any edit of the file, even one that keeps its line count, changes it.
    uint32_t h = 2166136261u;
    for (unsigned char c : TryReadFile(DataFilePath(id)).value_or(std::string())) {
        h ^= c;
        h *= 16777619u;
    }
    return h == 0 ? 1 : int32_t(h);
}

}  // namespace qv

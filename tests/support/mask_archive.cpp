#include "support/mask_archive.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/card_notes.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "support/card_selection.h"
#include "support/field_layout.h"

namespace qv::test {

namespace {

void Text(int offset, int length, const std::string& text) {
    std::fill_n(&CurrentCardText[size_t(offset)], length, 0);
    std::memcpy(&CurrentCardText[size_t(offset)], text.data(), std::min<size_t>(text.size(), size_t(length)));
}

}  // namespace

MaskArchive::MaskArchive() {
    ResetProgramState();
    CoreState.ProgramDir = CoreState.ArchiveDir = dir_.Path();
    CoreState.LastCard = -1;
    TerritoryCount = 3;
    LayOutFields({{-10, 1, 1}, {0, 1}, {2, 2}, {3, 5}, {4, 6}, {5, 7}, {6, 8}, {7, 9}, {-5, 2, 11}});
    FieldFirstLabel[2] = 1;
    FieldLastLabel[2] = 3;
    WriteBytes(dir_ / "mod-sch.dat", LabelRecords({"(nessuna)", "celibe", "sposato", "vedovo"}));
    WriteBytes(dir_ / "cmn-zor2.dat", MunicipalityRecords({"ROMA", "MILANO", "ABANO TERME"}));
    WriteBytes(dir_ / "alf-sch.dat", "");
    WriteBytes(dir_ / "num-sch.dat", "");
    Blank();
}

MaskArchive::~MaskArchive() {
    ResetProgramState();
}

void MaskArchive::Blank() {
    CurrentCardText.fill(0);
    const std::vector<uint16_t> empty = EmptyCardValues(CurrentCardGeometry());
    std::copy(empty.begin(), empty.end(), CurrentCardValues.begin() + 1);
}

void MaskArchive::Name(const std::string& text) {
    Text(1, 10, text);
}
void MaskArchive::Short(const std::string& text) {
    Text(11, 5, text);
}
void MaskArchive::Category(int code) {
    CurrentCardValues[1] = uint16_t(code);
}
void MaskArchive::Date(int day, int month, int year) {
    CurrentCardValues[2] = uint16_t(day);
    CurrentCardValues[3] = uint16_t(month);
    CurrentCardValues[4] = uint16_t(year);
}
void MaskArchive::Comune(int code) {
    CurrentCardValues[5] = uint16_t(code);
}
void MaskArchive::Number(int16_t v) {
    CurrentCardValues[6] = uint16_t(v);
}
void MaskArchive::Time(int16_t v) {
    CurrentCardValues[7] = uint16_t(v);
}
void MaskArchive::Percentage(int16_t v) {
    CurrentCardValues[8] = uint16_t(v);
}
void MaskArchive::Number32(int32_t v) {
    PutCardNumber(v, 8);
}
void MaskArchive::Notes(const std::string& text) {
    SetNotesHead(WriteNotesChain(dir_ / "not-sch.dat", GetNotesHead(), text));
}

void MaskArchive::Store(int32_t card) {
    const CardFiles files = CardFiles::Current();
    files.WriteText(card, &CurrentCardText[1]);
    files.WriteValues(card, &CurrentCardValues[1]);
    CoreState.LastCard = std::max(CoreState.LastCard, card);
}

void MaskArchive::Select(int32_t card) {
    MarkSelected(card);
}

}  // namespace qv::test

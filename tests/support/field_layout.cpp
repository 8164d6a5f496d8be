#include "support/field_layout.h"

#include "core/core_state.h"
#include "support/records.h"

namespace qv::test {

void LayOutFields(std::initializer_list<FieldLayout> fields) {
    CoreState.CardTextBytes = 50;
    CoreState.CardWordCount = 50;
    CoreState.FieldCount = int(fields.size());
    size_t f = 1;
    for (const FieldLayout& field : fields) {
        FieldTypes[f] = int16_t(field.type);
        FieldPositions[f] = int16_t(field.position);
        FieldTextOffsets[f] = int16_t(field.textOffset);
        ++f;
    }
}

std::string LabelRecords(std::initializer_list<std::string> labels) {
    std::string out;
    for (std::string l : labels) {
        l.resize(61, '\0');
        out += l;
    }
    return out;
}

std::string MunicipalityRecords(std::initializer_list<std::string> names) {
    std::string out;
    for (const std::string& n : names) out += NameRecord(n);
    return out;
}

}  // namespace qv::test

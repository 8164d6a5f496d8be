#include "support/field_layout.h"

#include "core/core_state.h"

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

}  // namespace qv::test

#pragma once
#include <initializer_list>
#include <string>

namespace qv::test {

// How a test archive lays out one field: its type (negative: a text of that many bytes), its
// first word, and for a text its first byte in the card's text record.
struct FieldLayout {
    int type = 0;
    int position = 0;
    int textOffset = 0;
};

// Cards of 50 text bytes and 50 words holding fields 1, 2, ... as given.
void LayOutFields(std::initializer_list<FieldLayout> fields);

// The labels file: one 61-byte record a label, cut or filled with zeros.
std::string LabelRecords(std::initializer_list<std::string> labels);
// The municipality names file: one 38-byte record a name, its length byte first.
std::string MunicipalityRecords(std::initializer_list<std::string> names);

}  // namespace qv::test

#include "cardwindow/jump_rules.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/numbers.h"
#include "platform/text_file.h"

namespace qv {
namespace {

constexpr size_t kRuleLineWidth = 100;

// Cuts the line at the next `separator`: the part before it, the rest after it. Without the
// separator the whole rest is the part and nothing remains.
std::string_view NextPart(std::string_view& rest, char separator) {
    const size_t at = rest.find(separator);
    const std::string_view part = rest.substr(0, at);
    rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + 1);
    return part;
}

}  // namespace

void ApplyJumpRules() {
    TextReader in;
    if (!in.Open(DataFilePath(data_file::kJumpRule))) return;
    const int fieldCount = std::min(CoreState.FieldCount, kMaxFields);
    while (!in.Eof()) {
        const std::string line = in.ReadLine(kRuleLineWidth);
        std::string_view rest = line;
        if (line.find('=') == std::string::npos) continue;
        const int from = LeadingInteger(NextPart(rest, '='));
        if (from != CoreState.PreviousField) continue;
        int tested = LeadingInteger(NextPart(rest, '='));
        const int low = LeadingInteger(NextPart(rest, ','));
        const int high = LeadingInteger(NextPart(rest, '>'));
        const int target = LeadingInteger(rest);
        if (tested == 0) tested = from;
        const int value = GetCardWord(tested);
        if (value >= low && value <= high && target >= 1 && target <= fieldCount)
            CoreState.CurrentField = target;
    }
}

}  // namespace qv

#pragma once
#include <string>
#include <string_view>
#include <utility>

namespace qv::test {

// The visible text of HTML as the program writes it: tags removed, the three entities decoded.
inline std::string VisibleText(std::string_view html) {
    std::string text;
    bool inTag = false;
    for (char c : html) {
        if (c == '<') inTag = true;
        if (!inTag) text.push_back(c);
        if (c == '>') inTag = false;
    }
    for (auto [entity, ch] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}}) {
        for (size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1))
            text.replace(at, std::string_view(entity).size(), ch);
    }
    return text;
}

}  // namespace qv::test

#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/progress.h"

// Additional dichotomous variables of the quick elaborations: each is a rule of "agg-dat.txt"
// over the variables of the quick grid, computed into a further area of "dat-dat.dat" after the
// areas of the grid lines (rule r is variable G + r, G = lines of "grl-dat.txt").
//
// "agg-dat.txt" holds two lines per variable: a label line whose first character is dropped,
// and the rule. A rule names a variable by the group name and its number inside the group:
// - combination, "Sesso,-1;Stato,+2;Stato,#3;": from every card, "-" keeps the cards having the
//   variable (AND), "+" adds them (OR), "#" removes them (AND NOT), item by item;
// - at least K, "F(2):Mezzi,1;Mezzi,2;Mezzi,3;" (first character "F"): the cards having at
//   least K of the listed variables.
// Every item ends with ';'; text after the last ';' is ignored.

namespace qv {

// A whole number written alone in a rule or a condition: blanks around it allowed, no sign, at
// most nine digits; none otherwise.
std::optional<int> RuleNumber(std::string_view text);

constexpr int kGroupNameWidth = 10;

// The groups of the quick grid: a line's group name is its label up to the first blank, cut to
// ten characters; consecutive lines with one name make a group.
struct QuickGridGroups {
    // Per 0-based grid line.
    std::vector<std::string> Labels, Names;
    std::vector<int> NumberInGroup;  // 1-based
    int LineCount() const { return int(Labels.size()); }
    // The 0-based variable of item (name, number): the number-th line of the last run of lines
    // named `name`; nullopt for an unknown name or a number outside that run.
    std::optional<int> Find(const std::string& name, int number) const;
};
// Reads "grl-dat.txt" as the matrix build does; raises the input/output error when it does not
// open.
QuickGridGroups LoadQuickGridGroups();

struct AdditionalRule {
    std::string Label;  // without its first character
    std::string Rule;
    bool HasRule = false;  // a last label line may stand alone
};
// The pairs of "agg-dat.txt" (empty lines at its end are not a pair); nullopt when it does not
// open.
std::optional<std::vector<AdditionalRule>> ReadAdditionalRules();

struct RuleItem {
    std::string Name;
    char Operator = 0;  // '-', '+' or '#' in a combination; 0 in an at-least rule
    int Number = 0;
    std::string Text;  // the item as written, for the reports
};
struct ParsedRule {
    bool AtLeast = false;
    int MinimumCount = 0;    // K
    bool WellFormed = true;  // an at-least rule without "(K)" or ":" is not
    std::vector<RuleItem> Items;
};
ParsedRule ParseRule(const std::string& rule);

// A rule that could not be computed: its variable is left empty.
struct RuleFault {
    int Rule = 0;  // 0-based pair
    std::string Label;
    std::string Item;  // the item not found, or the whole rule when it has no item
};

// Computes every rule into "dat-dat.dat" over the prepared cards of "dli-dat.dat" (progress one
// step per rule) and drops areas of earlier rules past the last one. Nothing happens when
// "agg-dat.txt" does not open or holds no rule. A missing "grl-dat.txt", "dli-dat.dat" or
// "dat-dat.dat", or a matrix shorter than the grid's areas, raises the input/output error.
std::vector<RuleFault> BuildAdditionalVariables(Progress& progress);

// Reports rewritten whole into "tabella.txt" of the program directory:
// the quick grid's lines with group name and number;
void WriteGridVariableList();
// the rules in words;
void WriteRulesInWords();
// the category lines of a report (grid line in columns 18-21, blank column 10) as rule items,
// a new group at each line beginning with '-';
void WriteItemsFromReport(const std::string& reportPath);
// the rules that could not be computed.
void WriteRuleFaults(const std::vector<RuleFault>& faults);

}  // namespace qv

#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Selection through linked archives: every card of this archive carries the key of a card of a
// linked archive, prepared as the key file "lnk-dat.<N>" (one 16-bit key per card) with the
// name file "ll-dat.<N>" (line k describes the linked card of key k). The selection is narrowed
// to the cards pointing to one linked card; the selection and its log as they were when the
// work began are kept in "trx-dat.dat" and "txt-tre2.imp" and can be restored.

namespace qv {

// Keys 1..31999 name linked cards; any other value never matches.
constexpr int kMaxLinkKey = 31999;
// Entries of a key table: 0 unused, then the keys in list order.
constexpr int kLinkKeyTableSize = 32001;

// The names of the links, link N at index N - 1: the name (second line) of every block of
// "lnk-dat.imp" that the preparation turns into link files, in the order it numbers them, so
// that entry N always reads the files of digit N. nullopt when "lnk-dat.imp" does not open.
std::optional<std::vector<std::string>> ReadLinkNames();

// The linked cards that the selected cards of link N point to.
struct LinkedCards {
    // The keys met among the selected cards, ascending; Keys[i] belongs to Lines[i].
    std::vector<int16_t> Keys;
    // Line k of the name file for every key k met, in file order; a key beyond the name file
    // has no line.
    std::vector<std::string> Lines;
    // The selected cards among 0..CoreState.LastCard.
    int32_t SelectedCards = 0;
};
// Raises the input/output error when the key or the name file of link N does not open.
LinkedCards CollectLinkedCards(int link);

// Keeps selected only the cards whose key in link N is `key`, and appends `entry` to the
// selection log. Raises the input/output error, changing nothing, when the key file or the log
// does not open.
void SelectByLinkedCard(int link, int key, const std::string& entry);

// The selection and its log as they are now (a missing log is kept as an empty one).
void SaveSelectionSnapshot();
// Puts back the selection and the log of the last snapshot; raises the input/output error,
// changing nothing, when a snapshot file does not open or is short.
void RestoreSelectionSnapshot();

}  // namespace qv

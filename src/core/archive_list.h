#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The list of archives "lst-kel.txt" of the program directory (a name in columns 1-14, the
// archive directory from column 15) and the change of the current archive.

namespace qv {

constexpr size_t kArchiveNameColumns = 14;
// Lines of the list are read whole: a directory is never cut.
constexpr size_t kArchiveListLineWidth = 4096;

// The lines of "lst-kel.txt"; nullopt when it does not open.
std::optional<std::vector<std::string>> ReadArchiveList();
// The name shown for a line (columns 1-14 as written) and its directory (from column 15,
// turned into a directory of this machine; empty when the line is shorter).
std::string ArchiveListName(std::string_view line);
std::string ArchiveListDir(std::string_view line);

// Writes the names of the list into "tresca.txt", one a line, and answers them; nullopt (and
// nothing written) when the list does not open.
std::optional<std::vector<std::string>> FillArchiveList();

// Whether a directory holds an archive: its descriptor "morvidex.dat" (a card definition alone
// is no archive, and opening it would fall back to the sample archive).
bool ArchiveFolderHasDescriptor(const std::string& dir);

// Makes `dir` the current archive: the current one's settings are saved, the new one is opened
// and a blank new card is put in hand. Settings that cannot be saved are reported and the switch
// goes on; when the new archive cannot be opened the previous one is opened again and the
// input/output error raised.
void SwitchToArchive(const std::string& dir);

// The choice of entry `index` (0-based) of the list: nothing happens for the current archive or
// a line without a directory; a directory without an archive is Missing and nothing is saved
// or closed. A list that cannot be read raises the input/output error.
enum class ArchiveChoice { Unchanged, Changed, Missing };
ArchiveChoice ChooseArchive(int index);

}  // namespace qv

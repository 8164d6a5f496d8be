#pragma once
#include <optional>
#include <string>
#include <vector>

// The files of the archive designer around the compile run: its working folder, the card
// definition "scheda.txt" edited on screen, and the list of archives.

namespace qv {

// The editor takes a source of fewer bytes than this.
constexpr int kEditorSourceLimit = 30000;

// The working folder typed in the designer as a directory of this machine; an empty text names
// the root, as the stored folder file does.
std::string DesignerFolderFromText(const std::string& typed);

// CoreState.DesignerDir := the first line of "dir-edit.imp"; a missing file leaves it unchanged.
void LoadEditFolder();

// Creates the folder named by "dir-edit.imp" (raises the input/output error when that cannot be
// read) with a new "scheda.txt" holding the folder as its title line. Answers false, writing
// nothing, when the folder exists already or cannot be created.
bool CreateDesignFolder();

enum class SourceStage {
    Loaded,    // the staging file "txt-tab2.imp" holds the source
    Missing,   // "scheda.txt" is not there (one that fails to open raises)
    TooLarge,  // kEditorSourceLimit bytes or more: "tabella.txt" holds the explanation
};
// Stages the working folder's "scheda.txt" for the editor.
SourceStage StageSourceForEditor();

// Rewrites the working folder's "scheda.txt", or the list of archives, with lines ended by CR LF.
void SaveSourceLines(const std::vector<std::string>& lines);
void SaveArchiveListLines(const std::vector<std::string>& lines);

// A page dimension typed in the designer: a whole number from 1 to kMaxPageDimension, or nothing.
constexpr int kMaxPageDimension = 32767;
std::optional<int> PageDimensionFromText(const std::string& typed);

}  // namespace qv

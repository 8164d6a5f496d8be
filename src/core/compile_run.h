#pragma once
#include <string>

// The compile run of the archive designer: compiles the card definition of a working folder,
// creates the archive's empty card files and descriptor when asked, and rebuilds the definition
// of the designed archive and of the current one.

namespace qv {

// What the run asks of the screen that drives it.
class CompileRunHost {
  public:
    enum class StatusBox { Create, Compile, Erase };  // Status1, Status2b, Status3

    virtual ~CompileRunHost() = default;
    // The folder's archive holds CoreState.ExistingCardCount cards: erase them? (TCreaFile)
    virtual bool ConfirmEraseCards() = 0;
    // The answer to erase them, as the run leaves it in CoreState.CommandCode (0 to keep them).
    static constexpr int kEraseAnswer = 333;
    // The error list "tabella.txt" in the text viewer (ViewerFile::CompileErrors, which the run
    // leaves in CoreState.CommandCode).
    virtual void ShowErrorList() = 0;
    // A status box shows text `textNumber` of the text table, or nothing when it is 0.
    virtual void ShowStatus(StatusBox box, int textNumber) = 0;
};

struct CompileRunResult {
    bool ran = false;     // false without the write password: nothing was compiled
    bool errors = false;  // the error list holds lines
    std::string folder;   // the working folder as stored, to show back in the folder box
};

// The working folder as the designer stores it: CoreState.DesignerDir and "dir-edit.imp".
void SaveEditFolder(const std::string& folder);

// Runs the compile of the folder typed in the designer; `create` erases (after asking) the
// cards of an archive already there and writes new empty card files and descriptor.
CompileRunResult RunCompile(const std::string& folderText, bool create, CompileRunHost& host);
// Whether a design may be written into CoreState.DesignerDir: with the write password, and never
// into the open archive while it is read-only.
bool DesignFolderWritable();

// Builds the definition files of the designed archive in its folder, then reopens the current
// archive with its settings saved first. With no archive open, the designed one stays open.
void RebuildDesignedArchive();

}  // namespace qv

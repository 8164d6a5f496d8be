#include "core/compile_run.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>

#include "core/archive_definition.h"
#include "core/archive_open.h"
#include "core/card_store.h"
#include "core/commits.h"
#include "core/compiler_fields.h"
#include "core/compiler_layout.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_viewer.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr int kCardsErasedText = 468;

// The folder's last-card index, or nothing when the file does not open.
std::optional<int32_t> FolderLastCard() {
    const std::optional<std::string> bytes = TryReadFile(DataFilePath(data_file::kDesignerLastCard));
    if (!bytes || bytes->size() < 4) return std::nullopt;
    return GetI32(Bytes(*bytes));
}

// A compile over an archive that keeps its cards must fit the card geometry it already has.
void CheckExistingGeometry(CompileRun& run) {
    const std::optional<DescriptorValues> descriptor =
        ReadDescriptor(DataFilePath(data_file::kDesignerDescriptor));
    if (!descriptor) return;
    const int cardWords = descriptor->cardWords, cardTextBytes = descriptor->cardTextBytes;
    if (run.numericTotal + kNotesHeadWords > cardWords) {
        run.Error(run.linesRead,
                  ", campi numerici oltre la scheda dell'archivio: " + std::to_string(run.numericTotal) +
                      " posizioni (massimo " + std::to_string(cardWords - kNotesHeadWords) + ")");
        run.cardOverflow = true;
    }
    if (run.textTotal > cardTextBytes) {
        run.Error(run.linesRead,
                  ", campi di testo oltre la scheda dell'archivio: " + std::to_string(run.textTotal) +
                      " caratteri (massimo " + std::to_string(cardTextBytes) + ")");
        run.cardOverflow = true;
    }
}

void BuildAndOpen() {
    ConvertInfoFile();
    BuildArchiveDefinition();
    OpenArchive();
}

}  // namespace

void SaveEditFolder(const std::string& folder) {
    // A folder typed empty names the root, as a lone separator always did.
    CoreState.DesignerDir = NormalizeDir(folder.empty() ? std::string("\\") : folder);
    TextBuilder out;
    out.Line(StoredText(CoreState.DesignerDir));
    out.Save(DataFilePath(data_file::kEditFolder));
}

void RebuildDesignedArchive() {
    const std::string current = CoreState.ArchiveDir;
    const std::string designer = CoreState.DesignerDir;
    // Reopening reads the current archive's settings from its files: store them first, or the
    // selection, marks and lists of this session would be lost.
    if (!current.empty()) SaveArchiveSettings();
    try {
        CoreState.ArchiveDir = designer;
        BuildAndOpen();
        // With no archive open (a tool building an archive) the designed one stays open.
        if (!current.empty()) {
            CoreState.ArchiveDir = current;
            BuildAndOpen();
        }
    } catch (...) {
        // A failed file must not leave the designer's folder standing in for the current archive.
        CoreState.ArchiveDir = current;
        CoreState.DesignerDir = designer;
        throw;
    }
    CoreState.DesignerDir = designer;
}

bool DesignFolderWritable() {
    return CoreState.WriteAccess && (ArchiveWritable() || CoreState.DesignerDir != CoreState.ArchiveDir);
}

CompileRunResult RunCompile(const std::string& folderText, bool create, CompileRunHost& host) {
    CompileRunResult result;
    host.ShowStatus(CompileRunHost::StatusBox::Create, 0);
    host.ShowStatus(CompileRunHost::StatusBox::Compile, 0);
    host.ShowStatus(CompileRunHost::StatusBox::Erase, 0);
    SaveEditFolder(folderText);
    result.folder = CoreState.DesignerDir;

    if (!CoreState.ArchiveDir.empty()) {
        CoreState.CurrentCard = 0;
        ReadCardText();
        ReadCardValues();
    }
    if (!DesignFolderWritable()) return result;
    result.ran = true;

    CompileRun run;
    CompileFieldDeclarations(run);
    CompileCardLayout(run);

    bool keepsCards = !create;
    if (create && !run.cardOverflow) {
        const std::optional<int32_t> last = FolderLastCard();
        const bool hasCards = last && *last >= 0;
        if (hasCards) CoreState.ExistingCardCount = int(std::min<int64_t>(int64_t(*last) + 1, INT32_MAX));
        // An archive without cards is replaced without asking; the decision stays in CommandCode.
        const bool erase = !hasCards || host.ConfirmEraseCards();
        CoreState.CommandCode = erase ? CompileRunHost::kEraseAnswer : 0;
        if (erase) {
            CreateEmptyCardFiles();
            WriteArchiveDescriptor(ReservedPositions(run.numericTotal, kCardWordLimit),
                                   ReservedPositions(run.textTotal, kCardTextLimit));
            host.ShowStatus(CompileRunHost::StatusBox::Erase, kCardsErasedText);
        } else {
            keepsCards = true;
        }
    }
    if (keepsCards && !run.cardOverflow) CheckExistingGeometry(run);

    run.errorList.Save(DataFilePath(data_file::kReport));
    // The definition is rebuilt also after other errors, but never one the card cannot hold.
    if (!run.cardOverflow) RebuildDesignedArchive();

    result.errors = run.errorFlag;
    if (run.errorFlag) {
        CoreState.CommandCode = int(ViewerFile::CompileErrors);
        host.ShowErrorList();
    } else {
        WriteFactorList();
    }
    return result;
}

}  // namespace qv

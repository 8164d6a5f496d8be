#include "support/program_dir.h"

#include <filesystem>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/bytes.h"
#include "platform/paths.h"

namespace qv::test {

std::string ShippedProgramDir() {
    return std::string(QV_SOURCE_DIR) + "/data/progdir/";
}
std::string BuiltSampleArchiveDir() {
    return std::string(QV_BINARY_DIR) + "/progdir/Pianalto/";
}

void CopyTree(const std::string& from, const std::string& to) {
    std::filesystem::copy(
        from, to,
        std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
}

std::string NumberedTexts(int count, const std::map<int, std::string>& own) {
    std::string sigle;
    for (int n = 1; n <= count; ++n) {
        const auto line = own.find(n);
        sigle += (line != own.end() ? line->second : "Testo " + std::to_string(n)) + "\r\n";
    }
    return sigle;
}

void InstallShippedTexts() {
    std::filesystem::copy_file(ShippedProgramDir() + "sigle.imp", CoreState.ProgramDir + "sigle.imp");
    BuildTextFile();
}

void InstallNumberedTexts(int count, const std::map<int, std::string>& own) {
    WriteBytes(CoreState.ProgramDir + "sigle.imp", NumberedTexts(count, own));
    BuildTextFile();
}

void WritePreparedCards(int lastCard, std::span<const char* const> heads) {
    std::string last;
    AppendI32(last, lastCard);
    // The archive the files were prepared from, unless the test has its own: as prepared.
    if (!FileExists(CoreState.ArchiveDir + "dli-sch.dat"))
        WriteBytes(CoreState.ArchiveDir + "dli-sch.dat", last);
    WriteBytes(CoreState.ArchiveDir + "dli-dat.dat", last);
    std::string matrix;
    for (const char* head : heads) {
        std::string area = Hex(head);
        area.resize(1000, '\0');
        matrix += area;
    }
    WriteBytes(CoreState.ArchiveDir + "dat-dat.dat", matrix);
}

ProgramRoot::ProgramRoot(bool shipped, int texts, const std::string& rootName)
    : root_(rootName.empty() ? dir_.Path() : dir_.MakeDir(rootName)) {
    std::filesystem::create_directory(ProgramDir());
    CopyTree(BuiltSampleArchiveDir(), ProgramDir() + "Pianalto");
    CopyTree(ShippedProgramDir() + "help", ProgramDir() + "help");
    for (const char* f : {"cmn-zor2.dat", "di-alfac.dat", "ini-prov.imp", "chi2.imp"})
        std::filesystem::copy_file(ShippedProgramDir() + f, ProgramDir() + f);
    if (shipped) {
        for (const char* f : {"sigle.imp", "sig-dat.imp"})
            std::filesystem::copy_file(ShippedProgramDir() + f, ProgramDir() + f);
    } else {
        WriteBytes(ProgramDir() + "sigle.imp", NumberedTexts(texts));
        WriteBytes(ProgramDir() + "sig-dat.imp", "");
    }
    SetRootDir(root_);
}

ProgramRoot::~ProgramRoot() {
    SetRootDir("/");
}

}  // namespace qv::test

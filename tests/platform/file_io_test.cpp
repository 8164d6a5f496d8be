#include "platform/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/assertion.h"
#include "platform/cp1252.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/short_string.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

TEST(Cp1252, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(char(b));
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
    // The five unassigned bytes map to themselves as C1 controls.
    for (int b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) EXPECT_EQ(Cp1252ToUnicode(uint8_t(b)), char32_t(b));
    EXPECT_EQ(Cp1252ToUnicode(0x80), U'\u20AC');
    EXPECT_EQ(Cp1252ToUtf8("\xE8"), "\xC3\xA8");  // e grave
    EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC"), "\x80");
    EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?");  // no byte for it
    EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");        // cut sequence
    EXPECT_EQ(Utf8ToCp1252Exact("citt\xC3\xA0 \xE2\x82\xAC"), "citt\xE0 \x80");
    EXPECT_EQ(Utf8ToCp1252Exact("\xE4\xB8\xAD"), std::nullopt);
    EXPECT_EQ(Utf8ToCp1252Exact("a\xC3"), std::nullopt);
}

TEST(ShortString, LengthByteAndZeroPadding) {
    EXPECT_EQ(EncodeShortString("abc", 5), std::string("\x03"
                                                       "abc\0\0",
                                                       6));
    EXPECT_EQ(EncodeShortString("abcdefgh", 5), std::string("\x05"
                                                            "abcde",
                                                            6));
    const std::string damaged(
        "\xFF"
        "ab",
        3);  // length beyond the field
    EXPECT_EQ(DecodeShortString(reinterpret_cast<const uint8_t*>(damaged.data()), 2), "ab");
    const std::string padded("ab\0cd", 5);
    EXPECT_EQ(DecodeZeroPadded(reinterpret_cast<const uint8_t*>(padded.data()), 5), "ab");
    EXPECT_EQ(DecodeZeroPadded(reinterpret_cast<const uint8_t*>("abcde"), 3), "abc");
}

TEST(Paths, CaseInsensitiveOpenAndCreate) {
    TempDir dir;
    WriteBytes(dir / "Imposta.000", "x");
    dir.MakeDir("Pianalto");
    WriteBytes(dir / "Pianalto/ALF-SCH.DAT", "y");
    // Reading finds the file whatever the case of the name asked for.
    EXPECT_EQ(ResolveExisting(dir / "imposta.000"), dir / "Imposta.000");
    EXPECT_EQ(ResolveExisting(dir / "pianalto/alf-sch.dat"), dir / "Pianalto/ALF-SCH.DAT");
    EXPECT_EQ(TryReadFile(dir / "IMPOSTA.000").value_or(""), "x");
    // Creating reuses an existing spelling, otherwise takes the one given.
    WriteFileAtomic(dir / "imposta.000", "new");
    EXPECT_EQ(ReadBytes(dir / "Imposta.000"), "new");
    EXPECT_FALSE(FileExists(dir.Path() + "imposta.000.tmp"));
    // Where a wrong "absent" would cost data, a path that cannot be looked at is an error.
    EXPECT_TRUE(FileIsThere(dir / "IMPOSTA.000"));
    EXPECT_FALSE(FileIsThere(dir / "imposta.001"));
    EXPECT_FALSE(FileIsThere(dir / "Imposta.000/x"));  // a file is no directory: nothing there
    ASSERT_EQ(::symlink("anello", (dir / "anello").c_str()), 0);
    EXPECT_FALSE(FileExists(dir / "anello"));
    EXPECT_THROW(FileIsThere(dir / "anello"), IoError);
    WriteFileAtomic(dir / "nuovo.dat", "n");
    EXPECT_EQ(ReadBytes(dir / "nuovo.dat"), "n");
    RecordFile f(dir / "pianalto/alf-sch.dat", 1, RecordFile::Mode::Create);
    f.Append("z");
    EXPECT_EQ(ReadBytes(dir / "Pianalto/ALF-SCH.DAT"), "z");
    // Accented letters fold too: a Windows station's "CITTÀ\" is this machine's "Città/".
    dir.MakeDir("Citt\xC3\xA0");
    WriteBytes(dir / "Citt\xC3\xA0/\xC5\x92uvre.txt", "w");
    SetRootDir(dir.Path());
    EXPECT_EQ(ResolveExisting(StoredPath("C:\\CITT\xC0\\\x9Cuvre.TXT")),
              dir / "Citt\xC3\xA0/\xC5\x92uvre.txt");
    // An accented letter is not its plain one.
    EXPECT_EQ(ResolveExisting(dir / "citta/\xC5\x92uvre.txt"), dir / "citta/\xC5\x92uvre.txt");
    SetRootDir("/");
}

TEST(Paths, StoredDirectoriesFromWindowsStations) {
    SetRootDir("/tmp/qvroot");
    EXPECT_EQ(NormalizeDir("C:\\quorvanta.tv\\Pianalto\\"), "/tmp/qvroot/quorvanta.tv/Pianalto/");
    EXPECT_EQ(NormalizeDir("d:\\archivi\\uno"), "/tmp/qvroot/archivi/uno/");
    EXPECT_EQ(NormalizeDir("\\quorvanta.tv\\"), "/tmp/qvroot/quorvanta.tv/");
    EXPECT_EQ(NormalizeDir("/tmp/qvroot/a"), "/tmp/qvroot/a/");
    EXPECT_EQ(NormalizeDir(""), "");
    EXPECT_EQ(NormalizeDir("\\"), "/tmp/qvroot/");  // the root of the drive alone
    // No directory is ever cut, however long.
    std::string deep = "C:\\" + std::string(300, 'd') + "\\";
    EXPECT_EQ(NormalizeDir(deep).size(), std::string("/tmp/qvroot/").size() + 301);
    // Stored in a Windows-1252 file, a path is converted both ways; one that cannot be held
    // there is refused, never written with '?'.
    EXPECT_EQ(StoredDir("C:\\Attivit\xE0 2026"), "/tmp/qvroot/Attivit\xC3\xA0 2026/");
    EXPECT_EQ(StoredText("/tmp/qvroot/Attivit\xC3\xA0 2026/"), "/tmp/qvroot/Attivit\xE0 2026/");
    EXPECT_TRUE(PathStorable("/tmp/citt\xC3\xA0/"));
    EXPECT_FALSE(PathStorable("/tmp/\xE4\xB8\xAD/"));
    try {
        StoredText("/tmp/\xE4\xB8\xAD/");
        ADD_FAILURE() << "stored";
    } catch (const IoError& e) {
        EXPECT_EQ(e.Code(), kInvalidFileName);
    }
    EXPECT_EQ(DisplayPath("/tmp/citt\xC3\xA0/"), "/tmp/citt\xE0/");
    SetRootDir("/");
}

void CrashBeforeRename(const std::string&) {
    throw std::runtime_error("power cut");
}

TEST(AtomicWrite, InterruptedWriteLeavesTheOldFileWhole) {
    TempDir dir;
    WriteBytes(dir / "cartella.txt", "old contents\r\n");
    SetAtomicWriteHookForTest(&CrashBeforeRename);
    EXPECT_THROW(WriteFileAtomic(dir / "cartella.txt", "new"), std::runtime_error);
    SetAtomicWriteHookForTest(nullptr);
    EXPECT_EQ(ReadBytes(dir / "cartella.txt"), "old contents\r\n");
    // No temporary file is left behind.
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.Path())) entries += e.is_regular_file();
    EXPECT_EQ(entries, 1);
}

TEST(AtomicWrite, UnwritableDirectoryRaisesTheIoError) {
    try {
        WriteFileAtomic("/nonexistent-dir-qv/file.dat", "x");
        FAIL() << "no error";
    } catch (const IoError& e) {
        EXPECT_EQ(e.Code(), kFileNotFound);
        EXPECT_EQ(e.Path(), "/nonexistent-dir-qv/file.dat");
    }
}

TEST(RecordFile, ReadsAndWritesRecordsByNumber) {
    TempDir dir;
    RecordFile f(dir / "r.dat", 4, RecordFile::Mode::Create);
    f.Write(0, "aaaa");
    f.Write(2, "cccc");  // a gap is filled with zeros
    EXPECT_EQ(f.RecordCount(), 3);
    char buf[8];
    f.Read(1, buf);
    EXPECT_EQ(std::string(buf, 4), std::string(4, '\0'));
    EXPECT_THROW(f.Read(3, buf), IoError);
    EXPECT_EQ(f.ReadUpTo(2, buf, 2), 1);
    f.Close();
    EXPECT_THROW(RecordFile(dir / "missing.dat", 4, RecordFile::Mode::Read), IoError);
    RecordFile g;
    EXPECT_FALSE(g.TryOpen(dir.Path(), 4, RecordFile::Mode::Read));  // a directory is no file
}

TEST(RecordFile, OpenOrCreateMakesOnlyWhatIsMissing) {
    TempDir dir;
    WriteBytes(dir / "Not-Sch.dat", "old notes");
    struct Case {
        const char* name;
        std::string path;
        int failOpen;  // the nth open failing with EIO, 0 none
        bool opens;
        std::string after;  // the file's bytes afterwards
    } cases[] = {
        {"existing file kept, found ignoring case", dir / "not-sch.dat", 0, true, "old notes"},
        {"missing file made empty", dir / "dli-sch.dat", 0, true, ""},
        // A share failing for a moment must not cost the file its contents.
        {"existing file whose open fails", dir / "not-sch.dat", 1, false, "old notes"},
        {"missing file whose creation fails", dir / "num-sch.dat", 2, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.failOpen) FailIoCallForTest(IoCall::Open, c.failOpen, EIO);
        RecordFile f;
        EXPECT_EQ(f.TryOpen(c.path, 1, RecordFile::Mode::OpenOrCreate), c.opens);
        ResetIoFaultsForTest();
        f.Close();
        EXPECT_EQ(TryReadFile(c.path).value_or(""), c.after);
    }
    EXPECT_FALSE(FileExists(dir / "num-sch.dat"));
}

TEST(RecordFile, FailedSyncsAreReported) {
    TempDir dir;
    WriteBytes(dir / "impost.000", "old");
    struct Case {
        const char* name;
        IoCall call;
        int nth;
        int error;
    } cases[] = {
        {"file sync", IoCall::Sync, 1, EIO},
        {"file sync, disk full", IoCall::Sync, 1, ENOSPC},
        {"directory sync", IoCall::Sync, 2, EIO},
        {"rename", IoCall::Rename, 1, EIO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FailIoCallForTest(c.call, c.nth, c.error);
        EXPECT_THROW(WriteFileAtomic(dir / "impost.000", "new"), IoError);
        ResetIoFaultsForTest();
        // Only a failed directory sync comes after the rename.
        EXPECT_EQ(ReadBytes(dir / "impost.000"), c.nth == 2 ? "new" : "old");
        WriteBytes(dir / "impost.000", "old");
    }
    RecordFile f(dir / "r.dat", 1, RecordFile::Mode::Create);
    f.Append("x");
    FailIoCallForTest(IoCall::Sync, 1, EIO);
    EXPECT_THROW(f.Sync(), IoError);
    ResetIoFaultsForTest();
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.Path())) entries += e.is_regular_file();
    EXPECT_EQ(entries, 2);
}

TEST(WholeFileRead, AFailedReadIsAnErrorAndAShortOneIsReadOn) {
    TempDir dir;
    const std::string file = dir / "ricod.txt";
    const std::string bytes(100000, 'r');
    WriteBytes(file, bytes);
    const std::function<std::string()> readers[] = {
        [&] { return TryReadFile(file).value(); },
        [&] { return TryReadFile(file).value(); },
        [&] { return ReadFileOrThrow(file); },
        [&] {
            std::string out(bytes.size(), '\0');
            RecordFile(file, 1, RecordFile::Mode::Read).Read(0, out.data(), int64_t(out.size()));
            return out;
        },
    };
    struct Case {
        int error;
        bool fails;
    } cases[] = {{EIO, true}, {kShortIoForTest, false}, {EINTR, false}};
    for (size_t r = 0; r < std::size(readers); ++r) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(r) + " " + std::to_string(c.error));
            FailIoCallForTest(IoCall::Read, 1, c.error);
            std::string got;
            bool failed = false;
            try {
                got = readers[r]();
            } catch (const IoError& e) {
                failed = true;
                EXPECT_EQ(e.Code(), kReadPastEnd);
            }
            ResetIoFaultsForTest();
            EXPECT_EQ(failed, c.fails);
            if (!c.fails) {
                EXPECT_EQ(got, bytes);
            }
        }
    }
    // Only a missing file is absent; a directory under the name is no file either.
    EXPECT_FALSE(TryReadFile(dir / "none.txt"));
    EXPECT_FALSE(TryReadFile(dir.MakeDir("sub")));
    FailIoCallForTest(IoCall::Open, 1, EIO);
    EXPECT_THROW(TryReadFile(file), IoError);
    ResetIoFaultsForTest();
}

TEST(WholeFileRead, AFileLargerThanItsKindIsRefusedUnread) {
    TempDir dir;
    const std::string file = dir / "imposta.000";
    WriteBytes(file, "");
    // Sparse: nothing of it is ever allocated or read.
    std::filesystem::resize_file(file, uintmax_t(64) << 30);
    ResetIoFaultsForTest();
    for (const auto& read : {std::function<void()>([&] { TryReadFile(file); }),
                             std::function<void()>([&] { ReadFileOrThrow(file, 1000); })}) {
        try {
            read();
            ADD_FAILURE() << "read";
        } catch (const IoError& e) {
            EXPECT_EQ(e.Code(), kHeapOverflow);
        }
    }
    EXPECT_EQ(IoCallCountForTest(IoCall::Read), 0);
    EXPECT_EQ(TryReadFilePrefix(file, 240).value(), std::string(240, '\0'));
    WriteBytes(file, "abc");
    EXPECT_EQ(TryReadFilePrefix(file, 240).value(), "abc");
    EXPECT_EQ(ReadFileOrThrow(file, 3), "abc");
}

TEST(FilesReplacedOrPutBack, AFailedLinkKeepsTheOldFileByACopy) {
    TempDir dir;
    // The first file's old bytes cannot be kept by a second link: a copy keeps them, and puts
    // them back when the second rename fails.
    for (const bool commitFails : {false, true}) {
        SCOPED_TRACE(commitFails);
        WriteBytes(dir / "a.dat", "vecchio a");
        WriteBytes(dir / "b.dat", "vecchio b");
        FilesReplacedOrPutBack files;
        files.Stage(dir / "a.dat", "nuovo a");
        files.Stage(dir / "b.dat", "nuovo b");
        FailIoCallForTest(IoCall::Link, 1, EIO);
        if (commitFails) FailIoCallForTest(IoCall::Rename, 2, EIO);
        if (commitFails)
            EXPECT_THROW(files.Commit(), IoError);
        else
            files.Commit();
        ResetIoFaultsForTest();
        EXPECT_EQ(ReadBytes(dir / "a.dat"), commitFails ? "vecchio a" : "nuovo a");
        EXPECT_EQ(ReadBytes(dir / "b.dat"), commitFails ? "vecchio b" : "nuovo b");
        int entries = 0;
        for (auto& e : std::filesystem::directory_iterator(dir.Path())) entries += e.is_regular_file();
        EXPECT_EQ(entries, 2);
    }
}

TEST(AtomicWrite, StaleTemporaryFilesOfThisStationAndHostAreRemoved) {
    TempDir dir;
    // A process id that is surely gone: a child that has ended and been waited for.
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string dead = std::to_string(gone), alive = std::to_string(::getpid());
    const std::string here = "_" + TempFileHost() + "_";
    struct Case {
        std::string name;
        bool removed;
    } cases[] = {
        {"alf-sch.dat.tmp007" + here + dead + "-12", true},
        {"Condizio.007.tmp007" + here + dead + "-9", true},
        {"alf-sch.dat.tmp007" + here + alive + "-3", false},  // still being written
        {"alf-sch.dat.tmp008" + here + dead + "-4", false},   // another station's
        // Another machine under the same station number: its process ids mean nothing here.
        {"alf-sch.dat.tmp007_altro" + TempFileHost() + "_" + dead + "-6", false},
        {"alf-sch.dat.tmp007_" + dead + "-5", false},  // no host in the name
        {"alf-sch.dat", false},
    };
    for (const Case& c : cases) WriteBytes(dir / c.name, "x");
    SetTempFileStation("007");
    EXPECT_EQ(TempPathBeside(dir / "alf-sch.dat").rfind(dir / "alf-sch.dat.tmp007" + here, 0), 0u);
    EXPECT_EQ(RemoveStaleTempFiles(dir.Path()), 2);
    SetTempFileStation("");
    for (const Case& c : cases) EXPECT_EQ(FileExists(dir / c.name), !c.removed) << c.name;
}

// A failed job's temporaries stay until the next opening: a fresh name never names one of them
// (here one name in two hundred is taken), which a job would otherwise rename or restore as its
// own.
TEST(AtomicWrite, AFreshTemporaryNameNamesNoFileAlreadyThere) {
    TempDir dir;
    SetTempFileStation("007");
    const std::string stem =
        dir / ("alf-sch.dat.tmp007_" + TempFileHost() + "_" + std::to_string(::getpid()) + "-");
    for (int n = 0; n < 100000; n += 200) std::ofstream(stem + std::to_string(n)) << 'x';
    for (int k = 0; k < 4000; ++k) {
        const std::string temp = TempPathBeside(dir / "alf-sch.dat");
        ASSERT_EQ(temp.rfind(stem, 0), 0u);
        ASSERT_FALSE(std::filesystem::exists(temp)) << temp;
    }
    SetTempFileStation("");
}

// A broken invariant stops a checking build with the place and the condition; a release build
// does not even evaluate the condition.
TEST(Assertion, StopsACheckingBuildAndCostsNothingInARelease) {
    int evaluated = 0;
    QV_ASSERT(++evaluated == 1);
#if QV_ASSERTIONS_ACTIVE
    EXPECT_EQ(evaluated, 1);
    EXPECT_DEATH(QV_ASSERT(evaluated == 2), "file_io_test.cpp:[0-9]+: assertion failed: evaluated == 2");
#else
    EXPECT_EQ(evaluated, 0);
    QV_ASSERT(evaluated == 2);
#endif
}

}  // namespace
}  // namespace qv

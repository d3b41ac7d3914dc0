// The parts of Tivrap's Win32 layer on their own: each job's scratch files,
// the translation file and where it is looked for, and the job record.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bmp_builder.h"
#include "job_record.h"
#include "scratch_files.h"
#include "thermal_ini.h"
#include "win32/handle_owners.h"
#include "work_dir.h"

namespace tivrap::win32 {
namespace {

namespace fs = std::filesystem;
using zelmar::test::Bytes;
using zelmar::test::ReadBytes;
using zelmar::test::WriteBytes;

// The queue the tests' fixture installed (attributes: a local printer).
constexpr wchar_t kQueue[] = L"Tivrap Test A";

std::wstring Wide(const std::string& path) {
    return fs::path(path).wstring();
}

Bytes Read(ScratchFile& file, std::uint64_t offset, std::size_t size) {
    Bytes bytes(size);
    return file.ReadAt(offset, bytes.data(), size) ? bytes : Bytes{};
}

class ScratchTest : public zelmar::test::WorkDirTest {
  protected:
    void SetUp() override {
        WorkDirTest::SetUp();
        fs::create_directories(Path("system32/Spool"));  // as the system has it
    }
    std::wstring System() const { return Wide(Path("system32")); }
    std::string File(const char* name) const { return Path("system32/Spool/PRINTERS/") + name; }
    // Scratch file A (`last` 'l') or B ('m') of a job under the name's number.
    std::string ScratchPath(DWORD process, DWORD job, int name, char last) const {
        std::string path =
            fs::path(SpoolScratch::PathA(SpoolScratch::Directory(System()), process, job, name))
                .string();
        path.back() = last;
        return path;
    }

    const Bytes kLeft = {'l', 'e', 'f', 't'};

    FirstError errors_;
};

TEST_F(ScratchTest, EveryJobOfEveryProcessHasFilesOfItsOwn) {
    SpoolScratch job(System(), 100, 7, errors_);
    SpoolScratch sameProcess(System(), 100, 8, errors_);
    SpoolScratch sameJobId(System(), 101, 7, errors_);
    const ScratchCreation first = job.Create();
    EXPECT_EQ(first.failure, ScratchFailure::kNone);
    EXPECT_FALSE(first.directoryExisted);
    for (SpoolScratch* other : {&sameProcess, &sameJobId}) {
        const ScratchCreation created = other->Create();
        EXPECT_EQ(created.failure, ScratchFailure::kNone);
        EXPECT_TRUE(created.directoryExisted);
    }
    EXPECT_TRUE(fs::exists(File("Kvzo-100-7.spl")));
    EXPECT_TRUE(fs::exists(File("Kvzo-100-7.spm")));

    const Bytes a = {1, 2, 3};
    const Bytes b = {4, 5};
    ASSERT_TRUE(job.FileA().WriteAt(0, a.data(), a.size()));
    ASSERT_TRUE(job.FileB().WriteAt(10, b.data(), b.size()));
    ASSERT_TRUE(sameProcess.FileA().WriteAt(0, b.data(), b.size()));
    EXPECT_EQ(Read(job.FileA(), 0, 3), a);
    EXPECT_EQ(Read(job.FileB(), 10, 2), b);
    EXPECT_EQ(Read(job.FileA(), 1, 3), Bytes{}) << "the file ends before";

    job.Remove();
    EXPECT_FALSE(fs::exists(File("Kvzo-100-7.spl")));
    EXPECT_FALSE(fs::exists(File("Kvzo-100-7.spm")));
    EXPECT_TRUE(fs::exists(File("Kvzo-100-8.spl")));
    EXPECT_TRUE(fs::exists(File("Kvzo-101-7.spm")));
    sameProcess.Remove();
    sameJobId.Remove();
}

// A name left taken by a process that ended without cleaning up (process ids
// come again) is passed over: such files are neither taken over nor deleted.
TEST_F(ScratchTest, TakenNamesArePassedOverAndTheirFilesLeftAlone) {
    fs::create_directories(Path("system32/Spool/PRINTERS"));
    WriteBytes(ScratchPath(5, 1, 0, 'l'), kLeft);
    WriteBytes(ScratchPath(5, 1, 1, 'm'), kLeft);
    SpoolScratch job(System(), 5, 1, errors_);
    EXPECT_EQ(job.Create().failure, ScratchFailure::kNone);
    EXPECT_FALSE(fs::exists(ScratchPath(5, 1, 1, 'l'))) << "a name is passed over whole";
    EXPECT_TRUE(fs::exists(ScratchPath(5, 1, 2, 'l')));
    EXPECT_TRUE(fs::exists(ScratchPath(5, 1, 2, 'm')));
    job.Remove();
    EXPECT_FALSE(fs::exists(ScratchPath(5, 1, 2, 'l')));
    EXPECT_EQ(ReadBytes(ScratchPath(5, 1, 0, 'l')), kLeft);
    EXPECT_EQ(ReadBytes(ScratchPath(5, 1, 1, 'm')), kLeft);
}

TEST_F(ScratchTest, WithEveryNameTakenTheFileThatCouldNotBeMadeIsSaid) {
    fs::create_directories(Path("system32/Spool/PRINTERS"));
    for (int name = 0; name < SpoolScratch::kNames; ++name) {
        WriteBytes(ScratchPath(6, 1, name, 'l'), kLeft);
        WriteBytes(ScratchPath(6, 2, name, 'm'), kLeft);
    }
    SpoolScratch a(System(), 6, 1, errors_);
    const ScratchCreation failedA = a.Create();
    EXPECT_EQ(failedA.failure, ScratchFailure::kFileA);
    EXPECT_TRUE(failedA.directoryExisted);
    EXPECT_EQ(errors_.Code(0), static_cast<DWORD>(ERROR_FILE_EXISTS));
    a.Remove();
    SpoolScratch b(System(), 6, 2, errors_);
    EXPECT_EQ(b.Create().failure, ScratchFailure::kFileB);
    b.Remove();
    for (int name = 0; name < SpoolScratch::kNames; ++name) {
        EXPECT_EQ(ReadBytes(ScratchPath(6, 1, name, 'l')), kLeft);
        EXPECT_FALSE(fs::exists(ScratchPath(6, 2, name, 'l'))) << "A was the job's own";
    }
}

TEST_F(ScratchTest, FailuresBeforeTheFilesNameTheirStep) {
    SpoolScratch unknown(std::nullopt, 1, 1, errors_);
    EXPECT_EQ(unknown.Create().failure, ScratchFailure::kSystemDirectory);
    // The system directory is a file: the scratch directory cannot be made.
    WriteBytes(Path("file"), {1});
    SpoolScratch underFile(Wide(Path("file")), 1, 1, errors_);
    EXPECT_EQ(underFile.Create().failure, ScratchFailure::kDirectory);
    EXPECT_NE(errors_.Code(0), 0u);
    underFile.Remove();
}

class ThermalIniTest : public zelmar::test::WorkDirTest {
  protected:
    std::wstring Ini(const std::string& name, const std::string& text) {
        WriteBytes(Path(name), Bytes(text.begin(), text.end()));
        return Wide(Path(name));
    }
};

TEST_F(ThermalIniTest, WhereTheDriverPutsItThenTheModulesOwnDirectory) {
    const std::vector<std::wstring> both = {
        L"C:\\windows\\system32\\spool\\prtprocs\\w32x86\\Thermal.ini", L"D:\\procs\\Thermal.ini"};
    EXPECT_EQ(ThermalIniPlaces(L"C:\\windows\\system32", L"D:\\procs"), both);
    EXPECT_EQ(ThermalIniPlaces(std::nullopt, L"D:\\procs"),
              std::vector<std::wstring>{L"D:\\procs\\Thermal.ini"});
    // This test program's own directory holds the module.
    const std::optional<std::wstring> own = ModuleDirectory();
    ASSERT_TRUE(own);
    EXPECT_TRUE(fs::exists(fs::path(*own) / "tivrap_layer_tests.exe"));
    EXPECT_EQ(SystemDirectory(), std::optional<std::wstring>(L"C:\\windows\\system32"));
}

// The first place that holds a file gives every value: files are not mixed.
TEST_F(ThermalIniTest, TheFirstFileFoundGivesEveryValue) {
    const std::wstring driver = Ini("driver.ini", "[thermal]\r\n41=1b4d00\r\n");
    const std::wstring own = Ini("own.ini", "[thermal]\r\n41=41\r\n42=42\r\n");
    const std::wstring missing = Wide(Path("missing.ini"));
    ThermalIni first({driver, own});
    EXPECT_EQ(first.Value(u"41"), "1b4d00");
    EXPECT_EQ(first.Value(u"42"), "");
    ThermalIni second({missing, own});
    EXPECT_EQ(second.Value(u"41"), "41");
    ThermalIni none({missing});
    EXPECT_EQ(none.Value(u"41"), "");
}

TEST_F(ThermalIniTest, KeysMatchInEitherCaseAndLongValuesAreReadWhole) {
    const std::string longValue(700, 'a');
    ThermalIni ini({Ini("t.ini", "[THERMAL]\r\n4A=1B4D\r\n4b = " + longValue + "\r\n")});
    EXPECT_EQ(ini.Value(u"4a"), "1B4D");
    EXPECT_EQ(ini.Value(u"4b"), longValue);
    SectionTranslator translator([&ini](const std::u16string& key) { return ini.Value(key); });
    EXPECT_EQ(translator.Translate(0x4A), (Bytes{0x1B, 0x4D}));
}

PRINTPROCESSOROPENDATA OpenData(const wchar_t* datatype, const wchar_t* parameters = nullptr) {
    return {nullptr,
            const_cast<LPWSTR>(datatype),
            const_cast<LPWSTR>(parameters),
            const_cast<LPWSTR>(L"Receipt"),
            7,
            const_cast<LPWSTR>(L"port.bin"),
            const_cast<LPWSTR>(kQueue)};
}

TEST(JobRecordTest, AJobWhosePauseEventCannotBeMadeIsNotOpened) {
    const PRINTPROCESSOROPENDATA data = OpenData(L"NT EMF 1.008");
    DWORD error = 0;
    const auto noEvent = []() -> HANDLE {
        SetLastError(ERROR_NO_SYSTEM_RESOURCES);
        return nullptr;
    };
    EXPECT_EQ(OpenJobRecord(kQueue, &data, error, noEvent), nullptr);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_NO_SYSTEM_RESOURCES));
}

TEST(JobRecordTest, TheRecordHoldsCopiesOfTheOpenDataAndItsRealSize) {
    struct {
        DEVMODEW mode;
        BYTE extra[4];
    } devMode = {};
    devMode.mode.dmSize = sizeof(DEVMODEW);
    devMode.mode.dmDriverExtra = sizeof devMode.extra;
    devMode.extra[3] = 0x5A;
    std::wstring parameters = L"COPIES=3;";
    PRINTPROCESSOROPENDATA data = OpenData(L"nt emf 1.006", parameters.c_str());
    data.pDevMode = &devMode.mode;
    DWORD error = 0;
    JobRecord* record = OpenJobRecord(kQueue, &data, error);
    ASSERT_NE(record, nullptr) << error;
    parameters.assign(L"changed");  // the record has its own copy
    EXPECT_EQ(record->signature, 0x5051u);
    EXPECT_EQ(record->size, sizeof(JobRecord));
    EXPECT_EQ(record->datatype, Datatype::kEmf1006);
    EXPECT_EQ(record->parameters, std::optional<std::wstring>(L"COPIES=3;"));
    EXPECT_EQ(record->document, std::optional<std::wstring>(L"Receipt"));
    EXPECT_EQ(record->jobId, 7u);
    EXPECT_EQ(record->settings.copies, 3u);
    EXPECT_EQ(record->settings.tabSize, 8u);
    EXPECT_EQ(record->devMode[sizeof(DEVMODEW) + 3], 0x5A);
    EXPECT_FALSE(record->printer) << "only RAW jobs hold the printer";
    EXPECT_EQ(FindJobRecord(record), record);
    CloseJobRecord(record);
    EXPECT_EQ(FindJobRecord(record), nullptr) << "a closed handle is refused";
}

// The copies stay only where the printer can be asked and is not a direct one.
TEST(JobRecordTest, CopiesNeedAPrinterThatIsNotDirect) {
    const std::wstring key =
        std::wstring(L"System\\CurrentControlSet\\Control\\Print\\Printers\\") + kQueue;
    zelmar::win32::UniqueHkey queue;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_SET_VALUE, queue.put()),
              ERROR_SUCCESS);
    const auto setAttributes = [&](DWORD attributes) {
        ASSERT_EQ(RegSetValueExW(queue.get(), L"Attributes", 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&attributes), sizeof attributes),
                  ERROR_SUCCESS);
    };
    const auto copies = [](const wchar_t* printer) {
        const PRINTPROCESSOROPENDATA data = OpenData(L"NT EMF 1.008", L"COPIES=3;");
        DWORD error = 0;
        JobRecord* record = OpenJobRecord(printer, &data, error);
        const DWORD kept = record ? record->settings.copies : 0;
        if (record) CloseJobRecord(record);
        return kept;
    };
    EXPECT_EQ(copies(kQueue), 3u);
    EXPECT_EQ(copies(L"No Such Printer"), 1u);
    setAttributes(PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_DIRECT);
    EXPECT_EQ(copies(kQueue), 1u);
    setAttributes(PRINTER_ATTRIBUTE_LOCAL);
}

}  // namespace
}  // namespace tivrap::win32

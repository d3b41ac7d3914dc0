// The setup program's journey on a fresh machine, as a shop's integrator
// takes it: refused installations that leave nothing behind, an installation
// that a queue of the driver prints through, Orvenna started from the program
// folder, an upgrade, and the uninstaller with the queue still on
// Tivrap and then without. journey.sh gives it a Wine prefix of its own: a
// 64-bit Windows (the 32-bit build's setup then runs in WoW64 and installs
// the x64 print processor) or a 32-bit one.
#include <windows.h>

#include <shlobj.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app_window.h"
#include "print_queue.h"
#include "resource.h"
#include "reworked.h"
#include "sample_receipt.h"
#include "wine_paths.h"
#include "zelmar_version.h"

namespace {

namespace fs = std::filesystem;
using orvenna::test::AppProcess;
using zelmar::test::ProcessorDirectory;

constexpr wchar_t kProgId[] = L"ZELMAR.ZelmarCtrl.1";
constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvenna";
constexpr wchar_t kAppKey[] = L"Software\\Orvenna";
constexpr int kFailed = 2;  // the setup's exit code of every failure
const std::string kQueue = "NX-A60";

// A Linux path given by journey.sh, as Wine shows it (drive Z:).
fs::path FromScript(const char* variable) {
    const char* value = std::getenv(variable);
    if (!value) throw std::runtime_error(std::string(variable) + " is not set");
    std::wstring path = L"Z:" + std::wstring(value, value + std::strlen(value));
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

// Runs a command line to its end; its exit code, or -1 when it did not end
// within two minutes (a silent setup never waits on anyone).
int RunToEnd(const std::wstring& line) {
    std::wstring command = line;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

std::wstring Quoted(const fs::path& path) {
    return L"\"" + path.wstring() + L"\"";
}

bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::wstring Value(const wchar_t* key, const wchar_t* name, HKEY root = HKEY_LOCAL_MACHINE) {
    wchar_t text[512] = {};
    DWORD size = sizeof text;
    if (RegGetValueW(root, key, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return L"(none)";
    return text;
}

DWORD Number(const wchar_t* key, const wchar_t* name) {
    DWORD number = 0, size = sizeof number;
    RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_DWORD, nullptr, &number, &size);
    return number;
}

std::vector<std::wstring> PrintProcessors() {
    DWORD needed = 0, count = 0;
    std::wstring environment = zelmar::test::SpoolerEnvironment();
    EnumPrintProcessorsW(nullptr, environment.data(), 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    std::vector<std::wstring> names;
    if (needed == 0 || !EnumPrintProcessorsW(nullptr, environment.data(), 1, buffer.data(), needed,
                                             &needed, &count))
        return names;
    const auto* processors = reinterpret_cast<const PRINTPROCESSOR_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        names.push_back(processors[i].pName);
    return names;
}

bool TivrapListed() {
    for (const std::wstring& name : PrintProcessors())
        if (name == L"Tivrap") return true;
    return false;
}

fs::path Folder(int id) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

fs::path ProcessorDir() {
    return ProcessorDirectory();
}

std::vector<fs::path> Shortcuts() {
    return {Folder(CSIDL_COMMON_PROGRAMS) / L"Orvenna.lnk",
            Folder(CSIDL_COMMON_DESKTOPDIRECTORY) / L"Orvenna.lnk"};
}

std::string Contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const fs::path& file, const std::string& contents) {
    std::ofstream(file, std::ios::binary) << contents;
}

std::wstring QueueProcessor(const std::string& queue) {
    HANDLE printer = nullptr;
    if (!OpenPrinterA(const_cast<char*>(queue.c_str()), &printer, nullptr)) return L"(no queue)";
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    std::wstring processor = L"(unreadable)";
    if (needed && GetPrinterW(printer, 2, buffer.data(), needed, &needed))
        processor = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data())->pPrintProcessor;
    ClosePrinter(printer);
    return processor;
}

// One raw document through the queue, as the control sends its logo jobs.
bool PrintRaw(const std::string& queue, const std::string& bytes) {
    HANDLE printer = nullptr;
    if (!OpenPrinterA(const_cast<char*>(queue.c_str()), &printer, nullptr)) return false;
    char document[] = "LogoDocument", datatype[] = "RAW";
    DOC_INFO_1A info{document, nullptr, datatype};
    DWORD written = 0;
    const bool printed = StartDocPrinterA(printer, 1, reinterpret_cast<BYTE*>(&info)) &&
                         WritePrinter(printer, const_cast<char*>(bytes.data()),
                                      static_cast<DWORD>(bytes.size()), &written) &&
                         EndDocPrinter(printer);
    ClosePrinter(printer);
    return printed && written == bytes.size();
}

// Wine's spooler runs the print processor inside the program that submits
// the job, so a 32-bit program on 64-bit Windows would meet its own 32-bit
// spooler: there the 64-bit submitter (SETUP_SUBMIT_X64) sends the receipt,
// as the 64-bit spooler of Windows would print any program's job.
bool Wow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

class SetupJourney : public ::testing::Test {
  protected:
    const fs::path setup_ = FromScript("SETUP_EXE");
    const fs::path brokenSetup_ = FromScript("SETUP_BROKEN_CONTROL_EXE");
    const fs::path readOnly_ = FromScript("SETUP_READ_ONLY_DIR");
    const fs::path work_ = FromScript("SETUP_WORK_DIR");
    const fs::path sampleIni_ = FromScript("SETUP_SAMPLE_THERMAL_INI");
    const fs::path program_ = Folder(CSIDL_PROGRAM_FILES) / L"Orvenna";
    const fs::path port_ = work_ / L"nx-a60.bin";
    zelmar::test::PrintQueue queue_{kQueue, PortPath()};

    // The queue's port, a Linux file.
    static std::string PortPath() {
        return std::string(std::getenv("SETUP_WORK_DIR")) + "/nx-a60.bin";
    }

    int Install(const std::wstring& options) { return RunToEnd(Quoted(setup_) + L" /S" + options); }
    // A document through the queue, by the machine's own spooler.
    bool PrintBySpooler(const std::string& bytes) {
        if (!Wow64()) return PrintRaw(kQueue, bytes);
        const fs::path document = work_ / L"document.bin";
        Write(document, bytes);
        const std::wstring queue(kQueue.begin(), kQueue.end());
        return RunToEnd(Quoted(FromScript("SETUP_SUBMIT_X64")) + L" " + queue + L" " +
                        Quoted(document)) == 0;
    }
    // In place (_?=, unquoted and last), so that it ends when it is done.
    int Uninstall(const std::wstring& options = L"") {
        return RunToEnd(Quoted(program_ / L"Uninstall.exe") + L" /S" + options + L" _?=" +
                        program_.wstring());
    }

    void ExpectNothingRegistered() {
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kProgId));
        if (!classId_.empty()) {
            EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + classId_));
        }
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
        EXPECT_FALSE(TivrapListed());
        EXPECT_FALSE(fs::exists(ProcessorDir() / L"Tivrap.dll"));
        for (const fs::path& shortcut : Shortcuts())
            EXPECT_FALSE(fs::exists(shortcut)) << shortcut;
    }
    void ExpectProgramInstalled() {
        for (const wchar_t* file : {L"Orvenna.exe", L"Zelmar.ocx", L"README.md", L"Uninstall.exe"})
            EXPECT_TRUE(fs::exists(program_ / file)) << file;
        for (const fs::path& shortcut : Shortcuts())
            EXPECT_TRUE(fs::exists(shortcut)) << shortcut;
        EXPECT_TRUE(fs::exists(ProcessorDir() / L"Tivrap.dll"));
        EXPECT_TRUE(TivrapListed());
        const std::wstring vbs = (work_ / L"create.vbs").wstring();
        Write(vbs, "Set zelmar = CreateObject(\"ZELMAR.ZelmarCtrl.1\")\r\nWScript.Quit 7\r\n");
        EXPECT_EQ(RunToEnd(L"cscript.exe //nologo " + Quoted(vbs)), 7)
            << "the ProgID creates no object";
        classId_ = Value((std::wstring(kProgId) + L"\\CLSID").c_str(), nullptr, HKEY_CLASSES_ROOT);
    }

    std::wstring classId_;  // the control's, once it was registered
};

TEST_F(SetupJourney, InstallsUpgradesAndUninstalls) {
    // Refusals: a read-only program folder, a control that does not register
    // (its files were written, and go again), a queue that is not the driver's.
    EXPECT_EQ(Install(L" /D=" + (readOnly_ / L"Orvenna").wstring()), kFailed);
    ExpectNothingRegistered();
    EXPECT_EQ(RunToEnd(Quoted(brokenSetup_) + L" /S"), kFailed);
    ExpectNothingRegistered();
    EXPECT_FALSE(fs::exists(program_));
    EXPECT_EQ(Install(L" /QUEUE=nx-a60"), kFailed);
    ExpectNothingRegistered();
    ASSERT_FALSE(HasFailure()) << "a refused setup left something behind";

    // The installation, with the driver's queue on Tivrap.
    ASSERT_EQ(Install(L" /QUEUE=" + std::wstring(kQueue.begin(), kQueue.end())), 0);
    ExpectProgramInstalled();
    EXPECT_EQ(Contents(ProcessorDir() / L"Thermal.ini"), Contents(sampleIni_));
    EXPECT_EQ(Value(kUninstallKey, L"DisplayName"), L"Orvenna");
    EXPECT_EQ(Value(kUninstallKey, L"DisplayVersion"), L"" ZELMAR_VERSION_TEXT);
    EXPECT_NE(Value(kUninstallKey, L"Publisher"), L"(none)");
    EXPECT_GT(Number(kUninstallKey, L"EstimatedSize"), 0u);
    EXPECT_EQ(Number(kAppKey, L"Language"), 1033u);
    EXPECT_EQ(QueueProcessor(kQueue), L"Tivrap");
    const std::string logoJob("\x1b@\x1cq\x01\x02\x00\x01\x00\xff\xff", 11);
    ASSERT_TRUE(PrintRaw(kQueue, logoJob));
    EXPECT_EQ(Contents(port_), logoJob);
    // The driver's receipt, reworked by the module the machine's spooler loaded.
    const auto receipt = tivrap::test::SampleReceipt();
    ASSERT_TRUE(PrintBySpooler(std::string(receipt.begin(), receipt.end())));
    const auto reworked = tivrap::test::Reworked(receipt, ProcessorDir().wstring());
    EXPECT_NE(reworked, receipt);
    EXPECT_EQ(Contents(port_), std::string(reworked.begin(), reworked.end()));

    // Orvenna from its folder, with the installed control: it saves there.
    {
        AppProcess orvenna((program_ / L"Orvenna.exe").wstring(), {});
        const HWND window = orvenna.MainWindow();
        ASSERT_TRUE(window);
        EXPECT_EQ(AppProcess::TextOf(window), L"Orvenna Version 1.01");
        PostMessageW(AppProcess::Find(window, IDC_CLOSE), BM_CLICK, 0, 0);
        ASSERT_TRUE(orvenna.WaitForExit());
    }
    const std::string settings = Contents(program_ / L"Orvenna.ini");
    EXPECT_NE(settings.find("Printer=0"), std::string::npos) << settings;

    // An upgrade keeps the settings, the lists and the translation file.
    const std::string lists = "[LOGO]\r\nLogofile1=C:\\logo.bmp|logo.bmp|48|8|48\r\n";
    Write(program_ / L"TopLogo.ini", lists);
    const std::string driversIni = Contents(sampleIni_) + "41=1b4d00\r\n";
    Write(ProcessorDir() / L"Thermal.ini", driversIni);
    ASSERT_EQ(Install(L""), 0);
    ExpectProgramInstalled();
    EXPECT_EQ(Contents(program_ / L"Orvenna.ini"), settings);
    EXPECT_EQ(Contents(program_ / L"TopLogo.ini"), lists);
    EXPECT_EQ(Contents(ProcessorDir() / L"Thermal.ini"), driversIni);

    // The uninstaller, while the queue still prints through Tivrap.
    ASSERT_EQ(Uninstall(), 0);
    for (const wchar_t* file : {L"Orvenna.exe", L"Zelmar.ocx", L"README.md"})
        EXPECT_FALSE(fs::exists(program_ / file)) << file;
    for (const fs::path& shortcut : Shortcuts())
        EXPECT_FALSE(fs::exists(shortcut)) << shortcut;
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kProgId));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + classId_));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_TRUE(TivrapListed()) << "removed while a queue prints through it";
    EXPECT_EQ(Contents(program_ / L"Orvenna.ini"), settings);
    EXPECT_EQ(Contents(program_ / L"TopLogo.ini"), lists);

    // Once no queue uses Tivrap, the uninstaller takes it too; asked to, the
    // settings, the lists and the setup's sample translation file as well. On
    // 64-bit Windows, a driver's translation file where Tivrap looks first
    // (the 32-bit folder) gets no sample beside it.
    zelmar::test::PrintQueue winprint{kQueue, PortPath()};
    const fs::path driverIni = ProcessorDir().parent_path() / L"w32x86\\Thermal.ini";
    const bool apart = driverIni.parent_path() != ProcessorDir();
    if (apart) {
        fs::create_directories(driverIni.parent_path());
        Write(driverIni, driversIni);
        fs::remove(ProcessorDir() / L"Thermal.ini");
    }
    ASSERT_EQ(Install(L""), 0);
    if (apart) {
        EXPECT_FALSE(fs::exists(ProcessorDir() / L"Thermal.ini"));
    }
    ASSERT_EQ(Uninstall(L" /REMOVESETTINGS"), 0);
    ExpectNothingRegistered();
    EXPECT_FALSE(fs::exists(program_ / L"Orvenna.ini"));
    EXPECT_FALSE(fs::exists(program_ / L"TopLogo.ini"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAppKey));
    if (apart) {
        EXPECT_EQ(Contents(driverIni), driversIni);
    } else {
        EXPECT_FALSE(fs::exists(driverIni)) << "the setup's sample stays after /REMOVESETTINGS";
    }
}

// journey.sh runs this one under the Korean locale: the Korean pages, and
// the uninstaller told to speak as the setup did.
TEST_F(SetupJourney, SpeaksKoreanOnAKoreanSystem) {
    ASSERT_EQ(GetACP(), 949u) << "run by journey.sh under the Korean locale";
    ASSERT_EQ(Install(L""), 0);
    EXPECT_EQ(Number(kAppKey, L"Language"), 1042u);
    ASSERT_EQ(Uninstall(L" /REMOVESETTINGS"), 0);
    ExpectNothingRegistered();
}

}  // namespace

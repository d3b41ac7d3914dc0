#include <windows.h>

#include <shlwapi.h>
#include <winspool.h>

#include <stdexcept>

#include "print_queue.h"

namespace zelmar::test {

namespace {

constexpr char kPrinters[] = "System\\CurrentControlSet\\Control\\Print\\Printers\\";

HKEY CreateKey(const std::string& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot create HKLM\\" + path);
    }
    return key;
}

void SetValue(HKEY key, const char* name, DWORD type, const void* data, std::size_t size) {
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
}

void SetText(HKEY key, const char* name, const std::string& value) {
    SetValue(key, name, REG_SZ, value.c_str(), value.size() + 1);
}

}  // namespace

PrintQueue::PrintQueue(const std::string& name, const std::string& port,
                       const std::string& printProcessor)
    : key_(kPrinters + name) {
    const HKEY key = CreateKey(key_);
    SetText(key, "Name", name);
    SetText(key, "Port", port);
    SetText(key, "Printer Driver", "Thermal Test Driver");
    SetText(key, "Print Processor", printProcessor);
    SetText(key, "Datatype", "RAW");
    const DWORD attributes = PRINTER_ATTRIBUTE_LOCAL;
    SetValue(key, "Attributes", REG_DWORD, &attributes, sizeof attributes);
    RegCloseKey(key);
}

PrintQueue::~PrintQueue() {
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, key_.c_str());
}

void PrintQueue::SetData(const std::string& value, unsigned type, const std::string& bytes) {
    const HKEY key = CreateKey(key_ + "\\PrinterDriverData");
    SetValue(key, value.c_str(), type, bytes.data(), bytes.size());
    RegCloseKey(key);
}

}  // namespace zelmar::test

// What Tivrap's passes make of a job, computed in memory with the
// translation file that the module installed in a print-processor folder
// finds: what a queue printing through that module must receive.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "memory_parts.h"
#include "raw_job.h"
#include "thermal_ini.h"

namespace tivrap::test {

inline Bytes Reworked(const Bytes& job, const std::wstring& processorDirectory) {
    memory::MemorySpoolerJob spooler(job);
    memory::MemoryScratchStorage scratch;
    win32::ThermalIni ini(win32::ThermalIniPlaces(win32::SystemDirectory(), processorDirectory));
    SectionTranslator translator([&ini](const std::u16string& key) { return ini.Value(key); });
    memory::MemoryPauseEvent event;
    JobControl control(event);
    memory::MemoryDebugOutput debug;
    EXPECT_TRUE(RunRawJob({}, {spooler, scratch, translator, control, debug}));
    return spooler.printed;
}

}  // namespace tivrap::test

// Where a file of a Windows test program is for the Linux programs it starts
// under Wine (the stand-in printer). Windows builds only.
#pragma once

#include <string>

namespace zelmar::test {

// The Linux path of `path`, as Wine maps it; `path` itself outside Wine.
std::string UnixPath(const std::string& path);

// The print environment of the machine's spooler and the folder it loads
// print processors from: "Windows x64" and prtprocs\x64 on 64-bit Windows,
// also for a 32-bit program there; "Windows NT x86" and prtprocs\w32x86 on
// 32-bit Windows.
std::wstring SpoolerEnvironment();
std::wstring ProcessorDirectory();

}  // namespace zelmar::test

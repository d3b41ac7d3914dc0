// Where a file of a Windows test program is for the Linux programs it starts
// under Wine (the stand-in printer). Windows builds only.
#pragma once

#include <string>

namespace zelmar::test {

// The Linux path of `path`, as Wine maps it; `path` itself outside Wine.
std::string UnixPath(const std::string& path);

}  // namespace zelmar::test

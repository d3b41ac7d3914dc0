#include "files.h"

namespace zelmar::files {

bool WriteWholeFile(const std::string& path, const Bytes& bytes) {
    OutputFile file;
    return file.Create(path) && file.Write(bytes);
}

}  // namespace zelmar::files

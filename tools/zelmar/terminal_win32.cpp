#include <io.h>

#include <cstdio>

#include "terminal.h"

namespace zelmar::cli {

bool StderrIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

}  // namespace zelmar::cli

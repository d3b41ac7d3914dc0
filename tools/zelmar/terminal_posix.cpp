#include <unistd.h>

#include "terminal.h"

namespace zelmar::cli {

bool StderrIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

}  // namespace zelmar::cli

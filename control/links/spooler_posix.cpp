#include "spooler.h"

namespace zelmar::links {

// Printer queues and their drivers are Windows's.
Spooler* SystemSpooler() {
    return nullptr;
}

}  // namespace zelmar::links

// Whether the tool talks to a person: progress lines only go to a terminal.
#pragma once

namespace zelmar::cli {

bool StderrIsTerminal();

}  // namespace zelmar::cli

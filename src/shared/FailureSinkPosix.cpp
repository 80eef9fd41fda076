#include <cstdio>

#include "shared/FailureSink.h"

namespace zorv {

void TFailureSink::WriteTraceLine(const std::string& line) { std::fputs(line.c_str(), stderr); }

}  // namespace zorv

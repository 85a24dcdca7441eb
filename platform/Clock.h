// The local wall-clock time.
#pragma once

#include <ctime>

namespace platform {

std::tm LocalNow();

} // namespace platform

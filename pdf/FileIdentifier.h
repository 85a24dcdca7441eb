// The PDF file identifier: 16 bytes from a per-thread pseudo-random sequence,
// as 32 uppercase hexadecimal digits. The sequence is the classic linear
// congruential one (state x 214013 + 2531011, 15 bits out) starting at 1 in
// every thread, so the n-th document of a thread always gets the same
// identifier; peers compare files written this way.
#pragma once

#include <string>

namespace pdf {

std::string NextFileIdentifier();

} // namespace pdf

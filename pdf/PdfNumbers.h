// Number texts for the PDF file structure. They never depend on the process
// locale: a comma locale must still give "609.8823".
#pragma once

#include <cstdint>
#include <string>

namespace pdf {

// Decimal digits without leading zeros ("%lu", "%u", "%d").
std::string Decimal(std::uint64_t value);
std::string SignedDecimal(std::int64_t value);

// Fixed-point with four decimals, rounded as printf's "%.4f" rounds.
std::string Fixed4(double value);

// Ten digits padded with zeros, as a cross-reference entry needs ("%.10lu").
std::string TenDigits(std::uint64_t value);

} // namespace pdf

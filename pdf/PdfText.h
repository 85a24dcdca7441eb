// Texts of the document information: PDF string literals, the date text and
// the longest text the writer puts into the file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pdf {

// Longest document text written, in characters; longer ones are cut.
constexpr std::size_t kMaxDocumentTextCharacters = 512;

// "(" + the bytes escaped + ")": control bytes, 0x7F and every byte from 0x80
// as a backslash and three octal digits; "(", ")" and "\" with a backslash.
std::string PdfStringLiteral(std::string_view bytes);

// True when the text is well-formed UTF-8 and holds at least one non-ASCII
// character.
bool IsUtf8WithNonAscii(std::string_view text);

// The text a document entry carries, as a PDF string literal. Valid UTF-8
// with non-ASCII characters becomes a UTF-16BE text string with a byte-order
// mark (PDF 1.7, 7.9.2.2), so readers show it whatever code page wrote it;
// any other text is written byte for byte. Either is cut to its first 512
// characters, never inside a character.
std::string DocumentTextLiteral(std::string_view text);

// "D:" and 14 digits: from a TIFF DateTime "YYYY:MM:DD HH:MM:SS" when that has
// at least 19 characters, else from the current local time.
std::string PdfDateText(const char* tiffDateTime);

} // namespace pdf

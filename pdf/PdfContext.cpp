#include "pdf/PdfContext.h"

#include "pdf/PdfNumbers.h"

namespace pdf {

std::optional<std::uint32_t> IccColourFamily(const std::vector<std::uint8_t>& profile) {
  if (profile.size() < 20)
    return std::nullopt;
  const std::string space(profile.begin() + 16, profile.begin() + 20);
  if (space == "GRAY")
    return kGray;
  if (space == "RGB ")
    return kRgb;
  if (space == "CMYK")
    return kCmyk;
  if (space == "Lab ")
    return kLab;
  return std::nullopt;
}

std::uint16_t ColourComponents(std::uint32_t family) {
  if (family & kCmyk)
    return 4;
  return (family & (kRgb | kLab)) ? 3 : 1;
}

void Fail(PdfWriterContext& context, std::string message) {
  if (!context.error)
    context.errorMessage = std::move(message);
  context.error = true;
}

void Warn(PdfWriterContext& context, std::string message) {
  context.warnings.push_back(std::move(message));
}

std::uint32_t StartObject(PdfWriterContext& context) {
  // The scan sized the table; an object beyond it would mean a miscount.
  if (context.objectCount >= context.offsets.size()) {
    Fail(context, "Object count exceeded for " + context.inputName);
    return context.objectCount;
  }
  context.offsets[context.objectCount] = context.sink->Total();
  ++context.objectCount;
  context.sink->Write(Decimal(context.objectCount));
  context.sink->Write(" 0 obj\r");
  return context.objectCount;
}

void EndObject(PdfWriterContext& context) { context.sink->Write("endobj\r"); }

} // namespace pdf

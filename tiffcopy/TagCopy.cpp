#include "tiffcopy/TagCopy.h"

#include <cstdint>
#include <cstring>

namespace tiffcopy {
namespace {

// How the library passes a tag's value through TIFFGetField/TIFFSetField.
enum class ValueKind { Long, Short, ShortPair, Text, Float, FloatArray, Double };

struct TagEntry {
  ttag_t tag;
  ValueKind kind;
};

constexpr TagEntry kDescriptiveTags[] = {
    {TIFFTAG_SUBFILETYPE, ValueKind::Long},
    {TIFFTAG_THRESHHOLDING, ValueKind::Short},
    {TIFFTAG_DOCUMENTNAME, ValueKind::Text},
    {TIFFTAG_IMAGEDESCRIPTION, ValueKind::Text},
    {TIFFTAG_MAKE, ValueKind::Text},
    {TIFFTAG_MODEL, ValueKind::Text},
    {TIFFTAG_MINSAMPLEVALUE, ValueKind::Short},
    {TIFFTAG_MAXSAMPLEVALUE, ValueKind::Short},
    {TIFFTAG_XRESOLUTION, ValueKind::Float},
    {TIFFTAG_YRESOLUTION, ValueKind::Float},
    {TIFFTAG_PAGENAME, ValueKind::Text},
    {TIFFTAG_XPOSITION, ValueKind::Float},
    {TIFFTAG_YPOSITION, ValueKind::Float},
    {TIFFTAG_RESOLUTIONUNIT, ValueKind::Short},
    {TIFFTAG_SOFTWARE, ValueKind::Text},
    {TIFFTAG_DATETIME, ValueKind::Text},
    {TIFFTAG_ARTIST, ValueKind::Text},
    {TIFFTAG_HOSTCOMPUTER, ValueKind::Text},
    {TIFFTAG_WHITEPOINT, ValueKind::FloatArray},
    {TIFFTAG_PRIMARYCHROMATICITIES, ValueKind::FloatArray},
    {TIFFTAG_HALFTONEHINTS, ValueKind::ShortPair},
    {TIFFTAG_INKSET, ValueKind::Short},
    {TIFFTAG_DOTRANGE, ValueKind::ShortPair},
    {TIFFTAG_TARGETPRINTER, ValueKind::Text},
    {TIFFTAG_SAMPLEFORMAT, ValueKind::Short},
    {TIFFTAG_YCBCRCOEFFICIENTS, ValueKind::FloatArray},
    {TIFFTAG_YCBCRSUBSAMPLING, ValueKind::ShortPair},
    {TIFFTAG_YCBCRPOSITIONING, ValueKind::Short},
    {TIFFTAG_REFERENCEBLACKWHITE, ValueKind::FloatArray},
    {TIFFTAG_SMINSAMPLEVALUE, ValueKind::Double},
    {TIFFTAG_SMAXSAMPLEVALUE, ValueKind::Double},
    {TIFFTAG_STONITS, ValueKind::Double},
};

void CopyTag(TIFF* in, TIFF* out, const TagEntry& entry) {
  switch (entry.kind) {
  case ValueKind::Long: {
    std::uint32_t value = 0;
    if (TIFFGetField(in, entry.tag, &value))
      TIFFSetField(out, entry.tag, value);
    return;
  }
  case ValueKind::Short:
    CopyShortTag(in, out, entry.tag);
    return;
  case ValueKind::ShortPair: {
    std::uint16_t first = 0;
    std::uint16_t second = 0;
    if (TIFFGetField(in, entry.tag, &first, &second))
      TIFFSetField(out, entry.tag, first, second);
    return;
  }
  case ValueKind::Text: {
    const char* text = nullptr;
    if (TIFFGetField(in, entry.tag, &text) && text)
      TIFFSetField(out, entry.tag, text);
    return;
  }
  case ValueKind::Float: {
    float value = 0;
    if (TIFFGetField(in, entry.tag, &value))
      TIFFSetField(out, entry.tag, static_cast<double>(value));
    return;
  }
  case ValueKind::FloatArray: {
    // The library knows each of these tags' fixed number of values.
    float* values = nullptr;
    if (TIFFGetField(in, entry.tag, &values) && values)
      TIFFSetField(out, entry.tag, values);
    return;
  }
  case ValueKind::Double: {
    double value = 0;
    if (TIFFGetField(in, entry.tag, &value))
      TIFFSetField(out, entry.tag, value);
    return;
  }
  }
}

void CopyLongTag(TIFF* in, TIFF* out, ttag_t tag) { CopyTag(in, out, {tag, ValueKind::Long}); }

// Length of the first count NUL-terminated names. The library adapts
// NumberOfInks to the names it accepted, so they are all there.
std::size_t InkNamesLength(const char* names, std::uint16_t count) {
  std::size_t length = 0;
  for (std::uint16_t i = 0; i < count; ++i)
    length += std::strlen(names + length) + 1;
  return length;
}

} // namespace

void CopyShortTag(TIFF* in, TIFF* out, ttag_t tag) {
  std::uint16_t value = 0;
  if (TIFFGetField(in, tag, &value))
    TIFFSetField(out, tag, value);
}

void CopyDescriptiveTags(TIFF* in, TIFF* out) {
  for (const TagEntry& entry : kDescriptiveTags)
    CopyTag(in, out, entry);
}

void CopyExtraSamples(TIFF* in, TIFF* out) {
  std::uint16_t count = 0;
  std::uint16_t* kinds = nullptr;
  if (TIFFGetField(in, TIFFTAG_EXTRASAMPLES, &count, &kinds) && kinds)
    TIFFSetField(out, TIFFTAG_EXTRASAMPLES, count, kinds);
}

void CopyColourTables(TIFF* in, TIFF* out, std::uint16_t samplesPerPixel) {
  // The library hands out one table or three, by the number of colour
  // samples; the unused pointers repeat the first so none is left dangling.
  std::uint16_t* red = nullptr;
  std::uint16_t* green = nullptr;
  std::uint16_t* blue = nullptr;
  if (samplesPerPixel <= 4 && TIFFGetField(in, TIFFTAG_TRANSFERFUNCTION, &red, &green, &blue) &&
      red)
    TIFFSetField(out, TIFFTAG_TRANSFERFUNCTION, red, green ? green : red, blue ? blue : red);
  red = green = blue = nullptr;
  if (TIFFGetField(in, TIFFTAG_COLORMAP, &red, &green, &blue) && red && green && blue)
    TIFFSetField(out, TIFFTAG_COLORMAP, red, green, blue);
}

void CopyFaxTags(TIFF* in, TIFF* out, bool group4Output) {
  if (group4Output)
    CopyLongTag(in, out, TIFFTAG_GROUP4OPTIONS);
  CopyLongTag(in, out, TIFFTAG_BADFAXLINES);
  CopyShortTag(in, out, TIFFTAG_CLEANFAXDATA);
  CopyLongTag(in, out, TIFFTAG_CONSECUTIVEBADFAXLINES);
  CopyLongTag(in, out, TIFFTAG_FAXRECVPARAMS);
  CopyLongTag(in, out, TIFFTAG_FAXRECVTIME);
  CopyTag(in, out, {TIFFTAG_FAXSUBADDRESS, ValueKind::Text});
}

void CopyProfileInksAndPageNumber(TIFF* in, TIFF* out) {
  std::uint32_t profileLength = 0;
  void* profile = nullptr;
  if (TIFFGetField(in, TIFFTAG_ICCPROFILE, &profileLength, &profile) && profile)
    TIFFSetField(out, TIFFTAG_ICCPROFILE, profileLength, profile);

  std::uint16_t inks = 0;
  if (TIFFGetField(in, TIFFTAG_NUMBEROFINKS, &inks)) {
    TIFFSetField(out, TIFFTAG_NUMBEROFINKS, inks);
    const char* names = nullptr;
    if (inks > 0 && TIFFGetField(in, TIFFTAG_INKNAMES, &names) && names)
      TIFFSetField(out, TIFFTAG_INKNAMES, static_cast<int>(InkNamesLength(names, inks)), names);
  }

  std::uint16_t page = 0;
  std::uint16_t pages = 0;
  if (TIFFGetField(in, TIFFTAG_PAGENUMBER, &page, &pages))
    TIFFSetField(out, TIFFTAG_PAGENUMBER, page, pages);
}

} // namespace tiffcopy

#include "tiffcopy/ImageSettings.h"

#include <tiffio.h>

namespace tiffcopy {
namespace {

struct SelectorEntry {
  std::uint16_t compression;
  std::uint32_t group3Options;
  int jpegColorMode;
};

// Indexed by selector.
constexpr SelectorEntry kSelectors[] = {
    {COMPRESSION_NONE, 0, JPEGCOLORMODE_RGB},
    {COMPRESSION_PACKBITS, 0, JPEGCOLORMODE_RGB},
    {COMPRESSION_CCITTFAX3, GROUP3OPT_FILLBITS, JPEGCOLORMODE_RGB},
    {COMPRESSION_CCITTFAX3, 0, JPEGCOLORMODE_RGB},
    {COMPRESSION_CCITTFAX3, GROUP3OPT_FILLBITS | GROUP3OPT_2DENCODING, JPEGCOLORMODE_RGB},
    {COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING, JPEGCOLORMODE_RGB},
    {COMPRESSION_CCITTFAX4, 0, JPEGCOLORMODE_RGB},
    {COMPRESSION_JPEG, 0, JPEGCOLORMODE_RGB},
    {COMPRESSION_JPEG, 0, JPEGCOLORMODE_RAW},
    {COMPRESSION_LZW, 0, JPEGCOLORMODE_RGB},
    {COMPRESSION_DEFLATE, 0, JPEGCOLORMODE_RGB},
};

} // namespace

ImageSettings SettingsFromOptions(const CopyOptions& options) {
  ImageSettings settings;
  settings.jpegQuality = options.jpegQuality;
  settings.fillOrder = static_cast<std::uint16_t>(options.fillOrder);
  settings.tiled = options.tiled;
  const int selectors = static_cast<int>(std::size(kSelectors));
  if (options.compression >= 0 && options.compression < selectors) {
    const SelectorEntry& entry = kSelectors[options.compression];
    settings.compression = entry.compression;
    settings.group3Options = entry.group3Options;
    settings.jpegColorMode = entry.jpegColorMode;
  }
  return settings;
}

} // namespace tiffcopy

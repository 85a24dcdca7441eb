#include "pdf/TiffAccess.h"

#include <mutex>

namespace pdf {

namespace {

int DropMessage(TIFF*, void*, const char*, const char*, va_list) {
  return 1; // handled: the library calls no other handler
}

} // namespace

void TiffCloser::operator()(TIFF* tiff) const {
  if (tiff != nullptr)
    TIFFClose(tiff);
}

void SilenceTiffLibrary() {
  static std::once_flag once;
  std::call_once(once, [] {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
  });
}

TIFFOpenOptions* QuietOpenOptions() {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (options == nullptr)
    return nullptr;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, TiffLimits::kMaxSingleAllocation);
  TIFFOpenOptionsSetErrorHandlerExtR(options, DropMessage, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, DropMessage, nullptr);
  return options;
}

TiffHandle OpenTiffForReading(const std::string& path) {
  SilenceTiffLibrary();
  TIFFOpenOptions* options = QuietOpenOptions();
  if (options == nullptr)
    return TiffHandle();
  // No memory mapping: libtiff 4.5 then fails to read an uncompressed
  // FillOrder 2 page that follows another page ("Data buffer too small"),
  // and a mapped document is resident in full once its pages are read,
  // where reading them one at a time keeps memory independent of its size.
  TiffHandle handle(TIFFOpenExt(path.c_str(), "rm", options));
  TIFFOpenOptionsFree(options);
  return handle;
}

NextDirectory ReadNextDirectory(TIFF* tiff) {
  if (TIFFLastDirectory(tiff))
    return NextDirectory::ChainEnded;
  const toff_t current = TIFFCurrentDirOffset(tiff);
  if (TIFFReadDirectory(tiff) == 1)
    return NextDirectory::Read;
  // The library (4.5) reports a loop and an unreadable directory alike; a
  // loop it refuses before leaving the current directory, while a directory
  // it cannot read (cut short, or lacking required tags) it has moved onto.
  return TIFFCurrentDirOffset(tiff) == current ? NextDirectory::ChainEnded
                                               : NextDirectory::ChainBroken;
}

} // namespace pdf

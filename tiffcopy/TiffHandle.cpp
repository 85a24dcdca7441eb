#include "tiffcopy/TiffHandle.h"

#include "tiffcopy/CopyLimits.h"

namespace tiffcopy {
namespace {

int DropMessage(TIFF*, void*, const char*, const char*, va_list) {
  return 1; // handled: the process-wide handler is not called
}

struct OptionsDeleter {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

} // namespace

TiffHandle::TiffHandle(const std::string& path, const char* mode) {
  SilenceTiffLibrary();
  std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
  if (!options)
    return;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(kMaxAllocation));
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), DropMessage, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), DropMessage, nullptr);
  tiff_ = TIFFOpenExt(path.c_str(), mode, options.get());
}

TiffHandle::~TiffHandle() { close(); }

void TiffHandle::close() {
  if (tiff_)
    TIFFClose(tiff_);
  tiff_ = nullptr;
}

void SilenceTiffLibrary() {
  TIFFSetErrorHandler(nullptr);
  TIFFSetWarningHandler(nullptr);
}

} // namespace tiffcopy

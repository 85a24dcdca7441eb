#include "tiffcopy/TiffHandle.h"

#include "tiffcopy/CopyLimits.h"

namespace tiffcopy {
namespace {

int CountError(TIFF*, void* userData, const char*, const char*, va_list) {
  ++static_cast<TiffMessages*>(userData)->errors;
  return 1; // handled: the process-wide handler is not called
}

int CountWarning(TIFF*, void* userData, const char*, const char*, va_list) {
  ++static_cast<TiffMessages*>(userData)->warnings;
  return 1;
}

struct OptionsDeleter {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

} // namespace

TiffHandle::TiffHandle(const std::string& path, const char* mode)
    : messages_(std::make_unique<TiffMessages>()) {
  SilenceTiffLibrary();
  std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
  if (!options)
    return;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(kMaxAllocation));
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), CountError, messages_.get());
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), CountWarning, messages_.get());
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

// Opening TIFF files for the page copier: every handle carries the
// allocation cap, and the library's messages are dropped, never shown.
#pragma once

#include <memory>
#include <string>
#include <tiffio.h>

namespace tiffcopy {

class TiffHandle {
public:
  // mode as for TIFFOpen ("r", "w", "a"); check ok() afterwards.
  TiffHandle(const std::string& path, const char* mode);
  ~TiffHandle();
  TiffHandle(const TiffHandle&) = delete;
  TiffHandle& operator=(const TiffHandle&) = delete;

  bool ok() const { return tiff_ != nullptr; }
  TIFF* get() const { return tiff_; }
  // Closes the file now (writing what the library still holds).
  void close();

private:
  TIFF* tiff_ = nullptr;
};

// Makes the library's process-wide handlers discard every message, for the
// few it reports before a handle exists.
void SilenceTiffLibrary();

} // namespace tiffcopy

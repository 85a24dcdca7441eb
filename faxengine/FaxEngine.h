// Turns one fax document of any supported kind into a normalised bilevel
// TIFF. One engine per document; the single-file conversion drives it.
#pragma once

#include "faxengine/ConversionSettings.h"
#include "faxengine/FaxDocInfo.h"

#include <string>

class FaxEngine {
public:
  FaxEngine();
  ~FaxEngine();
  FaxEngine(const FaxEngine&) = delete;
  FaxEngine& operator=(const FaxEngine&) = delete;

  void SetSettings(const ConversionSettings& settings);
  const ConversionSettings& Settings() const;

  // Opens and examines the document; -1 when it cannot be opened, else 0.
  int Identify(const std::string& path, int faxFormat);
  // True when page 1 decoded to at least one pixel and one line.
  bool IsFax() const;
  // Picks up the document's optional texts (sidecar file for some formats).
  void ReadDocInfo(const std::string& path, int faxFormat);
  // Writes every page; 0 on success.
  int WriteTiff(const std::string& outputPath, int faxFormat);
  void CloseAll();

  const FaxDocInfo& DocInfo() const;

private:
  ConversionSettings settings_;
  FaxDocInfo docInfo_;
  bool recognised_ = false;
};

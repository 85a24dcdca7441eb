// The stages a document passes through on its way to a PDF, behind one small
// interface so that the single-file conversion can be driven with doubles.
#pragma once

#include "faxengine/ConversionSettings.h"
#include "faxengine/FaxDocInfo.h"
#include "faxengine/FaxFormat.h"
#include "pdf/PdfWriter.h"
#include "tiffcopy/TiffCopier.h"

#include <memory>
#include <string>

// One fax document being read by the engine, for one conversion.
class FaxDocument {
public:
  virtual ~FaxDocument() = default;
  virtual int Identify(const std::string& path, FaxFormat faxFormat) = 0;
  virtual bool IsFax() = 0;
  virtual void ReadDocInfo(const std::string& path, FaxFormat faxFormat) = 0;
  virtual int WriteTiff(const std::string& outputPath, FaxFormat faxFormat) = 0;
  virtual void CloseAll() = 0;
  virtual FaxDocInfo DocInfo() = 0;
};

class ConversionStages {
public:
  virtual ~ConversionStages() = default;
  virtual std::unique_ptr<FaxDocument> OpenFaxDocument(const ConversionSettings& settings) = 0;
  virtual int CopyTiffImages(const std::string& input, const std::string& output,
                             const CopyOptions& options) = 0;
  virtual int ConvertTiffToPdf(const std::string& input, const std::string& output, int compression,
                               const PdfDocInfo& info) = 0;
};

// The real stages: the fax engine, the TIFF page copier and the PDF writer.
ConversionStages& RealStages();

#include "batch/ConversionStages.h"

#include "faxengine/FaxEngine.h"
#include "platform/Termination.h"

namespace {

class EngineDocument final : public FaxDocument {
public:
  explicit EngineDocument(const ConversionSettings& settings) { engine_.SetSettings(settings); }
  int Identify(const std::string& path, FaxFormat faxFormat) override {
    return engine_.Identify(path, faxFormat);
  }
  bool IsFax() override { return engine_.IsFax(); }
  void ReadDocInfo(const std::string& path, FaxFormat faxFormat) override {
    engine_.ReadDocInfo(path, faxFormat);
  }
  int WriteTiff(const std::string& outputPath, FaxFormat faxFormat) override {
    return engine_.WriteTiff(outputPath, faxFormat);
  }
  void CloseAll() override { engine_.CloseAll(); }
  FaxDocInfo DocInfo() override { return engine_.DocInfo(); }

private:
  FaxEngine engine_;
};

class Stages final : public ConversionStages {
public:
  std::unique_ptr<FaxDocument> OpenFaxDocument(const ConversionSettings& settings) override {
    return std::make_unique<EngineDocument>(settings);
  }
  int CopyTiffImages(const std::string& input, const std::string& output,
                     const CopyOptions& options) override {
    return ::CopyTiffImages(input, output, options);
  }
  int ConvertTiffToPdf(const std::string& input, const std::string& output, int compression,
                       const PdfDocInfo& info) override {
    const platform::UnfinishedOutput unfinished(output);
    return ::ConvertTiffToPdf(input, output, compression, info);
  }
};

} // namespace

ConversionStages& RealStages() {
  static Stages stages;
  return stages;
}

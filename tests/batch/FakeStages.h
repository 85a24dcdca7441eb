// Test doubles for the conversion stages: each stage's result is chosen by
// the test, every call is recorded, and a successful PDF stage writes a
// small file so that later steps (times, backup) have something to act on.
#pragma once

#include "batch/ConversionStages.h"
#include "batch/ConvertFile.h"
#include "support/Scratch.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

struct FakeStages : ConversionStages {
  // Chosen results.
  int identifyResult = 0;
  bool isFax = true;
  int writeResult = 0;
  int copyResult = 0;
  int pdfResult = 0;
  bool throwInWrite = false;
  FaxDocInfo docInfo;

  // What happened.
  std::vector<std::string> calls;
  std::vector<int> copySelectors;
  std::vector<PdfDocInfo> pdfInfos;
  std::vector<std::string> pdfOutputs;

  struct Document : FaxDocument {
    explicit Document(FakeStages& s) : stages(s) {}
    int Identify(const std::string& path, FaxFormat format) override {
      stages.calls.push_back("Identify " + path + " " + std::to_string(int(format)));
      return stages.identifyResult;
    }
    bool IsFax() override { return stages.isFax; }
    void ReadDocInfo(const std::string&, FaxFormat) override { stages.calls.push_back("ReadDocInfo"); }
    int WriteTiff(const std::string& output, FaxFormat) override {
      stages.calls.push_back("WriteTiff " + output);
      if (stages.throwInWrite)
        throw std::runtime_error("disk on fire");
      return stages.writeResult;
    }
    void CloseAll() override { stages.calls.push_back("CloseAll"); }
    FaxDocInfo DocInfo() override { return stages.docInfo; }
    ~Document() override { stages.calls.push_back("~Engine"); }
    FakeStages& stages;
  };

  std::unique_ptr<FaxDocument> OpenFaxDocument(const ConversionSettings&) override {
    calls.push_back("Engine");
    return std::make_unique<Document>(*this);
  }
  int CopyTiffImages(const std::string& input, const std::string& output,
                     const CopyOptions& options) override {
    calls.push_back("Copy " + input + " -> " + output);
    copySelectors.push_back(options.compression);
    return copyResult;
  }
  int ConvertTiffToPdf(const std::string& input, const std::string& output, int,
                       const PdfDocInfo& info) override {
    calls.push_back("Pdf " + input + " -> " + output);
    pdfInfos.push_back(info);
    pdfOutputs.push_back(output);
    if (pdfResult == 0)
      testing_support::WriteFile(output, "%PDF-1.4 fake");
    return pdfResult;
  }
};

// A scratch folder, the fake stages and a job, with the work files in the
// scratch folder.
class StagesFixture : public ::testing::Test {
protected:
  StagesFixture()
      : environment{settings, scratch / "kvtintif.tmp", scratch / "kvtcptif.tmp", stages} {}

  testing_support::ScratchFolder scratch;
  ConversionSettings settings;
  FakeStages stages;
  ConversionEnvironment environment;
  BatchJob job;
};

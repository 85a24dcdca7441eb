#include "batch/ConvertFile.h"

#include "FakeStages.h"
#include "faxengine/FaxEngine.h"
#include "platform/FileTimes.h"
#include "support/Scratch.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

class ConvertFileTest : public StagesFixture {
protected:
  ConvertFileTest() {
    std::filesystem::create_directory(scratch / "in");
    WriteFile(scratch / "in/fax.g3", "coded fax");
    WriteFile(scratch / "in/page.tif", "II*\0");
  }

  int Convert(const std::string& source, const std::string& destination) {
    job.resultText.clear();
    return ConvertFile(environment, job, source, destination);
  }
  std::string Prefix(const std::string& source, const std::string& destination) {
    return source + " --> " + destination + " : ";
  }
};

} // namespace

TEST_F(ConvertFileTest, FaxGoesThroughEngineCopierAndPdfWriter) {
  stages.docInfo.senderComment = "From Anna";
  stages.docInfo.user = "Bo";
  std::string src = scratch / "in/fax.g3", dst = scratch / "out/deeper/fax.pdf";
  EXPECT_EQ(Convert(src, dst), 0);
  EXPECT_EQ(job.resultText, Prefix(src, dst) + "Success !\r\n");
  EXPECT_EQ(stages.calls,
            (std::vector<std::string>{
                "Engine", "Identify " + src + " 0", "ReadDocInfo",
                "WriteTiff " + environment.engineOutputPath,
                "Copy " + environment.engineOutputPath + " -> " + environment.copierOutputPath,
                "Pdf " + environment.copierOutputPath + " -> " + dst, "CloseAll", "~Engine"}));
  EXPECT_EQ(stages.copySelectors, std::vector<int>{6});
  EXPECT_EQ(stages.pdfInfos[0].title, "From Anna");
  EXPECT_FALSE(stages.pdfInfos[0].subject.has_value())
      << "texts the engine did not find stay absent";
  EXPECT_EQ(stages.pdfInfos[0].author, "Bo");
  EXPECT_TRUE(Exists(dst)) << "missing destination folders are created";
  EXPECT_EQ(job.pdfsWritten, 1);
  EXPECT_EQ(job.faxFailures, 0);
}

TEST_F(ConvertFileTest, TiffGoesStraightToTheCopierKeepingCompression) {
  std::string src = scratch / "in/page.tif", dst = scratch / "page.pdf";
  EXPECT_EQ(Convert(src, dst), 0);
  EXPECT_EQ(stages.calls,
            (std::vector<std::string>{"Copy " + src + " -> " + environment.copierOutputPath,
                                      "Pdf " + environment.copierOutputPath + " -> " + dst}));
  EXPECT_EQ(stages.copySelectors, std::vector<int>{-1});
  EXPECT_FALSE(stages.pdfInfos[0].title || stages.pdfInfos[0].subject ||
               stages.pdfInfos[0].author || stages.pdfInfos[0].keywords);
}

TEST_F(ConvertFileTest, EveryStageFailureHasItsCodeAndLine) {
  struct Case {
    const char* source;
    void (*arrange)(FakeStages&);
    int code;
    const char* what;
  } cases[] = {
      {"in/page.tif", [](FakeStages& s) { s.copyResult = -1; }, -3,
       "Error in prearing to pdf conversion"},
      {"in/page.tif", [](FakeStages& s) { s.pdfResult = -2; }, -4, "Error in converting to pdf"},
      {"in/fax.g3", [](FakeStages& s) { s.isFax = false; }, -5, "Not Fax"},
      {"in/fax.g3",
       [](FakeStages& s) {
         s.identifyResult = kEngineWorkFileFailed;
         s.isFax = false;
       },
       -6, "Error Fax"},
      {"in/fax.g3", [](FakeStages& s) { s.writeResult = 1; }, -6, "Error Fax"},
      {"in/fax.g3", [](FakeStages& s) { s.copyResult = -3; }, -7,
       "Error in prearing to pdf conversion"},
      {"in/fax.g3", [](FakeStages& s) { s.pdfResult = -1; }, -8, "Error in converting to pdf"},
  };
  for (const auto& c : cases) {
    stages = FakeStages{};
    c.arrange(stages);
    std::string src = scratch / c.source, dst = scratch / "out.pdf";
    EXPECT_EQ(Convert(src, dst), c.code);
    EXPECT_EQ(job.resultText, Prefix(src, dst) + "Failed : " + src + " - " + c.what + "\r\n");
    EXPECT_EQ(std::count(stages.calls.begin(), stages.calls.end(), "CloseAll"), 0)
        << "CloseAll only after a PDF";
    if (std::string(c.source) == "in/fax.g3") {
      EXPECT_EQ(stages.calls.back(), "~Engine") << "the engine is destroyed on every path";
    }
  }
  EXPECT_EQ(job.pdfsWritten, 0);
  EXPECT_EQ(job.faxFailures, 6) << "\"Not Fax\" is no failure of a fax";
}

TEST_F(ConvertFileTest, AnExceptionFromAStageIsReportedAsItsOwnLine) {
  stages.throwInWrite = true;
  std::string src = scratch / "in/fax.g3", dst = scratch / "out.pdf";
  EXPECT_EQ(Convert(src, dst), -9);
  EXPECT_EQ(job.resultText, Prefix(src, dst) + "Exception : Failed in FAX to PDF conversion\r\n");
}

TEST_F(ConvertFileTest, SourcesThatAreNoRegularFilesFailWithoutReachingTheStages) {
  std::filesystem::create_directory(scratch / "in/folder.tif");
  std::filesystem::create_directory(scratch / "in/folder.g3");
  EXPECT_EQ(Convert(scratch / "in/folder.tif", scratch / "a.pdf"), -3);
  EXPECT_EQ(Convert(scratch / "in/folder.g3", scratch / "b.pdf"), -5);
  EXPECT_EQ(Convert(scratch / "in/missing.g3", scratch / "c.pdf"), -5);
  for (const auto& call : stages.calls)
    EXPECT_TRUE(call == "Engine" || call == "~Engine") << call;
}

TEST_F(ConvertFileTest, SkipsOnlyNonEmptyExistingDestinations) {
  job.skipExisting = true;
  std::string src = scratch / "in/fax.g3";
  WriteFile(scratch / "full.pdf", "x");
  WriteFile(scratch / "empty.pdf", "");
  EXPECT_EQ(Convert(src, scratch / "full.pdf"), 1);
  EXPECT_EQ(job.resultText, Prefix(src, scratch / "full.pdf") +
                                "Skipped : " + scratch / "full.pdf" + " already exist!\r\n");
  EXPECT_EQ(Convert(src, scratch / "empty.pdf"), 0);
  EXPECT_EQ(job.faxFailures, 0);
}

TEST_F(ConvertFileTest, SaveFolderThatCannotBeCreated) {
  WriteFile(scratch / "blocker", "a file where a folder should be");
  std::string dst = scratch / "blocker/sub/out.pdf";
  EXPECT_EQ(Convert(scratch / "in/fax.g3", dst), -2);
  EXPECT_EQ(job.resultText, Prefix(scratch / "in/fax.g3", dst) +
                                "Failed to create save dir : " + scratch / "blocker/sub" + "\r\n");
  EXPECT_TRUE(stages.calls.empty());
  EXPECT_EQ(job.faxFailures, 1);
}

TEST_F(ConvertFileTest, KeepDateCopiesTheSourceTimes) {
  platform::FileTimes times{{1300000000, 0}, {1400000000, 0}};
  ASSERT_TRUE(platform::WriteFileTimes(scratch / "in/fax.g3", times));
  job.keepDate = true;
  EXPECT_EQ(Convert(scratch / "in/fax.g3", scratch / "dated.pdf"), 0);
  EXPECT_EQ(platform::ReadFileTimes(scratch / "dated.pdf")->modification.tv_sec, 1400000000);
}

TEST_F(ConvertFileTest, KeepDateFailuresStillCountAsWritten) {
  job.keepDate = true;
  // The PDF stage "succeeds" without writing: the times cannot be set on it.
  struct NoFileStages : FakeStages {
    int ConvertTiffToPdf(const std::string&, const std::string&, int, const PdfDocInfo&) override {
      return 0;
    }
  } noFile;
  ConversionEnvironment env{settings, environment.engineOutputPath, environment.copierOutputPath,
                            noFile};
  EXPECT_EQ(ConvertFile(env, job, scratch / "in/fax.g3", scratch / "never.pdf"), -2);
  EXPECT_TRUE(job.resultText.ends_with("Success !\r\n"));
  EXPECT_EQ(job.pdfsWritten, 1);
  EXPECT_EQ(job.faxFailures, 0);
}

TEST_F(ConvertFileTest, BackupMoveAfterSuccessNeverReplacesAndNeverAfterFailure) {
  std::filesystem::create_directory(scratch / "bak");
  job.backupFolder = scratch / "bak";
  job.keepDate = true;
  EXPECT_EQ(Convert(scratch / "in/fax.g3", scratch / "fax.pdf"), 0);
  EXPECT_FALSE(Exists(scratch / "in/fax.g3"));
  EXPECT_EQ(ReadFile(scratch / "bak/fax.g3"), "coded fax");

  WriteFile(scratch / "in/fax.g3", "second fax");
  EXPECT_EQ(Convert(scratch / "in/fax.g3", scratch / "fax2.pdf"), 0);
  EXPECT_EQ(ReadFile(scratch / "in/fax.g3"), "second fax")
      << "a file of that name is already backed up";
  EXPECT_EQ(ReadFile(scratch / "bak/fax.g3"), "coded fax");

  stages.isFax = false;
  WriteFile(scratch / "in/other.g3", "not a fax");
  EXPECT_EQ(Convert(scratch / "in/other.g3", scratch / "other.pdf"), -5);
  EXPECT_TRUE(Exists(scratch / "in/other.g3"));
}

TEST_F(ConvertFileTest, RefusesToWriteThePdfOverItsOwnSource) {
  std::string src = scratch / "in/page.tif";
  EXPECT_EQ(Convert(src, src), -10);
  EXPECT_EQ(job.resultText, Prefix(src, src) + "Failed : " + src +
                                " - Source and destination are the same file\r\n");
  EXPECT_TRUE(stages.calls.empty());
  EXPECT_EQ(ReadFile(src), std::string("II*\0"));
}

TEST_F(ConvertFileTest, StaleWorkFilesAreRemovedBeforeEachDocument) {
  WriteFile(environment.engineOutputPath, "left by an earlier document");
  WriteFile(environment.copierOutputPath, "left by an earlier document");
  stages.writeResult = 0;
  stages.copyResult = -1;
  Convert(scratch / "in/fax.g3", scratch / "x.pdf");
  EXPECT_FALSE(Exists(environment.engineOutputPath));
  EXPECT_FALSE(Exists(environment.copierOutputPath));
}

TEST(ConvertFileNames, PerPageNamesCutOnlyTheFileNamesExtension) {
  EXPECT_EQ(PerPageTiffPath("/out/a.b/fax", 0), "/out/a.b/fax001.tif");
  EXPECT_EQ(PerPageTiffPath("/tmp/kvtintif.tmp", 1), "/tmp/kvtintif002.tif");
  EXPECT_EQ(PerPageTiffPath("fax.x.tmp", 998), "fax.x999.tif");
  EXPECT_EQ(PerPageTiffPath("fax.tmp", 999), "fax1000.tif")
      << "page 1000 must not reuse page 0's name";
}

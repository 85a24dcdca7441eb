#include "batch/FolderConversion.h"

#include "FakeStages.h"
#include "support/Scratch.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

class FolderConversionTest : public StagesFixture {
protected:
  FolderConversionTest() {
    job.source = scratch / "in";
    job.destination = scratch / "out";
    for (const char* folder : {"in", "in/sub", "in/sub.g3", "in/sub/deep"})
      std::filesystem::create_directory(scratch / folder);
    for (const char* file :
         {"in/a.g3", "in/b.tif", "in/notes.txt", "in/old.zip", "in/done.pdf", "in/xpdf",
          "in/sub/c.g3", "in/sub/a.g3", "in/sub.g3/d.g3", "in/sub/deep/e.fmf"})
      WriteFile(scratch / file, "x");
  }

  std::vector<std::string> Collected() {
    job.fileList.clear();
    EXPECT_TRUE(CollectFiles(job, job.source, job.includeSubfolders));
    auto list = job.fileList;
    std::sort(list.begin(), list.end());
    return list;
  }
};

} // namespace

TEST_F(FolderConversionTest, CollectsRelativePathsLeavingOutNamesThatAreNeverFaxes) {
  EXPECT_EQ(Collected(), (std::vector<std::string>{"a.g3", "b.tif", "done.pdf", "xpdf"}));
  job.includeSubfolders = true;
  EXPECT_EQ(Collected(),
            (std::vector<std::string>{"a.g3", "b.tif", "done.pdf", "sub.g3/d.g3", "sub/a.g3",
                                      "sub/c.g3", "sub/deep/e.fmf", "xpdf"}));
}

TEST_F(FolderConversionTest, TheFilterAlsoDecidesWhichSubFoldersAreEntered) {
  job.includeSubfolders = true;
  job.filter = "*.G3";
  EXPECT_EQ(Collected(), (std::vector<std::string>{"a.g3", "sub.g3/d.g3"}));
}

TEST_F(FolderConversionTest, TrailingSeparatorsOnAnyFolderChangeNoName) {
  const std::string in = job.source, out = job.destination, backup = scratch / "bak";
  std::filesystem::create_directory(backup);
  job.includeSubfolders = true;
  job.keepHierarchy = true;
  job.filter = "*.g3";
  for (const char* inTail : {"", "/", "//"})
    for (const char* outTail : {"", "/", "//"}) {
      SCOPED_TRACE(std::string("source tail '") + inTail + "', destination tail '" + outTail + "'");
      job.source = in + inTail;
      job.destination = out + outTail;
      job.backupFolder = backup + outTail;
      WriteFile(in + "/sub.g3/d.g3", "x");
      EXPECT_EQ(Collected(), (std::vector<std::string>{"a.g3", "sub.g3/d.g3"}));
      job.fileList = {"sub.g3/d.g3"};
      stages.pdfOutputs.clear();
      ASSERT_EQ(ConvertList(environment, job), 0);
      EXPECT_EQ(stages.pdfOutputs, std::vector<std::string>{out + "/sub.g3/d.pdf"});
      EXPECT_TRUE(Exists(backup + "/d.g3"));
      std::filesystem::remove(backup + "/d.g3");
    }
}

TEST_F(FolderConversionTest, DoesNotWalkIntoLinksToFolders) {
  std::filesystem::create_directory_symlink(scratch / "in", scratch / "in/sub/loop");
  job.includeSubfolders = true;
  auto list = Collected();
  EXPECT_EQ(std::count_if(list.begin(), list.end(),
                          [](auto& p) { return p.find("loop") != std::string::npos; }),
            0);
}

TEST_F(FolderConversionTest, AnUnreadableSourceFolderIsReported) {
  job.source = scratch / "missing";
  EXPECT_FALSE(CollectFiles(job, job.source, false));
  EXPECT_TRUE(job.fileList.empty());
  EXPECT_EQ(job.unreadableFolders, std::vector<std::string>{job.source});
}

TEST_F(FolderConversionTest, DestinationNames) {
  const std::string in = job.source, out = job.destination;
  EXPECT_EQ(DestinationNameFor(job, in + "/sub/a.g3"), out + "/a.pdf");
  job.keepExtension = true;
  EXPECT_EQ(DestinationNameFor(job, in + "/sub/a.g3"), out + "/a.g3.pdf");
  job.keepExtension = false;
  job.keepHierarchy = true;
  EXPECT_EQ(DestinationNameFor(job, in + "/sub/a.g3"), out + "/sub/a.pdf");
  // A dot in a folder name is no extension of a dot-less file name.
  EXPECT_EQ(DestinationNameFor(job, in + "/sub.g3/received"), out + "/sub.g3/received.pdf");
  EXPECT_EQ(DestinationNameFor(job, in + "/.hidden"), out + "/.hidden.pdf");
}

TEST_F(FolderConversionTest, KeepHierarchyReplacesOnlyTheLeadingSourceFolder) {
  job.source = "in";
  job.destination = "out";
  job.keepHierarchy = true;
  EXPECT_EQ(DestinationNameFor(job, "in/incoming/x.g3"), "out/incoming/x.pdf");
}

TEST_F(FolderConversionTest, ConvertListWritesHeadingLinesAndTotal) {
  job.includeSubfolders = true;
  job.keepHierarchy = true;
  job.fileList = {"a.g3", "done.pdf", "sub/c.g3", "xpdf"};
  job.skipExisting = true;
  ASSERT_EQ(ConvertList(environment, job), 0);
  const std::string in = job.source, out = job.destination;
  EXPECT_EQ(job.resultText, "Tarvelo command line mode : convert folder\r\nSource Folder: " + in +
                                "\r\nSave Folder: " + out + "\r\n" + in + "/a.g3 --> " + out +
                                "/a.pdf : Success !\r\n" + in +
                                "/done.pdf : already PDF format, need no converting!\n" + in +
                                "/sub/c.g3 --> " + out + "/sub/c.pdf : Success !\r\n" + in +
                                "/xpdf : already PDF format, need no converting!\n" +
                                "\r\n---------\r\nTotal converted FAX files: 2\r\n");
  EXPECT_FALSE(job.skipExisting) << "a folder request overwrites existing PDF files";
  EXPECT_TRUE(Exists(out + "/sub/c.pdf"));
}

TEST_F(FolderConversionTest, FailuresAndSkipsAreNotCounted) {
  stages.isFax = false;
  stages.copyResult = -1;
  job.fileList = {"a.g3", "b.tif"};
  ASSERT_EQ(ConvertList(environment, job), 0);
  EXPECT_TRUE(job.resultText.ends_with("Total converted FAX files: 0\r\n"));
  EXPECT_NE(job.resultText.find("a.g3 - Not Fax\r\n"), std::string::npos);
  EXPECT_NE(job.resultText.find("b.tif - Error in prearing to pdf conversion\r\n"),
            std::string::npos);
  EXPECT_EQ(job.pdfsWritten, 0);
  EXPECT_EQ(job.faxFailures, 1) << "the TIFF failed; the stray non-fax does not count as a failure";
}

TEST_F(FolderConversionTest, EmptyListAndMissingDestination) {
  ASSERT_EQ(ConvertList(environment, job), 0);
  EXPECT_TRUE(job.resultText.ends_with("\r\n---------\r\nTotal converted FAX files: 0\r\n"));
  job.destination.clear();
  job.resultText = "untouched";
  EXPECT_EQ(ConvertList(environment, job), -1);
  EXPECT_EQ(job.resultText, "untouched");
}

// The command-line program must not pay for the window: no GUI toolkit among
// the libraries it names, the ones the loader resolves for it, or the ones a
// conversion actually loads (the window module is opened only in windowed mode).
#include "support/Scratch.h"
#include "support/TiffFixtures.h"
#include "support/Tools.h"

#include <gtest/gtest.h>

using namespace testing_support;

TEST(CommandLineLinkage, NoQtLibraryIsNamedResolvedOrLoaded) {
  ScratchFolder scratch;
  TiffPageSpec page;
  page.raster = TextLikePage(1728, 200);
  WriteTiffFile(scratch / "fax.tif", {page});
  const ToolRun conversion =
      RunTool({QuorrenPath(), "/q", "/f=" + scratch / "fax.tif", "/sf=" + scratch / "fax.pdf",
               "/log=" + scratch / "log.txt"},
              {"LD_DEBUG=files", "TMPDIR=" + scratch.path()});
  ASSERT_EQ(conversion.exitCode, 0) << conversion.errors;

  const struct {
    const char* listing;
    std::string text;
  } listings[] = {
      {"readelf -d (NEEDED)", RunTool({"readelf", "-d", QuorrenPath()}).output},
      {"ldd", RunTool({"ldd", QuorrenPath()}).output},
      {"objects loaded by a conversion (LD_DEBUG)", conversion.errors},
  };
  for (const auto& [listing, text] : listings) {
    // The TIFF library is a direct dependency: seeing it proves the listing
    // is real, so an empty or failed one cannot pass.
    EXPECT_NE(text.find("libtiff"), std::string::npos) << listing << ":\n" << text;
    EXPECT_EQ(text.find("libQt"), std::string::npos) << listing << ":\n" << text;
    EXPECT_EQ(text.find("libtarvelo_gui"), std::string::npos) << listing << ":\n" << text;
  }
}

#include "faxengine/FaxEngine.h"

#include "faxengine/AwdStub.h"
#include "faxengine/RawFaxReader.h"
#include "faxengine/TiffFaxReader.h"
#include "platform/DirWalk.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

// FaxFormat numbers handled by the readers of this file.
constexpr int kFormatAwd = 3;
constexpr int kFormatFmf = 10;
constexpr int kFormatTiffLike = 17;

// TIFF-structured documents ("fmf", "g3n", TIFF-like "g3f").
class TiffDocument : public FaxFormatReader {
public:
  int Identify(const std::string& path, ConversionSettings& settings, bool& recognised) override {
    reader_.Open(path);
    if (!reader_.IsOpen())
      return -1;
    if (reader_.Detect() == 0) {
      settings.pageCount = reader_.CountPages();
      recognised = true;
    }
    return 0;
  }
  void DecodePage(std::uint16_t index, PageRaster& raster, const ConversionSettings&) override {
    reader_.DecodePage(index, raster);
  }
  int WriteTiff(const std::string& outputPath, const ConversionSettings&,
                const PageRaster&) override {
    if (!reader_.IsOpen())
      return -1;
    return reader_.WriteTiff(outputPath);
  }
  void Close() override { reader_.Close(); }

protected:
  TiffFaxReader reader_;
};

// AWD documents: the outside converter turns them into a TIFF first. When it
// cannot run, the reader stays closed and page 1 decodes to nothing.
class AwdDocument : public TiffDocument {
public:
  int Identify(const std::string& path, ConversionSettings& settings, bool& recognised) override {
    reader_.Close();
    if (RunAwdStub(path, settings.engineTiffPath) != 0)
      return 0;
    return TiffDocument::Identify(settings.engineTiffPath, settings, recognised);
  }
  int WriteTiff(const std::string& outputPath, const ConversionSettings& settings,
                const PageRaster&) override {
    return TiffFaxReader::CopyTiff(settings.engineTiffPath, outputPath, "wb");
  }
};

// The one place that maps a FaxFormat to its reader; nothing for a format
// whose reader this build does not have (the document is then not a fax).
std::unique_ptr<FaxFormatReader> MakeFormatReader(int faxFormat) {
  switch (faxFormat) {
  case kFormatAwd:
    return std::make_unique<AwdDocument>();
  case kFormatFmf:
  case kFormatTiffLike:
    return std::make_unique<TiffDocument>();
  default:
    // Anything outside 1..18 may be a bare Group 3 / Group 4 stream.
    if (faxFormat < 1 || faxFormat > 18)
      return std::make_unique<RawFaxDocument>();
    return nullptr;
  }
}

bool EndsWithIgnoringCase(const std::string& text, const std::string& suffix) {
  if (text.size() < suffix.size())
    return false;
  return std::equal(suffix.begin(), suffix.end(), text.end() - suffix.size(), [](char a, char b) {
    return std::tolower((unsigned char)a) == std::tolower((unsigned char)b);
  });
}

// The sidecar of a "g3n"/"g3f" document: its name with "CTL" for the last
// three characters, or, on a case-sensitive file system, the one file of
// the folder whose name matches that in any case.
std::string FindSidecar(const std::string& documentPath) {
  std::string sidecar = documentPath.substr(0, documentPath.size() - 3) + "CTL";
  if (platform::IsRegularFile(sidecar))
    return sidecar;
  std::string name = platform::FileNameOf(sidecar);
  std::string folder = platform::FolderOf(sidecar);
  auto entries = platform::ListFolder(folder.empty() ? "." : folder, name);
  if (!entries)
    return {};
  for (const platform::FolderEntry& entry : *entries) {
    if (entry.kind == platform::EntryKind::File && entry.name.size() == name.size() &&
        EndsWithIgnoringCase(entry.name, name))
      return folder.empty() ? entry.name : folder + platform::kSeparator + entry.name;
  }
  return {};
}

// One line of a sidecar, without its line ending ("\n" or "\r\n").
struct SidecarLine {
  std::string text;
  // The length the line's tests compare: its line ending counts as one
  // character, as a text-mode read gives it, so "Comment: From: " followed
  // by nothing still passes the test for more than 15 characters.
  std::size_t length = 0;
};

// Reads the next line in pieces of at most 199 characters.
bool ReadSidecarLine(std::FILE* file, SidecarLine& line) {
  char buffer[200];
  if (!std::fgets(buffer, sizeof buffer, file))
    return false;
  line.text = buffer;
  bool ended = !line.text.empty() && line.text.back() == '\n';
  while (!line.text.empty() && (line.text.back() == '\n' || line.text.back() == '\r'))
    line.text.pop_back();
  line.length = line.text.size() + (ended ? 1 : 0);
  return true;
}

// The sender comment, acceptance line and user of a sidecar, found in that
// order, each scan starting at the line where the previous one ended.
FaxDocInfo ReadSidecar(std::FILE* file) {
  FaxDocInfo info;
  SidecarLine line;
  bool haveLine = ReadSidecarLine(file, line);
  auto scanTo = [&](const char* label) {
    while (haveLine && line.text.find(label) == std::string::npos)
      haveLine = ReadSidecarLine(file, line);
    return haveLine;
  };
  if (!scanTo("Comment: From: "))
    return info;
  if (line.length > 15)
    info.senderComment = line.text.substr(9);
  if (!scanTo("Accepted: "))
    return info;
  if (line.length > 10)
    info.acceptanceLine = line.text;
  if (!scanTo("User: "))
    return info;
  if (line.length > 6)
    info.user = line.text.substr(6);
  return info;
}

} // namespace

std::string PerPageTiffPath(const std::string& outputPath, std::uint16_t index) {
  std::size_t nameStart = outputPath.rfind(platform::kSeparator);
  nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
  std::size_t dot = outputPath.rfind('.');
  std::string stem =
      dot != std::string::npos && dot >= nameStart ? outputPath.substr(0, dot) : outputPath;
  char number[8];
  std::snprintf(number, sizeof number, "%03u", unsigned(index) + 1);
  return stem + number + ".tif";
}

FaxEngine::FaxEngine() = default;
FaxEngine::~FaxEngine() = default;

void FaxEngine::SetSettings(const ConversionSettings& settings) { settings_ = settings; }
const ConversionSettings& FaxEngine::Settings() const { return settings_; }

int FaxEngine::Identify(const std::string& path, int faxFormat) {
  faxFormat_ = faxFormat;
  reader_ = MakeFormatReader(faxFormat);
  if (!reader_)
    return -1;
  int result = reader_->Identify(path, settings_, recognised_);
  if (result != 0)
    return result;
  DecodePage(0);
  return 0;
}

bool FaxEngine::IsFax() const { return recognised_; }

int FaxEngine::DecodePage(std::uint16_t index) {
  raster_ = PageRaster();
  if (reader_)
    reader_->DecodePage(index, raster_, settings_);
  recognised_ = raster_.width >= 1 && raster_.height >= 1;
  return 0;
}

void FaxEngine::ReadDocInfo(const std::string& path, int faxFormat) {
  if (faxFormat != kFormatTiffLike ||
      !(EndsWithIgnoringCase(path, ".g3f") || EndsWithIgnoringCase(path, ".g3n")))
    return;
  docInfo_ = FaxDocInfo();
  std::string sidecar = FindSidecar(path);
  if (sidecar.empty())
    return;
  std::FILE* file = std::fopen(sidecar.c_str(), "r");
  if (!file)
    return;
  docInfo_ = ReadSidecar(file);
  std::fclose(file);
}

// With tiffOutputMode 1 a reader that can writes one TIFF per page as asked,
// and the document is still written whole, so that the PDF always holds
// every page and never depends on files left by an earlier document.
int FaxEngine::WriteTiff(const std::string& outputPath, int faxFormat) {
  if (!reader_ || faxFormat != faxFormat_)
    return -1;
  if (settings_.tiffOutputMode == 1 && reader_->WritesPerPage()) {
    int perPage = reader_->WriteTiffPerPage(outputPath, settings_);
    if (perPage != 0)
      return perPage;
  }
  return reader_->WriteTiff(outputPath, settings_, raster_);
}

void FaxEngine::CloseAll() {
  if (reader_)
    reader_->Close();
}

const FaxDocInfo& FaxEngine::DocInfo() const { return docInfo_; }

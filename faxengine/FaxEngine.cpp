#include "faxengine/FaxEngine.h"

#include "faxengine/FaxFormatReader.h"
#include "platform/DirWalk.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

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

FaxEngine::FaxEngine() = default;
FaxEngine::~FaxEngine() = default;

void FaxEngine::SetSettings(const ConversionSettings& settings) { settings_ = settings; }
const ConversionSettings& FaxEngine::Settings() const { return settings_; }

int FaxEngine::Identify(const std::string& path, FaxFormat faxFormat) {
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
  if (reader_) {
    reader_->DecodePage(index, raster_, settings_);
    reader_->ReadDocInfo(index, docInfo_);
  }
  recognised_ = raster_.width >= 1 && raster_.height >= 1;
  return 0;
}

void FaxEngine::ReadDocInfo(const std::string& path, FaxFormat faxFormat) {
  if (faxFormat != FaxFormat::TiffLike ||
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

int FaxEngine::WriteTiff(const std::string& outputPath, FaxFormat faxFormat) {
  if (!reader_ || faxFormat != faxFormat_)
    return -1;
  return reader_->WriteTiff(outputPath, settings_, raster_);
}

void FaxEngine::CloseAll() {
  if (reader_)
    reader_->Close();
}

const FaxDocInfo& FaxEngine::DocInfo() const { return docInfo_; }

#include "faxengine/FaxEngine.h"

// Placeholder until the format readers land: no document is recognised, so
// every conversion through the engine reports "Not Fax".
FaxEngine::FaxEngine() = default;
FaxEngine::~FaxEngine() = default;

void FaxEngine::SetSettings(const ConversionSettings& settings) { settings_ = settings; }
const ConversionSettings& FaxEngine::Settings() const { return settings_; }
int FaxEngine::Identify(const std::string&, int) { return -1; }
bool FaxEngine::IsFax() const { return recognised_; }
void FaxEngine::ReadDocInfo(const std::string&, int) {}
int FaxEngine::WriteTiff(const std::string&, int) { return -1; }
void FaxEngine::CloseAll() {}
const FaxDocInfo& FaxEngine::DocInfo() const { return docInfo_; }

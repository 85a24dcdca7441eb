// The outside converter that turns an AWD document into a TIFF file. Its
// output is judged by the TIFF fax reader, not by its exit code.
#pragma once

#include <string>

constexpr const char* kAwdStubName = "AWDVSTUB.EXE";

// Deletes outputPath, then runs the stub (beside the executable first, then
// on the PATH) with the arguments /c, inputPath and outputPath and waits for
// it. 0 when it ran; -1 when it cannot be found or started.
int RunAwdStub(const std::string& inputPath, const std::string& outputPath);

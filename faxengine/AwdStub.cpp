#include "faxengine/AwdStub.h"

#include "platform/FileSystem.h"
#include "platform/Process.h"

int RunAwdStub(const std::string& inputPath, const std::string& outputPath) {
  platform::RemoveFileQuietly(outputPath);
  auto program = platform::FindProgram(kAwdStubName);
  if (!program)
    return -1;
  return platform::RunAndWait(*program, {"/c", inputPath, outputPath}).ran ? 0 : -1;
}

// The optional texts a fax document may carry, handed to the PDF writer.
#pragma once

#include <optional>
#include <string>

struct FaxDocInfo {
  std::optional<std::string> senderComment;
  std::optional<std::string> acceptanceLine;
  std::optional<std::string> user;
};

// Requests that convert nothing and open no window: --help (-h), --version,
// and --plan, which lists what a folder request would convert so that other
// processes can share the work.
#pragma once

#include <optional>
#include <string>
#include <vector>

enum class Query { Help, Version, Plan };

// The query among the arguments, if any; --help wins over --version, and
// both over --plan.
std::optional<Query> QueryIn(const std::vector<std::string>& arguments);

// Answers the query on standard output and returns the exit code.
int RunQuery(Query query, const std::vector<std::string>& arguments);

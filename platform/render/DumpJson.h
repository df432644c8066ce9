#pragma once

#include <nlohmann/json.hpp>
#include <string>

// A JSON value for dumps. Objects keep their keys in insertion order so
// dumps read top-down like the tree they describe.
using Json = nlohmann::ordered_json;

// The dump's text, ending in a newline; an indent of 0 writes it on one line.
// Whole numbers print without a fraction however they were computed, and
// bytes that are not UTF-8 (a title from any player) are replaced, not fatal.
std::string serializeDump(Json dump, int indent = 2);

#pragma once
// The small hand-made files under tests/fixtures, by Windows path, so tests
// open them through the platform layer on every target.

#include <string>

namespace tailpack::test {

// The Windows path of tests/fixtures/<Name> ("/" in Name may separate folders).
std::string FixturePath(const std::string& name);

}  // namespace tailpack::test

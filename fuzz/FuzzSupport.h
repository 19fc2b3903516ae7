#pragma once
// What the fuzz targets share: message boxes that answer at once without a
// word (a reader that shows a box for every broken input would spend the run
// printing), a private folder for the files a reader must find on disk, and
// a way to stop on a broken promise that the sanitizers cannot see.

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Bytes.h"

namespace tailpack::fuzz {

// Installs the silent message boxes; every target calls it first.
void Prepare();

// The Windows path of a file of that name in the run's private folder, with
// the bytes written to it.
std::string WriteTempFile(const std::string& name, const uint8_t* data, size_t size);
// The run's private folder, ending in "\".
std::string TempFolder();

// Ends the run as a crash, so the input is kept, when a promise is broken.
void Check(bool promise, const char* what);

}  // namespace tailpack::fuzz

#pragma once
// Setups signed after they were built: signing a Windows program appends a
// certificate table to its end (padded to 8 bytes) and names it in the
// security entry of the program's PE header. The setup archive then no
// longer ends the file; it ends where the table's padding begins. And a copy
// of the program part alone (an uninstaller's host) must not keep an entry
// that names a table past its end.

#include <cstdint>
#include <optional>

namespace tailpack {

class IFile;

struct TCertificateTable {
  uint64_t Offset = 0;  // file offset of the table
  uint64_t Size = 0;
  uint64_t EntryOffset = 0;  // where the security entry lies in the header
};

// The certificate table a PE file's header names; nothing for a file that is
// no PE program or names none.
std::optional<TCertificateTable> FindCertificateTable(IFile& file);

// Where an archive appended to a file of Length bytes ends: before a
// certificate table (and its zero padding) that follows the archive's
// trailer, else at the end of the file.
uint64_t ArchiveEndBeforeCertificates(IFile& file, uint64_t length);

// Clears the security entry of a program whose table lies (partly) past its
// end, as in a copy of the program part of a signed setup. True when the
// file has no such entry afterwards.
bool DropDanglingCertificateTable(IFile& file);

}  // namespace tailpack

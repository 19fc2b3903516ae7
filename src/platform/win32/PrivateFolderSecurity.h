#pragma once
// The security of private folders: a protected DACL that grants full access
// to the current user, BUILTIN\Administrators and SYSTEM only, inherited by
// everything created inside. Nothing of the parent folder's DACL applies, so
// other users can neither read nor plant files there.

#include <windows.h>

#include <vector>

namespace tailpack::win32 {

class TPrivateFolderSecurity {
 public:
  TPrivateFolderSecurity() = default;
  TPrivateFolderSecurity(const TPrivateFolderSecurity&) = delete;
  TPrivateFolderSecurity& operator=(const TPrivateFolderSecurity&) = delete;

  // Builds the descriptor for the calling thread's user; false when a part of
  // it cannot be made.
  bool Build();
  // Valid after a successful Build, as long as this object lives.
  PSECURITY_DESCRIPTOR Descriptor() { return &descriptor_; }
  SECURITY_ATTRIBUTES Attributes() { return SECURITY_ATTRIBUTES{sizeof(SECURITY_ATTRIBUTES), &descriptor_, FALSE}; }

 private:
  std::vector<std::vector<BYTE>> sids_;
  std::vector<BYTE> acl_;
  SECURITY_DESCRIPTOR descriptor_{};
};

}  // namespace tailpack::win32

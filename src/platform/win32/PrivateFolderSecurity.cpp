#include "platform/win32/PrivateFolderSecurity.h"

#include <algorithm>
#include <optional>

#include "platform/win32/Handles.h"

namespace tailpack::win32 {

namespace {

// A copy of a security identifier in its own memory.
using TSid = std::vector<BYTE>;

std::optional<TSid> CurrentUserSid() {
  HANDLE rawToken = nullptr;
  // An impersonating thread creates folders for the user it stands for.
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &rawToken) &&
      !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &rawToken))
    return std::nullopt;
  TWinHandle token(rawToken);
  DWORD size = 0;
  GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return std::nullopt;
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) return std::nullopt;
  PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
  if (!IsValidSid(sid)) return std::nullopt;
  TSid copy(GetLengthSid(sid));
  if (!CopySid(static_cast<DWORD>(copy.size()), copy.data(), sid)) return std::nullopt;
  return copy;
}

std::optional<TSid> WellKnownSid(WELL_KNOWN_SID_TYPE type) {
  TSid sid(SECURITY_MAX_SID_SIZE);
  DWORD size = static_cast<DWORD>(sid.size());
  if (!CreateWellKnownSid(type, nullptr, sid.data(), &size)) return std::nullopt;
  sid.resize(size);
  return sid;
}

}  // namespace

bool TPrivateFolderSecurity::Build() {
  auto user = CurrentUserSid();
  auto administrators = WellKnownSid(WinBuiltinAdministratorsSid);
  auto system = WellKnownSid(WinLocalSystemSid);
  if (!user || !administrators || !system) return false;
  sids_.clear();
  // Running as SYSTEM makes the user one of the other two; one entry each.
  for (TSid* sid : {&*user, &*administrators, &*system}) {
    bool known = std::any_of(sids_.begin(), sids_.end(),
                             [&](TSid& other) { return EqualSid(sid->data(), other.data()) != 0; });
    if (!known) sids_.push_back(std::move(*sid));
  }
  DWORD aclSize = sizeof(ACL);
  for (TSid& sid : sids_) aclSize += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sid.data());
  acl_.assign(aclSize, 0);
  auto acl = reinterpret_cast<PACL>(acl_.data());
  if (!InitializeAcl(acl, aclSize, ACL_REVISION)) return false;
  for (TSid& sid : sids_)
    if (!AddAccessAllowedAceEx(acl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, FILE_ALL_ACCESS,
                               sid.data()))
      return false;
  return InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
         SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE) &&
         SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
}

}  // namespace tailpack::win32

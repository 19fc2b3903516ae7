#pragma once
// The two fixed digit keys of the product. Every uninstall log and every
// compiled script written by one build can only be read by a build with the
// same keys: changing either digit string breaks every existing log or setup.
// They were chosen once and must never change.

#include <string_view>

namespace tailpack {

// Enciphers every string of "install.log".
inline constexpr std::string_view kUninstallLogKey =
    "5296671428720090168875963036036716997520237043852656547268808495985244204878777965"
    "0083017606870989484714122356522885806167354000971806229299925074579657758612514853"
    "52832469920343297382505201304586685262138103007293103166646128542350839028306019";

// Enciphers parameter 1 of the archive-update lines of a compiled script.
inline constexpr std::string_view kArchiveUpdateKey =
    "6010842946454596621085455402013661439723501981162739017186249952696326207490882571"
    "3285757164409855015378741142156793263299749618094665084818085117702737719611812418"
    "77487410792426852871984252483768106216558146245611037642770705425538283691352046";

static_assert(kUninstallLogKey.size() == 244 && kArchiveUpdateKey.size() == 244);

}  // namespace tailpack

#pragma once
// The names of the setup archive's reserved entries: the builder writes them,
// the setup program and the uninstaller it creates read them, the tool shows
// them. docs/formats/setup-archive.md lists what each holds.

namespace tailpack {

// The setup information record and the compiled script, both in group 0.
inline constexpr char kSetupInfoEntry[] = "SetupInfo";
inline constexpr char kCompiledLinesEntry[] = "CompiledLines";
// One entry per language, named after this prefix.
inline constexpr char kLanguageEntryPrefix[] = "LANGUAGE-";
// The uninstaller's own material: its layout files, languages and icon. The
// uninstaller is given these entries without the prefix.
inline constexpr char kUninstallEntryPrefix[] = "UNINSTALL_";
inline constexpr char kUninstallLanguagePrefix[] = "UNINSTALL_LANGUAGE-";
inline constexpr char kUninstallIconEntry[] = "UNINSTALL_ICON.ICO";
// The program started after an uninstallation.
inline constexpr char kFinaliserEntry[] = "FINALISE.EXE";
// A layout's page configuration; every layout folder holds one.
inline constexpr char kPagesEntry[] = "Pages.txt";

}  // namespace tailpack

# The layers of the source tree and the edges between them: the one table the
# build (src/CMakeLists.txt links each layer's library to the ones named here)
# and the layer check (tests/layers/CheckLayers.cmake) both read.
#
# A unit is a folder under src/; a folder not listed belongs to the unit of its
# first name (src/script/commands is part of script). TAILPACK_LAYER_USES_<unit>
# lists the units it may include directly; what those may include, it may too.
# docs/architecture.md draws the same graph.

set(TAILPACK_LAYER_UNITS
  base platform platform/posix platform/win32 system archive i18n setupinfo uninstall diag gamedata script builder
  runtime wizard ui ui/headless ui/terminal ui/posix ui/win32 app/setup app/tailpack)

set(TAILPACK_LAYER_USES_base "")
set(TAILPACK_LAYER_USES_platform base)
set(TAILPACK_LAYER_USES_platform/posix platform)
set(TAILPACK_LAYER_USES_platform/win32 platform)
set(TAILPACK_LAYER_USES_system platform)
set(TAILPACK_LAYER_USES_archive system)
set(TAILPACK_LAYER_USES_i18n system)
set(TAILPACK_LAYER_USES_setupinfo system)
set(TAILPACK_LAYER_USES_uninstall setupinfo)
set(TAILPACK_LAYER_USES_diag system)
set(TAILPACK_LAYER_USES_gamedata archive i18n uninstall)
set(TAILPACK_LAYER_USES_script archive i18n setupinfo uninstall gamedata)
set(TAILPACK_LAYER_USES_builder script)
set(TAILPACK_LAYER_USES_runtime script diag)
set(TAILPACK_LAYER_USES_wizard runtime)
set(TAILPACK_LAYER_USES_ui wizard)
set(TAILPACK_LAYER_USES_ui/headless ui)
set(TAILPACK_LAYER_USES_ui/terminal ui/headless)
set(TAILPACK_LAYER_USES_ui/posix ui/terminal)
set(TAILPACK_LAYER_USES_ui/win32 ui/headless platform/win32)
# The setup program runs on the user's machine: it holds no builder code.
# Its main() installs the headless message boxes as the fallback.
set(TAILPACK_LAYER_USES_app/setup ui ui/headless)
set(TAILPACK_LAYER_USES_app/tailpack builder)

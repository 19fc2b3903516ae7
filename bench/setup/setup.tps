; The benchmark setup: the payload folder beside this script installed into
; the installation folder, an uninstall log and an uninstaller registered in
; the system's list, as a real product's setup does. bench/run.sh copies this
; folder beside each generated payload and builds it there.
name "Tailpack Bench"
shortname "Tailpack Bench"
installdir "$PROGRAMFILES\Tailpack Bench"
prefix Bench
pages wizard
uninstallpages uninstall
language English
uninstalllanguage English

file payload\

; The demo setup: every page type, two languages, a change log, a payload in
; several folders, registry values, shortcuts, a URL protocol, a question that
; branches, and an uninstaller with its own pages and languages.
;
; Build it:   tailpack build examples/demo/setup.tps
; Run it:     see README.md

name "Tailpack Demo"
shortname "Tailpack Demo"
outfile demo-setup.exe
installdir "$PROGRAMFILES\Tailpack Demo"
installdirregkey HKCU "Software\Tailpack Demo" InstallPath
prefix TailpackDemo
changelog changes.rtf
pages wizard
uninstallpages uninstall
language English
language Deutsch
uninstalllanguage English
uninstalllanguage Deutsch

; The program and its data.
message "<LANG30>"
file payload\bin\ bin
file payload\data\ data
file payload\docs\ docs

; Optional extras: ask first.
messagebox "Install the extra levels as well?" "Tailpack Demo" extras noextras
extras:
file payload\extras\ data\extras
goto registry
noextras:
message "<LANG31>"

registry:
writeregstr HKCU "Software\Tailpack Demo" InstallPath "$INSTDIR"
writeregstr HKCU "Software\Tailpack Demo" Language "$LANGUAGESELECTION"
writeregstr_url tailpackdemo "$INSTDIR\bin\demo.exe,0" "$INSTDIR\bin\demo.exe" "%1"
createdirectory "$INSTDIR\saves"
createshortcut "$SMPROGRAMS\Tailpack Demo\Tailpack Demo.lnk" "$INSTDIR\bin\demo.exe" ""
createshortcut "$DESKTOP\Tailpack Demo.lnk" "$INSTDIR\bin\demo.exe" "" "$INSTDIR\bin\demo.ico"

; The set-up's job written for NSIS 3, the usual script-driven installer: welcome, licence,
; the disc's package run with a progress page, the same registry values, English and French.
; Only a yardstick for tools/bench: built with
;   makensis -DLICENCES=<folder> -DOUT=<installer> orvalis_nsis.nsi
; where LICENCES holds the disc's licence_en.txt and license_fr.txt as UTF-8 with a byte
; order mark (makensis here cannot convert the French text's code page itself), and run
; from the disc's top folder, as setup.exe is.
Unicode true
!ifdef AMD64
  Target amd64-unicode  ; -DAMD64: a 64-bit installer, for machines that run no 32-bit programs
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel highest
Name "Vorda Orvalis Tool Kit"
Caption "$(SetupTitle)"
OutFile "${OUT}"
InstallDir "$PROGRAMFILES\Vorda\OrvalisToolkit"
ShowInstDetails nevershow

!include "MUI2.nsh"

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "$(LicenceFile)"
!insertmacro MUI_PAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "French"

LangString SetupTitle ${LANG_ENGLISH} "Vorda Orvalis Tool Kit Installation"
LangString SetupTitle ${LANG_FRENCH} "Installation du kit d'outils Vorda Orvalis"
LangString ManagerName ${LANG_ENGLISH} "Vorda Orvalis Tool Kit Manager"
LangString ManagerName ${LANG_FRENCH} "Gestionnaire du kit d'outils Vorda Orvalis"
LicenseLangString LicenceFile ${LANG_ENGLISH} "${LICENCES}/license_en.txt"
LicenseLangString LicenceFile ${LANG_FRENCH} "${LICENCES}/license_fr.txt"

!define CLIENT_KEY "Software\VORDA\OrvalisToolKit\ClientInstall"
!define PRODUCT_KEY "Software\VORDA\OrvalisTOOLKit"


Section "Tool Kit"
  ; Where the disc is, for the kit's programs.
  WriteRegStr HKLM "${CLIENT_KEY}" "BinaryRoot" "$EXEDIR"
  WriteRegStr HKLM "${CLIENT_KEY}" "LocalContentRoot" "$EXEDIR\content"
  WriteRegStr HKLM "${CLIENT_KEY}" "LocalXMLPath" "$EXEDIR\xml"
  WriteRegStr HKLM "${CLIENT_KEY}" "UninstallDisplayName" "$(ManagerName)"
  WriteRegDWORD HKLM "${CLIENT_KEY}" "InstalledLanguage" $LANGUAGE
  WriteRegDWORD HKLM "${CLIENT_KEY}" "CancelPressed" 0
  WriteRegDWORD HKLM "${CLIENT_KEY}" "ClientHandle" $HWNDPARENT
  WriteRegStr HKLM "${PRODUCT_KEY}" "Installation_Directory" "$INSTDIR"

  ; The package installs the kit; its exit code says whether it did.
  ClearErrors
  ExecWait '"$EXEDIR\package\OrvalisKit.exe" -r -s' $0
  IfErrors failed
  IntCmp $0 0 0 failed failed
  WriteRegDWORD HKLM "${CLIENT_KEY}" "InstallStatus" 4
  WriteRegDWORD HKLM "${CLIENT_KEY}" "ClientInstalled" 1
  ; The disc's own registry script comes last.
  ExecWait 'regedit /s "$EXEDIR\ORTK.REG"'
  Return
failed:
  Abort
SectionEnd

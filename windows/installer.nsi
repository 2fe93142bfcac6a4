; The Vexilor installer: for the one user who runs it, without administrator
; rights, into one folder under the user's local programs. /S installs
; silently. scripts/windows fills in VERSION, STAGE (the folder holding the
; program with everything it loads, its licence, THIRD-PARTY.md and its
; source), OUTFILE and LICENSE (the GPL's text, shown before anything else).
; A 64-bit installer for a 64-bit program (and Wine without its 32-bit half).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"

Name "Vexilor ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vexilor"
InstallDirRegKey HKCU "Software\Orrendal\Vexilor-Setup" "InstallDir"
BrandingText "Vexilor ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1031 "ProductName" "Vexilor"
VIAddVersionKey /LANG=1031 "FileDescription" "Vexilor ${VERSION} installieren"
VIAddVersionKey /LANG=1031 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "CompanyName" "Orrendal"
VIAddVersionKey /LANG=1031 "LegalCopyright" "Orrendal"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
; The GPL asks nothing of who only uses the program, so it is shown, not to
; be accepted.
!define MUI_LICENSEPAGE_TEXT_TOP "Vexilor ist freie Software unter der GNU General Public License, Version 3 oder später."
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Sie müssen diese Lizenz nicht annehmen, um Vexilor zu benutzen. Sie regelt, wie Sie Vexilor weitergeben und verändern dürfen; der Quelltext wird als „Quelltext.zip“ mit installiert."
!define MUI_LICENSEPAGE_BUTTON "&Weiter >"
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vexilor"

Section "Vexilor"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  ; A running copy keeps its files open; the operator is asked to close it.
  retry:
  ClearErrors
  Delete "$INSTDIR\Vexilor.exe"
  IfErrors 0 +3
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Vexilor läuft noch. Bitte beenden Sie Vexilor und wählen Sie dann „Wiederholen“." /SD IDCANCEL IDRETRY retry
    Abort
  ; Everything gathered, LICENSE (without a dot in its name) among it.
  File /r "${STAGE}/*"
  WriteUninstaller "$INSTDIR\Deinstallieren.exe"
  CreateShortcut "$SMPROGRAMS\Vexilor.lnk" "$INSTDIR\Vexilor.exe"
  WriteRegStr HKCU "Software\Orrendal\Vexilor-Setup" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Vexilor"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Orrendal"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vexilor.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Deinstallieren.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Deinstallieren.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The program's files go; the settings and the results (the registry and the
; data folder) stay, as they are the club's.
Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\Vexilor.lnk"
  RMDir /r "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\Orrendal\Vexilor-Setup"
SectionEnd

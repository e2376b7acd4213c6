; Per-user installer of Brindora Pro: no administrator rights, the saver in
; %LOCALAPPDATA%\Programs\Brindora Pro (so the settings file beside it stays
; writable), made the current screen saver, with an uninstaller that puts the
; previous screen saver back.
;
; makensis -DVERSION=1.1 -DSCR_X86=<file> -DSCR_X64=<file> -DICON=<ico> -DOUTFILE=<file> [-DX64] BrindoraPro.nsi
; With -DX64 the stub is 64-bit and holds only the x64 saver; without it the
; 32-bit stub holds both and picks the one that matches the running Windows.

!ifdef X64
  Target amd64-unicode
!else
  Target x86-unicode
!endif

!include "MUI2.nsh"
!include "x64.nsh"

!define PRODUCT "Brindora Pro"
!define PUBLISHER "Brindora"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\BrindoraPro"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SCR "BrindoraPro.scr"
!define INI "Brindora-Pro.ini"
; SystemParametersInfoW: SPI_SETSCREENSAVEACTIVE, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_SAVE_AND_TELL 3

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
SetCompressor /SOLID lzma
ShowInstDetails nevershow
ShowUninstDetails nevershow
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\${SCR}"
!define MUI_FINISHPAGE_RUN_PARAMETERS "/c"
!define MUI_FINISHPAGE_RUN_TEXT "Choose the photos and music now"
!define MUI_FINISHPAGE_TEXT "${PRODUCT} is now your screen saver."
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  ; Only the program is written: an existing settings file is the user's and
  ; survives an upgrade untouched.
!ifdef X64
  File "/oname=${SCR}" "${SCR_X64}"
!else
  ${If} ${RunningX64}
    File "/oname=${SCR}" "${SCR_X64}"
  ${Else}
    File "/oname=${SCR}" "${SCR_X86}"
  ${EndIf}
!endif
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Windows runs the screen saver by the short path it finds here.
  GetFullPathName /SHORT $1 "$INSTDIR\${SCR}"
  ; Remember what was set before, on the first install only: a re-install over
  ; our own copy must not record itself as the screen saver to go back to.
  ClearErrors
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "DisplayName"
  ${If} ${Errors}
    ClearErrors
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${IfNot} ${Errors}
      WriteRegStr HKCU "${UNINSTALL_KEY}" "PreviousScreenSaver" $0
    ${EndIf}
    ClearErrors
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    ${IfNot} ${Errors}
      WriteRegStr HKCU "${UNINSTALL_KEY}" "PreviousScreenSaveActive" $0
    ${EndIf}
  ${EndIf}

  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $1
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  System::Call "user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_SAVE_AND_TELL})"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${SCR},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize 0 $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  ; Put the previous screen saver back, or none if there was none, but leave
  ; alone one the user chose after installing us.
  GetFullPathName /SHORT $1 "$INSTDIR\${SCR}"
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $0 == $1
    ClearErrors
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "PreviousScreenSaver"
    ${If} ${Errors}
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $0
    ${EndIf}
    ClearErrors
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "PreviousScreenSaveActive"
    ${If} ${Errors}
      DeleteRegValue HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" $0
    ${EndIf}
  ${EndIf}

  Delete "$INSTDIR\${SCR}"
  Delete "$INSTDIR\${INI}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

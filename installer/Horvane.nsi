; Horvane-setup.exe: installs Horvane for every user of the machine into Program Files, with
; its time service, Start-menu entries and the start with Windows; its uninstaller removes
; all of it again. "/S" runs either silently, "/D=PATH" (last on the command line) chooses
; the folder. Made by the build: makensis -DVERSION=... -DSTAGE=... -DLISTS=... -DOUTFILE=...

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"

!define PRODUCT "Horvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Horvane"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define MAIN_WINDOW_CLASS "HorvaneMainFrame"
!define SERVICE "HorvaneTime"
; Well-known SIDs, so that the rights read the same on a machine in any language.
!define SYSTEM_SID "*S-1-5-18"
!define ADMINISTRATORS_SID "*S-1-5-32-544"
!define USERS_SID "*S-1-5-32-545"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "The Horvane developers"

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetShellVarContext all
  ; An earlier install is updated where it is.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

; The running program holds its files open and writes its settings when it closes: ask it
; to close, as its own Exit command would.
!macro CloseProgram un
Function ${un}CloseProgram
  FindWindow $0 "${MAIN_WINDOW_CLASS}"
  ${If} $0 <> 0
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    Sleep 500
  ${EndIf}
FunctionEnd
!macroend
!insertmacro CloseProgram ""
!insertmacro CloseProgram "un."

Section "Horvane"
  Call CloseProgram
  ; The service keeps its program open; it is started again below.
  nsExec::Exec '"$SYSDIR\sc.exe" stop ${SERVICE}'
  Pop $0
  Sleep 1000

  SetOutPath "$INSTDIR"
  !include "${LISTS}\install.nsh"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The folder: administrators and SYSTEM may change it, users may only read and run it,
  ; also when it was chosen outside Program Files. Whoever could replace the service's
  ; program would run code as the service.
  nsExec::ExecToLog '"$SYSDIR\icacls.exe" "$INSTDIR" /inheritance:r /grant:r ${SYSTEM_SID}:(OI)(CI)F ${ADMINISTRATORS_SID}:(OI)(CI)F ${USERS_SID}:(OI)(CI)RX /T /Q'
  Pop $0
  ; The settings stay beside the program, as the program expects: users may write that one
  ; file (not delete it, nor add others beside it).
  ${IfNot} ${FileExists} "$INSTDIR\config.txt"
    FileOpen $0 "$INSTDIR\config.txt" w
    FileClose $0
  ${EndIf}
  nsExec::ExecToLog '"$SYSDIR\icacls.exe" "$INSTDIR\config.txt" /grant ${USERS_SID}:(R,W) /Q'
  Pop $0

  ; The service approves the built-in servers only: config.txt is the users' to write, and
  ; a server there is approved only by an administrator's "HorvaneTime approve".
  DetailPrint "Installing the time service"
  nsExec::ExecToLog '"$INSTDIR\HorvaneTime.exe" install --defaults-only'
  Pop $0
  ${If} $0 != 0
    DetailPrint "The time service was not installed (exit code $0); Horvane sets the clock itself where it may."
  ${EndIf}

  ; Every user's log-on starts the program; the path is quoted, so that no shorter path of
  ; it can be read as the program.
  WriteRegStr HKLM "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\Horvane.exe"'

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\Horvane.exe"
  ${If} ${FileExists} "$INSTDIR\Horvane.chm"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} Help.lnk" "$INSTDIR\Horvane.chm"
  ${EndIf}
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Horvane developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\Horvane.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Call un.CloseProgram
  ; Stops and removes the service and its configuration.
  nsExec::ExecToLog '"$INSTDIR\HorvaneTime.exe" uninstall'
  Pop $0
  DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT}"

  !include "${LISTS}\uninstall.nsh"
  Delete "$INSTDIR\config.txt"
  Delete "$INSTDIR\config.txt.tmp"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} Help.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey /ifempty HKLM "Software\${PRODUCT}"
SectionEnd

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
!include "StrFunc.nsh"
${StrStr}

!define PRODUCT "Horvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Horvane"
; The program reads this to know it is the installed copy, whose settings live per user.
!define INSTALL_KEY "Software\Horvane"
!define INSTALL_DIR_VALUE "InstallDir"
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

; The service keeps its program open: an installed one must be stopped before its file is
; replaced. "sc stop" says only that it asked (and fails for a service that was not running),
; so what counts is the state "sc query" reports afterwards.
Function StopService
  ReadRegStr $1 HKLM "SYSTEM\CurrentControlSet\Services\${SERVICE}" "ImagePath"
  ${If} $1 == ""
    Return
  ${EndIf}
  nsExec::Exec '"$SYSDIR\sc.exe" stop ${SERVICE}'
  Pop $0
  StrCpy $2 0
  ${Do}
    Sleep 500
    nsExec::ExecToStack '"$SYSDIR\sc.exe" query ${SERVICE}'
    Pop $0
    Pop $1
    ${StrStr} $3 $1 "STOPPED"
    ${If} $3 != ""
      Return
    ${EndIf}
    IntOp $2 $2 + 1
  ${LoopUntil} $2 >= 30
  SetErrorLevel 2
  MessageBox MB_ICONSTOP|MB_OK "The running time service could not be stopped (sc.exe exit code $0)." /SD IDOK
  Abort "The running time service could not be stopped."
FunctionEnd

; Runs a command and stops the whole (un)installation when it fails: a half-made install
; (a folder users can still write to, a service without its configuration) must not pass
; for a good one. Exit code 2 tells a silent caller.
!macro MustRun WHAT COMMAND
  nsExec::ExecToLog '${COMMAND}'
  Pop $0
  ${If} $0 != 0
    SetErrorLevel 2
    MessageBox MB_ICONSTOP|MB_OK "${WHAT} failed (exit code $0).$\r$\nThe installation is not complete; run the installer again as an administrator." /SD IDOK
    Abort "${WHAT} failed (exit code $0)."
  ${EndIf}
!macroend

!macro MustWriteRegStr KEY NAME VALUE
  ClearErrors
  WriteRegStr HKLM "${KEY}" "${NAME}" '${VALUE}'
  ${If} ${Errors}
    SetErrorLevel 2
    MessageBox MB_ICONSTOP|MB_OK "Could not write HKLM\${KEY}\${NAME}.$\r$\nThe installation is not complete." /SD IDOK
    Abort "Could not write HKLM\${KEY}\${NAME}."
  ${EndIf}
!macroend

Section "Horvane"
  Call CloseProgram
  ; The service keeps its program open; it is started again below.
  Call StopService

  ; The folder first: a folder a user made beforehand (outside Program Files) is taken from
  ; that user before anything goes into it. Administrators own it; its ACL is reset (which
  ; drops every right given to someone by name) and then set to SYSTEM and Administrators
  ; full control, Users read and run, nothing inherited. Whoever could replace the
  ; service's program would run code as the service.
  CreateDirectory "$INSTDIR"
  !insertmacro MustRun "Taking ownership of $INSTDIR" '"$SYSDIR\icacls.exe" "$INSTDIR" /setowner ${ADMINISTRATORS_SID} /T /C /Q'
  !insertmacro MustRun "Resetting the permissions of $INSTDIR" '"$SYSDIR\icacls.exe" "$INSTDIR" /reset /T /C /Q'
  !insertmacro MustRun "Setting the permissions of $INSTDIR" '"$SYSDIR\icacls.exe" "$INSTDIR" /inheritance:r /grant:r ${SYSTEM_SID}:(OI)(CI)F ${ADMINISTRATORS_SID}:(OI)(CI)F ${USERS_SID}:(OI)(CI)RX /T /C /Q'

  SetOutPath "$INSTDIR"
  !include "${LISTS}\install.nsh"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; What was just laid down inherits the folder's ACL. Each user's settings live in their own
  ; profile; a config.txt an administrator puts here holds the defaults for new users.
  !insertmacro MustWriteRegStr "${INSTALL_KEY}" "${INSTALL_DIR_VALUE}" "$INSTDIR"

  ; The service approves the built-in servers only: a server in a config.txt is approved
  ; only by an administrator's "HorvaneTime approve" (or by policy).
  DetailPrint "Installing the time service"
  !insertmacro MustRun "Installing the time service" '"$INSTDIR\HorvaneTime.exe" install --defaults-only'

  ; Every user's log-on starts the program; the path is quoted, so that no shorter path of
  ; it can be read as the program.
  !insertmacro MustWriteRegStr "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\Horvane.exe"'

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
  !insertmacro MustRun "Removing the time service" '"$INSTDIR\HorvaneTime.exe" uninstall'
  DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT}"
  DeleteRegValue HKLM "${INSTALL_KEY}" "${INSTALL_DIR_VALUE}"

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

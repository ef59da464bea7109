; The per-user installer: no administrator rights, the program and its Data
; folder under %LOCALAPPDATA%\Programs\CorvaneNotification, a Start-menu
; entry, and an uninstaller registered under the current user's Uninstall
; key. makensis gets VERSION, PROGRAM (the executable), DATA (the Data
; folder) and OUTFILE with /D.
; A 64-bit installer for the 64-bit program: it runs where a 32-bit one
; would need the 32-bit subsystem (plain 64-bit wine has none).
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include LogicLib.nsh
!include WinMessages.nsh

!define APP "CorvaneNotification"
!define EXE "corvane-notification.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The running program is known by its hidden main window's class and by the
; mutex that keeps it to one instance (app/win32/MainUnit.cpp and
; app/win32/program_win32.cpp name them).
!define WINDOW_CLASS "CorvaneNotificationMainForm"
!define INSTANCE_MUTEX "CorvaneNotification"
!define SYNCHRONIZE 0x00100000
; How long a running program gets to switch its devices back and end:
; rounds of 250 ms, 60 s in all.
!define END_ROUNDS 240
; Its window gets WM_CLOSE again every 2 s, in case a message sent while it
; was still starting was not taken.
!define CLOSE_EVERY_ROUNDS 8

Name "${APP}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${APP}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; ${un}EndRunningProgram ends a running copy of the program the way its
; tray menu's Close does: WM_CLOSE to its main window switches the devices
; back and ends the program. It waits until the process has ended, so its
; executable can be replaced or removed. $0 is "ended" when no copy runs
; any more, "running" when one did not end in time.
!macro END_RUNNING_PROGRAM un
Function ${un}EndRunningProgram
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $0 running
  StrCpy $3 0  ; the program's process, once its window is found
  StrCpy $4 0  ; rounds waited
  ${Do}
    FindWindow $1 "${WINDOW_CLASS}"
    ${If} $1 != 0
      ${If} $3 == 0
        System::Call 'user32::GetWindowThreadProcessId(p r1, *i .r2) i'
        System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r2) p .r3'
      ${EndIf}
      IntOp $2 $4 % ${CLOSE_EVERY_ROUNDS}
      ${If} $2 == 0
        SendMessage $1 ${WM_CLOSE} 0 0 /TIMEOUT=1000
      ${EndIf}
    ${Else}
      ; Without its window the program may still be ending (or starting):
      ; the mutex lives as long as it does.
      System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${INSTANCE_MUTEX}") p .r2'
      ${If} $2 == 0
        StrCpy $0 ended
        ${Break}
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p r2)'
    ${EndIf}
    IntOp $4 $4 + 1
    ${If} $4 >= ${END_ROUNDS}
      ${Break}
    ${EndIf}
    Sleep 250
  ${Loop}
  ; The mutex goes before the process has quite ended; its executable is
  ; free only then.
  ${If} $3 != 0
    ${If} $0 == ended
      System::Call 'kernel32::WaitForSingleObject(p r3, i 10000) i .r2'
      ${If} $2 != 0
        StrCpy $0 running
      ${EndIf}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r3)'
  ${EndIf}
  Pop $4
  Pop $3
  Pop $2
  Pop $1
FunctionEnd
!macroend
!insertmacro END_RUNNING_PROGRAM ""
!insertmacro END_RUNNING_PROGRAM "un."

; Stops the installer or uninstaller with exit status 2, after telling the
; user unless it runs silently. Nothing was changed by then.
!macro FAIL_WITH message
  MessageBox MB_OK|MB_ICONSTOP "${message}" /SD IDOK
  SetErrorLevel 2
  Abort "${message}"
!macroend

!define STILL_RUNNING "${APP} is running and did not close. Close it from its tray icon's menu, then try again."

Section "Install"
  SetShellVarContext current
  ; An older copy may be running from this folder: its executable cannot be
  ; replaced while it runs, and the new one would not start beside it.
  Call EndRunningProgram
  ${If} $0 != ended
    !insertmacro FAIL_WITH "${STILL_RUNNING}"
  ${EndIf}
  SetOutPath "$INSTDIR"
  ClearErrors
  File "/oname=${EXE}" "${PROGRAM}"
  ${If} ${Errors}
    !insertmacro FAIL_WITH "$INSTDIR\${EXE} could not be written."
  ${EndIf}
  File /r "${DATA}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\${EXE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  ; The running program is ended first, so that it switches the devices
  ; back and its executable can go; if it stays, everything stays,
  ; registration included, so the uninstaller can be run again.
  Call un.EndRunningProgram
  ${If} $0 != ended
    !insertmacro FAIL_WITH "${STILL_RUNNING}"
  ${EndIf}
  Delete "$INSTDIR\${EXE}"
  ${If} ${FileExists} "$INSTDIR\${EXE}"
    !insertmacro FAIL_WITH "$INSTDIR\${EXE} could not be removed."
  ${EndIf}
  ; The program's only trace outside its folder is the autostart value.
  DeleteRegValue HKCU "${RUN_KEY}" "${APP}"
  Delete "$SMPROGRAMS\${APP}.lnk"
  RMDir /r "$INSTDIR\Data"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

; The Glimpsebox installer: the edition that fits the system (on 64-bit Windows both, the 64-bit
; one in use), for the current user without elevation or, when chosen, for all users; and the
; uninstaller. makensis gets VERSION, REVISION, BIN32, BIN64 (the two editions' bin folders),
; ICON and OUTFILE from installer/CMakeLists.txt.
;
; Installation folder on 64-bit Windows         on 32-bit Windows
;   Glimpsebox.exe   the 64-bit launcher          Glimpsebox.exe   the 32-bit launcher
;   GLMBX64.DLL                                   GLMBX32.DLL
;   Glimpsebox.chm                                Glimpsebox.chm
;   x86\Glimpsebox.exe, GLMBX32.DLL, Glimpsebox.chm
;   Uninstall.exe                                 Uninstall.exe
; Each edition finds its launcher and its help beside its library, so the start dialog's "Show",
; the log-on entry it writes and the help of the edition in use all stay in one folder.
;
; Command line (also with /S, silent): /ALLUSERS or /CURRENTUSER (the default), /D=folder last.
; The uninstaller: /S, and /REMOVESETTINGS to remove the user's settings as well.

Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma
; Per-user installs need no rights; an all-users install starts itself again, elevated.
RequestExecutionLevel user

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "x64.nsh"

!define PRODUCT "Glimpsebox"
!define COMPANY "Corvantrix"
!define PRODUCT_NUMBER 1192
!define TRAY_CLASS "Corvantrix_GLIMPSEBOX_TBICON"
!define START_DIALOG_TITLE "Glimpsebox XP Edition"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Glimpsebox"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETUP_KEY "Software\Corvantrix\Glimpsebox\Setup"
!define SETTINGS_KEY "Software\Corvantrix\Glimpsebox"
; Bit 0x8 of the machine's "Options": installed for all users (the start dialog reads it).
!define OPTION_ALL_USERS 8

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
InstallDir ""

VIProductVersion "${VERSION}.${REVISION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2006 ${COMPANY}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION} (rev. ${REVISION})"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "OriginalFilename" "${PRODUCT}-${VERSION}-setup.exe"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

Var AllUsers        ; 1 for all users
Var ChosenDir       ; 1 once the folder came from /D= or the directory page
Var RadioMe
Var RadioAll

Page custom ModePage ModeLeave
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Glimpsebox.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Glimpsebox now"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; ---- Shared by the installer and the uninstaller ----

!macro SHARED un
; Whether this process may write the machine's keys and folders.
Function ${un}IsAdmin
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
FunctionEnd

; The process of the first top-level window of class $R0 and title $R1 (empty: any), opened for
; waiting; 0 when there is none.
Function ${un}WindowProcess
  ${If} $R1 == ""
    FindWindow $0 "$R0"
  ${Else}
    FindWindow $0 "$R0" "$R1"
  ${EndIf}
  ${If} $0 == 0
    Return
  ${EndIf}
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
  System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r0'
FunctionEnd

; Ends every running window of the product, of either edition (the tray with its mirror window,
; a start dialog), as the product itself does: sub-code 1 of "CorvantrixMessage" with the
; product number, broadcast. Then waits, at most 10 s each, until their processes are gone,
; so that the files they hold can be replaced or removed.
Function ${un}EndRunning
  StrCpy $R0 "${TRAY_CLASS}"
  StrCpy $R1 ""
  Call ${un}WindowProcess
  StrCpy $R2 $0
  StrCpy $R0 "#32770"
  StrCpy $R1 "${START_DIALOG_TITLE}"
  Call ${un}WindowProcess
  StrCpy $R3 $0
  ${If} $R2 == 0
  ${AndIf} $R3 == 0
    Return
  ${EndIf}
  DetailPrint "Closing the running Glimpsebox"
  System::Call 'user32::RegisterWindowMessageW(w "CorvantrixMessage") i .r1'
  System::Call 'user32::SendNotifyMessageW(p 0xFFFF, i r1, p 1, p ${PRODUCT_NUMBER})'
  ${If} $R2 != 0
    System::Call 'kernel32::WaitForSingleObject(p R2, i 10000)'
    System::Call 'kernel32::CloseHandle(p R2)'
  ${EndIf}
  ${If} $R3 != 0
    System::Call 'kernel32::WaitForSingleObject(p R3, i 10000)'
    System::Call 'kernel32::CloseHandle(p R3)'
  ${EndIf}
FunctionEnd

; Starts this program again elevated with the given arguments and waits for it.
Function ${un}Elevate
  Pop $1
  ${If} ${Silent}
    StrCpy $1 "/S $1"
  ${EndIf}
  ExecShellWait "runas" "$EXEPATH" "$1"
FunctionEnd
!macroend
!insertmacro SHARED ""
!insertmacro SHARED "un."

; ---- Installer ----

Function .onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  StrCpy $AllUsers 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
  ${EndIf}
  StrCpy $ChosenDir 0
  ${If} $INSTDIR != ""
    StrCpy $ChosenDir 1
  ${EndIf}
  Call SetMode
  ${If} ${Silent}
  ${AndIf} $AllUsers == 1
    Call CheckElevation
  ${EndIf}
FunctionEnd

; The shell folders (and the uninstall entry's root) of the chosen mode, and its default folder
; unless one was chosen.
Function SetMode
  ${If} $AllUsers == 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
  Call DefaultDir
  ${If} $ChosenDir == 0
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

Function DefaultDir
  ${If} $AllUsers == 0
    StrCpy $0 "$LOCALAPPDATA\Programs\${PRODUCT}"
  ${ElseIf} ${RunningX64}
    StrCpy $0 "$PROGRAMFILES64\${PRODUCT}"
  ${Else}
    StrCpy $0 "$PROGRAMFILES\${PRODUCT}"
  ${EndIf}
FunctionEnd

; A folder typed by the user stays when the mode changes; the mode's default follows it.
Function DirectoryLeave
  Call DefaultDir
  ${If} $INSTDIR != $0
    StrCpy $ChosenDir 1
  ${EndIf}
FunctionEnd

; An all-users install without the rights for it goes on in an elevated copy of the installer;
; when elevation is refused the choice page stays (a silent install ends).
Function CheckElevation
  Call IsAdmin
  ${If} $0 == 0
    Push "/ALLUSERS /D=$INSTDIR"
    ClearErrors
    Call Elevate
    ${IfNot} ${Errors}
      Quit
    ${EndIf}
    MessageBox MB_ICONEXCLAMATION|MB_OK "Installing Glimpsebox for all users needs administrator rights." /SD IDOK
    Abort
  ${EndIf}
FunctionEnd

Function ModePage
  !insertmacro MUI_HEADER_TEXT "Choose who uses Glimpsebox" "Install it for yourself, or for everyone who uses this computer."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 24u "Glimpsebox can be installed for you alone, which needs no administrator rights, or for all users of this computer."
  Pop $0
  ${NSD_CreateRadioButton} 10u 34u 100% 12u "Only for &me"
  Pop $RadioMe
  ${NSD_CreateRadioButton} 10u 50u 100% 12u "For &all users (needs administrator rights)"
  Pop $RadioAll
  ${If} $AllUsers == 1
    ${NSD_Check} $RadioAll
  ${Else}
    ${NSD_Check} $RadioMe
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ModeLeave
  ${NSD_GetState} $RadioAll $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $AllUsers 1
  ${Else}
    StrCpy $AllUsers 0
  ${EndIf}
  Call SetMode
  ${If} $AllUsers == 1
    Call CheckElevation
  ${EndIf}
FunctionEnd

Section "Glimpsebox"
  SectionIn RO
  Call EndRunning
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    File "${BIN64}/Glimpsebox.exe"
    File "${BIN64}/GLMBX64.DLL"
    File "${BIN64}/Glimpsebox.chm"
    SetOutPath "$INSTDIR\x86"
    File "${BIN32}/Glimpsebox.exe"
    File "${BIN32}/GLMBX32.DLL"
    File "${BIN32}/Glimpsebox.chm"
    SetOutPath "$INSTDIR"
  ${Else}
    File "${BIN32}/Glimpsebox.exe"
    File "${BIN32}/GLMBX32.DLL"
    File "${BIN32}/Glimpsebox.chm"
  ${EndIf}
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Glimpsebox.exe"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Glimpsebox.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0

  ${If} $AllUsers == 1
    ClearErrors
    ReadRegDWORD $0 HKLM "${SETUP_KEY}" "Options"
    ${If} ${Errors}
      StrCpy $0 0
    ${EndIf}
    IntOp $0 $0 | ${OPTION_ALL_USERS}
    WriteRegDWORD HKLM "${SETUP_KEY}" "Options" $0
  ${EndIf}
SectionEnd

; ---- Uninstaller ----

Section "un.Glimpsebox" SecUnProgram
  SectionIn RO
  Call un.EndRunning
  DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  ${If} $AllUsers == 1
    DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT}"
    ; What an edition of the product wrote through the 32-bit view goes as well.
    ${If} ${RunningX64}
      SetRegView 32
      DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT}"
      SetRegView 64
    ${EndIf}
    ClearErrors
    ReadRegDWORD $0 HKLM "${SETUP_KEY}" "Options"
    ${IfNot} ${Errors}
      IntOp $0 $0 & ~${OPTION_ALL_USERS}
      ${If} $0 == 0
        DeleteRegValue HKLM "${SETUP_KEY}" "Options"
      ${Else}
        WriteRegDWORD HKLM "${SETUP_KEY}" "Options" $0
      ${EndIf}
    ${EndIf}
  ${EndIf}
  ; The product records its home folder; a record of this folder would outlive it.
  ReadRegStr $0 HKLM "${SETUP_KEY}" "Home"
  ${If} $0 == $INSTDIR
    DeleteRegValue HKLM "${SETUP_KEY}" "Home"
  ${EndIf}
  DeleteRegKey /ifempty HKLM "${SETUP_KEY}"
  DeleteRegKey /ifempty HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "Software\${COMPANY}"

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete /REBOOTOK "$INSTDIR\x86\Glimpsebox.exe"
  Delete /REBOOTOK "$INSTDIR\x86\GLMBX32.DLL"
  Delete /REBOOTOK "$INSTDIR\x86\Glimpsebox.chm"
  RMDir /REBOOTOK "$INSTDIR\x86"
  Delete /REBOOTOK "$INSTDIR\Glimpsebox.exe"
  Delete /REBOOTOK "$INSTDIR\GLMBX64.DLL"
  Delete /REBOOTOK "$INSTDIR\GLMBX32.DLL"
  Delete /REBOOTOK "$INSTDIR\Glimpsebox.chm"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.Your Glimpsebox settings" SecUnSettings
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\${COMPANY}"
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecUnProgram} "The program files, the Start menu entry and the log-on entries."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecUnSettings} "How your Glimpsebox window looks and where it was last placed."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END

Function un.onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVESETTINGS" $R1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecUnSettings} ${SF_SELECTED}
  ${EndIf}
  ; Installed for all users when the machine's uninstall entry names this folder.
  StrCpy $AllUsers 0
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $AllUsers 1
    SetShellVarContext all
    Call un.IsAdmin
    ${If} $0 == 0
      ${If} ${SectionIsSelected} ${SecUnSettings}
        Push "/REMOVESETTINGS _?=$INSTDIR"
      ${Else}
        Push "_?=$INSTDIR"
      ${EndIf}
      Call un.Elevate
      Quit
    ${EndIf}
  ${Else}
    SetShellVarContext current
  ${EndIf}
FunctionEnd

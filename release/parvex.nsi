; Parvex 2000 installer. scripts/make-release compiles it with makensis:
;   makensis -DVERSION=x.y.z -DEXE32=<i686 parvex.exe> -DEXE64=<x86_64 parvex.exe>
;            -DREADME=<README.txt> -DLICENSE=<LICENSE.txt> -DICON=<parvex.ico>
;            -DEXE32_KB=<size> -DEXE64_KB=<size> -DOUTFILE=<setup.exe> [-DAMD64_STUB]
;            parvex.nsi
; The product is a 32-bit installer, which starts on every Windows. AMD64_STUB
; builds the same script as a 64-bit program, only so that machines that cannot
; run 32-bit programs can still test it.
;
; Command line: /S installs silently; /LOGON then also starts Parvex at log-on;
; /D=<folder> (last) chooses the folder. The uninstaller takes /S; silently it
; keeps the user's settings.

!ifdef AMD64_STUB
  Target amd64-unicode
!else
  Target x86-unicode
!endif

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh

!define PRODUCT "Parvex 2000"
!define PUBLISHER "Brenmark Corporation"
!define EXE "parvex.exe"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Parvex2000"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "${PRODUCT}"
!define SETTINGS_KEY "Software\Brenmark Corporation\Parvex2000"
!define SETTINGS_PARENT "Software\Brenmark Corporation"
; The running program holds a named file mapping under this name.
!define INSTANCE_KEY "Parvex"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} Setup"
UninstallCaption "${PRODUCT} ${VERSION} Uninstall"
BrandingText "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; Program Files and the machine's uninstall list need an administrator.
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 ProductName "${PRODUCT}"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=1033 FileDescription "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 LegalCopyright "Copyright (C) ${PUBLISHER}. All rights reserved."

Var StartAtLogon ; "1" or "0"
Var LogonBox

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TITLE "Welcome to ${PRODUCT} ${VERSION} Setup"
!define MUI_WELCOMEPAGE_TEXT "Setup will install ${PRODUCT} ${VERSION}, the folder monitor of ${PUBLISHER}, on this computer.$\r$\n$\r$\nIf ${PRODUCT} is running, exit it from its tray icon first.$\r$\n$\r$\nClick Next to continue."
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
Page custom OptionsPage OptionsPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "${PRODUCT} ${VERSION} is installed"
!define MUI_FINISHPAGE_TEXT "Start it from the Start menu: ${PRODUCT}.$\r$\n$\r$\nClick Finish to close Setup."
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Files in use cannot be replaced or removed, so neither the installer nor the
; uninstaller goes on while the program runs.
!macro RefuseWhileRunning
  System::Call 'kernel32::OpenFileMappingW(i 4, i 0, w "${INSTANCE_KEY}") p .r0'
  ${If} $0 P<> 0
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} is running.$\r$\n$\r$\nPlease exit Parvex first: right-click its icon in the notification area and choose $\"Exit$\". Then run this again." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!macroend

; The 64-bit build where the machine is natively x64; elsewhere (32-bit Windows,
; and ARM64, whose emulation runs x86 programs on every version) the 32-bit one.
; Its uninstall entry then lives in the matching registry view.
!macro UseNativeView
  ${If} ${IsNativeAMD64}
    SetRegView 64
  ${EndIf}
!macroend

Function .onInit
  !insertmacro RefuseWhileRunning
  !insertmacro UseNativeView
  ; An upgrade goes where the earlier version is, unless /D chose a folder.
  ${If} $INSTDIR == ""
    ReadRegStr $INSTDIR HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${EndIf}
  ${If} $INSTDIR == ""
    ${If} ${IsNativeAMD64}
      StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
    ${Else}
      StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}"
    ${EndIf}
  ${EndIf}
  Call CountOneBuild
  ; Off on a first install; an upgrade keeps the user's earlier choice.
  StrCpy $StartAtLogon 0
  ClearErrors
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${IfNot} ${Errors}
    StrCpy $StartAtLogon 1
  ${EndIf}
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/LOGON" $2
  ${IfNot} ${Errors}
    StrCpy $StartAtLogon 1
  ${EndIf}
FunctionEnd

Function OptionsPage
  !insertmacro MUI_HEADER_TEXT "Options" "Choose how ${PRODUCT} starts."
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateLabel} 0 0 100% 24u "${PRODUCT} keeps running as an icon in the notification area. It can start by itself each time you log on to Windows."
  Pop $0
  ${NSD_CreateCheckbox} 0 32u 100% 12u "Start ${PRODUCT} when I log on"
  Pop $LogonBox
  ${If} $StartAtLogon == 1
    ${NSD_Check} $LogonBox
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function OptionsPageLeave
  ${NSD_GetState} $LogonBox $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $StartAtLogon 1
  ${Else}
    StrCpy $StartAtLogon 0
  ${EndIf}
FunctionEnd

Section "Install" SecInstall
  SetOutPath "$INSTDIR"
  ${If} ${IsNativeAMD64}
    File "/oname=${EXE}" "${EXE64}"
  ${Else}
    File "/oname=${EXE}" "${EXE32}"
  ${EndIf}
  File "/oname=README.txt" "${README}"
  File "/oname=LICENSE.txt" "${LICENSE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; For every user, as the program itself is installed for every user.
  SetShellVarContext all
  CreateShortcut "${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$\"$INSTDIR\${EXE}$\",0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\uninstall.exe$\""
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\uninstall.exe$\" /S"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; In kilobytes, as the list shows it.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; The log-on value belongs to the user who installs, not to the machine.
  ${If} $StartAtLogon == 1
    WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" "$\"$INSTDIR\${EXE}$\""
  ${Else}
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
SectionEnd

; The section holds both builds but installs one: the space needed is without
; the other. (Defined after the section, whose index it names.)
Function CountOneBuild
  SectionGetSize ${SecInstall} $0
  ${If} ${IsNativeAMD64}
    IntOp $0 $0 - ${EXE32_KB}
  ${Else}
    IntOp $0 $0 - ${EXE64_KB}
  ${EndIf}
  SectionSetSize ${SecInstall} $0
FunctionEnd

Function un.onInit
  !insertmacro RefuseWhileRunning
  !insertmacro UseNativeView
FunctionEnd

Section "Uninstall"
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: a text log the user kept there stays.
  RMDir "$INSTDIR"

  SetShellVarContext all
  Delete "${SHORTCUT}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"

  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Also remove your ${PRODUCT} settings (the folders watched and the alarm and mail settings)?" /SD IDNO IDNO keep_settings
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "${SETTINGS_PARENT}"
  keep_settings:
SectionEnd

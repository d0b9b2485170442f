; The setup program of Vesk云会议 (made by packaging/windows/setup.cmake).
; makensis -DVERSION= -DSTAGE=<program folder> -DOUTFILE= -DSIZE_KIB= [-DSIGN_COMMAND=]
; Silent: /S (install and uninstall). Started by the program's update check
; with -upd=true: silent, then starts the new version.
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define PRODUCT "Vesk云会议"
!define PUBLISHER "Vesk"
!define EXE "VeskMeeting.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VeskMeeting"
!define PROTOCOL_KEY "Software\Classes\veskmeet"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\VeskMeeting"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "${PUBLISHER}"

!ifdef SIGN_COMMAND
!uninstfinalize '${SIGN_COMMAND} -in "%1" -out "%1.signed" && mv "%1.signed" "%1"'
!endif

!define MUI_ICON "${STAGE}\icon\logo.ico"
!define MUI_UNICON "${STAGE}\icon\logo.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

Var Update

Function .onInit
  SetShellVarContext all
  StrCpy $Update 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "-upd=" $R1
  ${IfNot} ${Errors}
  ${AndIf} $R1 == "true"
    StrCpy $Update 1
    SetSilent silent
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

; The program that handed over to us may still be ending: wait for its file.
Function WaitForProgramEnd
  StrCpy $0 0
  ${DoWhile} $0 < 100
    ${IfNot} ${FileExists} "$INSTDIR\${EXE}"
      Return
    ${EndIf}
    ClearErrors
    FileOpen $1 "$INSTDIR\${EXE}" a
    ${IfNot} ${Errors}
      FileClose $1
      Return
    ${EndIf}
    Sleep 200
    IntOp $0 $0 + 1
  ${Loop}
FunctionEnd

Section "Install"
  Call WaitForProgramEnd
  SetOutPath "$INSTDIR"
  File /r /x config.ini "${STAGE}\*"
  ; An administrator's settings survive an update.
  SetOverwrite off
  File "${STAGE}\config.ini"
  SetOverwrite on
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ${If} $Update == 0
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0
    CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0
  ${EndIf}

  ; veskmeet:// links start the client with the link as its argument.
  WriteRegStr HKLM "${PROTOCOL_KEY}" "" "URL:veskmeet Protocol"
  WriteRegStr HKLM "${PROTOCOL_KEY}" "URL Protocol" ""
  WriteRegStr HKLM "${PROTOCOL_KEY}\DefaultIcon" "" "$\"$INSTDIR\${EXE}$\",0"
  WriteRegStr HKLM "${PROTOCOL_KEY}\shell\open\command" "" "$\"$INSTDIR\${EXE}$\" $\"%1$\""

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$\"$INSTDIR\${EXE}$\",0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\uninstall.exe$\""
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\uninstall.exe$\" /S"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KIB}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ${If} $Update == 1
    Exec "$\"$INSTDIR\${EXE}$\""
  ${EndIf}
SectionEnd

; Removes what the setup program put there, nothing else: the user's data
; (User.dat, logs, crash reports) lives in the profile and stays.
Section "Uninstall"
  !include "${STAGE}.files.nsh"
  Delete "$INSTDIR\config.ini"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$DESKTOP\${PRODUCT}.lnk"
  DeleteRegKey HKLM "${PROTOCOL_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

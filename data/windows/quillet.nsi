; Quillet's setup program, built by scripts/package-windows.sh:
;   makensis -DVERSION=x.y.z -DSTAGE=dir -DOUTFILE=file quillet.nsi
; STAGE holds quillet.exe, quillet.ico, README.txt and quillet.ini (the
; commented sample).
;
; Per user by default, with no administrator rights; run as administrator it
; offers an installation for all users.  Quillet reads quillet.ini from the
; folder it starts in and writes ham.txt there, so the shortcuts start it in
; a settings folder of the user's own, %LOCALAPPDATA%\Quillet: the server
; folder in it is a path on this machine, and ham.txt can be large, so
; neither belongs in a roaming profile.
;
; Command line (all optional; /S runs without pages):
;   /HAMDIR=folder     the server's folder (the one holding hamster.exe)
;   /WAITFORSYS=n      seconds Quillet waits for the tool's output
;   /DESKTOP           a desktop shortcut as well
;   /AllUsers          for all users (as administrator); /CurrentUser
;   /D=folder          the program folder (last, without quotes)
; The uninstaller keeps the user's quillet.ini and ham.txt unless asked
; otherwise on its page or with /REMOVESETTINGS.

!ifndef VERSION | STAGE | OUTFILE
  !error "VERSION, STAGE and OUTFILE must be defined"
!endif

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
Name "Quillet"
OutFile "${OUTFILE}"
BrandingText "Quillet ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIAddVersionKey ProductName "Quillet"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey FileDescription "Quillet ${VERSION} Setup"
VIAddVersionKey CompanyName "Quillet maintainers"
VIAddVersionKey LegalCopyright "Quillet maintainers"

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillet"

; Highest makes MultiUser offer all users to an administrator; the program
; itself asks for no rights, so a user installs it without a prompt.
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR Quillet
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINST_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME InstallLocation
!include MultiUser.nsh
RequestExecutionLevel user

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

Var HamDir
Var WaitForSys
Var SettingsDir
Var StartIn
Var HamDirField
Var WaitField

!define MUI_ICON "${STAGE}\quillet.ico"
!define MUI_UNICON "${STAGE}\quillet.ico"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "Setup will install Quillet ${VERSION}, a front end for ham.exe, the console tool of the news server hamster.exe.$\r$\n$\r$\nIt asks for the folder that holds the server, and keeps Quillet's settings (quillet.ini) and output (ham.txt) in a folder of your own.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
Page custom ServerPage ServerPageLeave
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Quillet"
!define MUI_FINISHPAGE_RUN_FUNCTION StartQuillet
!define MUI_FINISHPAGE_SHOWREADME
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Open the settings file"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION OpenSettings
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE English

; The settings folder is the user's own also when the program is for all
; users, whose shell folders the all-users context would give instead.
!macro SETTINGS_DIR
  SetShellVarContext current
  StrCpy $SettingsDir "$LOCALAPPDATA\Quillet"
  ${If} $MultiUser.InstallMode == AllUsers
    SetShellVarContext all
  ${EndIf}
!macroend

; The value of the switch $R1 ("/NAME=", or "/NAME" for a flag) in the
; parameters $R0, into $R2; the error flag set when it is absent.  The value
; may be quoted (/NAME="a b"), or the switch as a whole ("/NAME=a b");
; unquoted it ends before the next " /".  GetOptions takes neither quoting.
!macro GET_SWITCH UN
Function ${UN}GetSwitch
  ClearErrors
  StrCpy $R2 ""
  StrLen $R3 $R1
  StrCpy $R5 0
  ${Do}
    StrCpy $R6 $R0 $R3 $R5
    ${If} $R6 == ""
      SetErrors
      Return
    ${EndIf}
    ${IfThen} $R6 == $R1 ${|} ${ExitDo} ${|}
    IntOp $R5 $R5 + 1
  ${Loop}
  StrCpy $R7 ""
  ${If} $R5 > 0
    IntOp $R6 $R5 - 1
    StrCpy $R6 $R0 1 $R6
    ${IfThen} $R6 == "$\"" ${|} StrCpy $R7 "$\"" ${|}
  ${EndIf}
  IntOp $R5 $R5 + $R3
  StrCpy $R2 $R0 "" $R5
  StrCpy $R6 $R2 1
  ${If} $R6 == "$\""
    StrCpy $R7 "$\""
    StrCpy $R2 $R2 "" 1
  ${EndIf}
  StrCpy $R5 0
  ${Do}
    StrCpy $R6 $R2 1 $R5
    ${IfThen} $R6 == "" ${|} ${ExitDo} ${|}
    ${If} $R7 == "$\""
      ${IfThen} $R6 == "$\"" ${|} ${ExitDo} ${|}
    ${Else}
      StrCpy $R6 $R2 2 $R5
      ${IfThen} $R6 == " /" ${|} ${ExitDo} ${|}
    ${EndIf}
    IntOp $R5 $R5 + 1
  ${Loop}
  StrCpy $R2 $R2 $R5
FunctionEnd
!macroend
!insertmacro GET_SWITCH ""
!insertmacro GET_SWITCH un.

; The first usual place that holds hamster.exe, else the first of them.
Function FindServer
  StrCpy $R1 $WINDIR 2
  StrCpy $HamDir "$R1\Hamster"
  ${ForEach} $R2 0 3 + 1
    ${Select} $R2
      ${Case} 0
        StrCpy $R3 "$R1\Hamster"
      ${Case} 1
        StrCpy $R3 "$PROGRAMFILES64\Hamster"
      ${Case} 2
        StrCpy $R3 "$PROGRAMFILES32\Hamster"
      ${Case} 3
        StrCpy $R3 "$R1\Programme\Hamster"
    ${EndSelect}
    ${If} ${FileExists} "$R3\hamster.exe"
      StrCpy $HamDir $R3
      ${Break}
    ${EndIf}
  ${Next}
FunctionEnd

Function ServerPage
  ; An existing quillet.ini is the user's: it is kept, so there is nothing to ask.
  ${If} ${FileExists} "$SettingsDir\quillet.ini"
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "News server" "Where the server is, and how long Quillet waits for its tool."
  nsDialogs::Create 1018
  Pop $R0
  ${NSD_CreateLabel} 0 0 100% 20u "Quillet runs ham.exe from the folder that holds the news server, hamster.exe."
  Pop $R0
  ${NSD_CreateLabel} 0 26u 100% 10u "&Server folder:"
  Pop $R0
  ${NSD_CreateDirRequest} 0 38u 238u 12u $HamDir
  Pop $HamDirField
  ${NSD_CreateBrowseButton} 244u 37u 56u 14u "B&rowse..."
  Pop $R0
  ${NSD_OnClick} $R0 BrowseServer
  ${NSD_CreateLabel} 0 62u 100% 10u "&Seconds to wait after starting ham.exe before reading its output:"
  Pop $R0
  ${NSD_CreateNumber} 0 74u 40u 12u $WaitForSys
  Pop $WaitField
  ${NSD_CreateLabel} 0 100u 100% 30u "Both go into $SettingsDir\quillet.ini, where Quillet keeps its settings and writes its output (ham.txt). You can change them there later."
  Pop $R0
  nsDialogs::Show
FunctionEnd

Function BrowseServer
  ${NSD_GetText} $HamDirField $R0
  nsDialogs::SelectFolderDialog "Choose the folder that holds hamster.exe" $R0
  Pop $R0
  ${If} $R0 != error
    ${NSD_SetText} $HamDirField $R0
  ${EndIf}
FunctionEnd

Function ServerPageLeave
  ${NSD_GetText} $HamDirField $HamDir
  ${NSD_GetText} $WaitField $WaitForSys
  ${If} $HamDir == ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "Please give the folder that holds hamster.exe."
    Abort
  ${EndIf}
  IntOp $WaitForSys $WaitForSys + 0
  ${If} $WaitForSys < 1
    MessageBox MB_OK|MB_ICONEXCLAMATION "The waiting time is a whole number of seconds, 1 or more."
    Abort
  ${EndIf}
  ${IfNot} ${FileExists} "$HamDir\hamster.exe"
    MessageBox MB_YESNO|MB_ICONEXCLAMATION "There is no hamster.exe in$\r$\n$HamDir$\r$\n$\r$\nUse this folder anyway?" IDYES +2
    Abort
  ${EndIf}
FunctionEnd

; Quillet appends "\ham.exe" to the folder.
Function TrimHamDir
  ${DoWhile} $HamDir != ""
    StrCpy $R0 $HamDir 1 -1
    ${If} $R0 != "\"
    ${AndIf} $R0 != "/"
      ${Break}
    ${EndIf}
    StrCpy $HamDir $HamDir -1
  ${Loop}
FunctionEnd

; The sample with the two values put in, every other line kept: the
; system's profile writer would rewrite the file its own way.
Function WriteSettings
  FileOpen $R0 "$PLUGINSDIR\quillet.ini" r
  FileOpen $R1 "$SettingsDir\quillet.ini" w
  ClearErrors
  ${Do}
    FileRead $R0 $R2
    ${IfThen} ${Errors} ${|} ${ExitDo} ${|}
    StrCpy $R3 $R2 7
    ${IfThen} $R3 == "HamDir=" ${|} StrCpy $R2 "HamDir=$HamDir$\r$\n" ${|}
    StrCpy $R3 $R2 11
    ${IfThen} $R3 == "WaitForSys=" ${|} StrCpy $R2 "WaitForSys=$WaitForSys$\r$\n" ${|}
    FileWrite $R1 $R2
  ${Loop}
  FileClose $R0
  FileClose $R1
FunctionEnd

Section "Quillet" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}\quillet.exe"
  File "${STAGE}\README.txt"
  File "/oname=quillet-sample.ini" "${STAGE}\quillet.ini"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SettingsDir"
  ${IfNot} ${FileExists} "$SettingsDir\quillet.ini"
    Call TrimHamDir
    ${IfThen} $HamDir == "" ${|} Call FindServer ${|}
    InitPluginsDir
    SetOutPath "$PLUGINSDIR"
    File "${STAGE}\quillet.ini"
    Call WriteSettings
  ${EndIf}

  ; Shortcuts start in $OUTDIR.  For all users it names each user's own
  ; folder, which the shell fills in when the shortcut is started.
  ${If} $MultiUser.InstallMode == AllUsers
    StrCpy $StartIn "%LOCALAPPDATA%\Quillet"
  ${Else}
    StrCpy $StartIn $SettingsDir
  ${EndIf}
  StrCpy $OUTDIR $StartIn
  CreateShortcut "$SMPROGRAMS\Quillet.lnk" "$INSTDIR\quillet.exe" "" "$INSTDIR\quillet.exe" 0 \
    SW_SHOWNORMAL "" "A front end for ham.exe"

  WriteRegStr SHCTX "${UNINST_KEY}" DisplayName "Quillet"
  WriteRegStr SHCTX "${UNINST_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr SHCTX "${UNINST_KEY}" Publisher "Quillet maintainers"
  WriteRegStr SHCTX "${UNINST_KEY}" DisplayIcon "$\"$INSTDIR\quillet.exe$\",0"
  WriteRegStr SHCTX "${UNINST_KEY}" InstallLocation "$INSTDIR"
  WriteRegStr SHCTX "${UNINST_KEY}" UninstallString "$\"$INSTDIR\uninstall.exe$\" /$MultiUser.InstallMode"
  WriteRegStr SHCTX "${UNINST_KEY}" QuietUninstallString "$\"$INSTDIR\uninstall.exe$\" /$MultiUser.InstallMode /S"
  WriteRegDWORD SHCTX "${UNINST_KEY}" NoModify 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" NoRepair 1
  ${GetSize} "$INSTDIR" "/S=0K" $R0 $R1 $R2
  WriteRegDWORD SHCTX "${UNINST_KEY}" EstimatedSize $R0
SectionEnd

Section /o "Desktop shortcut" SecDesktop
  StrCpy $OUTDIR $StartIn
  CreateShortcut "$DESKTOP\Quillet.lnk" "$INSTDIR\quillet.exe" "" "$INSTDIR\quillet.exe" 0 \
    SW_SHOWNORMAL "" "A front end for ham.exe"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecMain} "Quillet, its README, a sample quillet.ini and a Start menu shortcut."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} "A shortcut on the desktop as well."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function StartQuillet
  SetOutPath "$SettingsDir"
  Exec "$\"$INSTDIR\quillet.exe$\""
FunctionEnd

Function OpenSettings
  Exec "$\"$WINDIR\notepad.exe$\" $\"$SettingsDir\quillet.ini$\""
FunctionEnd

Section "un.Quillet" SecUnMain
  SectionIn RO
  Delete "$INSTDIR\quillet.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\quillet-sample.ini"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Quillet.lnk"
  Delete "$DESKTOP\Quillet.lnk"
  DeleteRegKey SHCTX "${UNINST_KEY}"
SectionEnd

Section /o "un.Your settings and output" SecUnSettings
  Delete "$SettingsDir\quillet.ini"
  Delete "$SettingsDir\ham.txt"
  RMDir "$SettingsDir"
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecUnMain} "The program, its shortcuts and its entry in the list of programs."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecUnSettings} "Your quillet.ini and ham.txt in $SettingsDir. Left alone unless ticked."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END

; After the sections, whose numbers they use.
Function .onInit
  !insertmacro MULTIUSER_INIT
  !insertmacro SETTINGS_DIR
  ${GetParameters} $R0
  StrCpy $R1 "/HAMDIR="
  Call GetSwitch
  StrCpy $HamDir $R2
  ${If} $HamDir == ""
    Call FindServer
  ${EndIf}
  StrCpy $R1 "/WAITFORSYS="
  Call GetSwitch
  StrCpy $WaitForSys $R2
  IntOp $WaitForSys $WaitForSys + 0
  ${If} $WaitForSys < 1
    StrCpy $WaitForSys 1
  ${EndIf}
  StrCpy $R1 "/DESKTOP"
  Call GetSwitch
  ${IfNot} ${Errors}
    SectionSetFlags ${SecDesktop} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
  !insertmacro SETTINGS_DIR
  ${GetParameters} $R0
  StrCpy $R1 "/REMOVESETTINGS"
  Call un.GetSwitch
  ${IfNot} ${Errors}
    SectionSetFlags ${SecUnSettings} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

; Lotwise installer: the two programs, the button icon, the alert sound and the user's guide go
; into the folder that the poller's fixed sound path names; the settings key records that folder.
;   makensis [-DTARGET_AMD64] -DBINDIR=<built programs> -DICON=<icon file> -DSRCDIR=<source folder>
;            -DGUIDEDIR=<HTML guide with its images folder> -DOUTFILE=<setup.exe>
;
; The settings key and the folder keep Windows' default permissions: only administrators write
; them. The programs ask for no execution level, so Windows virtualises a user's writes to them
; into that user's VirtualStore, and settings and searches are per user (see the user's guide).
; The target decides the character set: a Target after "Unicode false" is refused.
!ifdef TARGET_AMD64
  Target amd64-unicode
!else
  Unicode false
!endif
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "MUI2.nsh"

!define PRODUCT "Rure Lotwise"
!define SETTINGS_KEY "SOFTWARE\Rure Lotwise"
!define BUTTON_KEY "SOFTWARE\Microsoft\Internet Explorer\Extensions\{7F0B49E9-7631-4bb9-9B62-B0D717369B29}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Rure Lotwise"
; Where Windows keeps a user's virtual copies of the settings key (32-bit and 64-bit Windows).
!define VIRTUAL_KEYS "Software\Classes\VirtualStore\MACHINE\SOFTWARE"

Name "${PRODUCT}"
Caption "${PRODUCT} Setup"
OutFile "${OUTFILE}"
; The poller plays "c:\program files\rure lotwise\cash-register.wav": on 64-bit Windows that is
; the native Program Files, not the 32-bit one, so the folder is fixed and not offered.
InstallDir "$PROGRAMFILES64\Rure Lotwise"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show

!define MUI_FINISHPAGE_NOREBOOTSUPPORT
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start watching now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartWatching
; The second box: a first-time user meets the manager at once, and an old search list
; (lotwise.ini) is converted there before the poller's next pass.
!define MUI_FINISHPAGE_SHOWREADME
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Open Lotwise Manager"
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION OpenManager
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Stops a running poller and waits until its program file is free: "-k" returns once the poller
; has signalled, and the file stays in use until its process has ended.
!macro StopPoller
  IfFileExists "$INSTDIR\lotwise.exe" 0 +2
    ExecWait '"$INSTDIR\lotwise.exe" -k'
  StrCpy $R0 0
  ${Do}
    ${IfNot} ${FileExists} "$INSTDIR\lotwise.exe"
      ${Break}
    ${EndIf}
    ClearErrors
    FileOpen $R1 "$INSTDIR\lotwise.exe" a
    ${IfNot} ${Errors}
      FileClose $R1
      ${Break}
    ${EndIf}
    IntOp $R0 $R0 + 1
    ${If} $R0 >= 40
      ${Break}
    ${EndIf}
    Sleep 250
  ${Loop}
!macroend

; What the programs keep in their folder, as two lists. Each takes an action macro (called with
; a folder and a file name, which may hold wildcards) and the folder, so that the same list
; serves the installation folder and the user's VirtualStore copy of it.
;
; The user's own data: the search list, the old search list that the manager converts, the
; blocked auctions and the bargain history. "blockedauctions.txt" is the blocked list's temporary
; copy; where the list itself is missing, the copy is the list (the poller puts it back at its
; next lookup).
!macro LotwiseUserData ACTION FOLDER
  !insertmacro ${ACTION} "${FOLDER}" "lotwise2.ini"
  !insertmacro ${ACTION} "${FOLDER}" "lotwise.ini"
  !insertmacro ${ACTION} "${FOLDER}" "alerthistory.txt"
  ${IfNot} ${FileExists} "${FOLDER}\blockedauctions.ini"
    !insertmacro ${ACTION} "${FOLDER}" "blockedauctions.txt"
  ${EndIf}
  !insertmacro ${ACTION} "${FOLDER}" "blockedauctions.ini"
!macroend

; What the programs make again when they need it: the pass log, the working page, the update
; page, the search health and its temporary copy, the search list's and the bargain history's
; temporary copies, the item shortcuts through which the results page opened items, and the
; blocked list's copy beside a whole list.
!macro LotwiseDerivedFiles ACTION FOLDER
  !insertmacro ${ACTION} "${FOLDER}" "lotwise.txt"
  !insertmacro ${ACTION} "${FOLDER}" "temphtml.*"
  !insertmacro ${ACTION} "${FOLDER}" "version.html"
  !insertmacro ${ACTION} "${FOLDER}" "searchhealth.txt"
  !insertmacro ${ACTION} "${FOLDER}" "searchhealth.txt.tmp"
  !insertmacro ${ACTION} "${FOLDER}" "lotwise2.initmp"
  !insertmacro ${ACTION} "${FOLDER}" "alerthistory.txt.tmp"
  !insertmacro ${ACTION} "${FOLDER}" "*.url"
  ${If} ${FileExists} "${FOLDER}\blockedauctions.ini"
    !insertmacro ${ACTION} "${FOLDER}" "blockedauctions.txt"
  ${EndIf}
!macroend

!macro DeleteFiles FOLDER NAME
  Delete "${FOLDER}\${NAME}"
!macroend

; The guide's files, removed before an upgrade brings its own set and on uninstall.
!macro RemoveGuide
  Delete "$INSTDIR\guide\user-guide.html"
  Delete "$INSTDIR\guide\images\*.png"
  RMDir "$INSTDIR\guide\images"
  RMDir "$INSTDIR\guide"
!macroend

Var VirtualFolder

Section "Lotwise"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  ; An upgrade never meets a program file in use.
  !insertmacro StopPoller
  File "${BINDIR}/lotwise.exe"
  File "${BINDIR}/LotwiseMgr.exe"
  File "/oname=icon1.ico" "${ICON}"
  File "${SRCDIR}/installer/cash-register.wav"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  !insertmacro RemoveGuide
  SetOutPath "$INSTDIR\guide"
  File "${GUIDEDIR}/user-guide.html"
  SetOutPath "$INSTDIR\guide\images"
  File "${GUIDEDIR}/images/*.png"
  ; The shortcuts' working folder.
  SetOutPath "$INSTDIR"

  ; No trailing backslash: the programs join file names to it with one.
  WriteRegStr HKLM "${SETTINGS_KEY}" "Folder" "$INSTDIR"

  CreateDirectory "$SMPROGRAMS\Lotwise"
  CreateShortCut "$SMPROGRAMS\Lotwise\Lotwise Manager.lnk" "$INSTDIR\LotwiseMgr.exe"
  ; The same start as the Startup shortcut's, for a poller that was stopped.
  CreateShortCut "$SMPROGRAMS\Lotwise\Start Lotwise.lnk" "$INSTDIR\lotwise.exe"
  CreateShortCut "$SMPROGRAMS\Lotwise\Stop Lotwise.lnk" "$INSTDIR\lotwise.exe" "-k"
  CreateShortCut "$SMPROGRAMS\Lotwise\Lotwise User Guide.lnk" "$INSTDIR\guide\user-guide.html"
  CreateShortCut "$SMPROGRAMS\Lotwise\Uninstall Lotwise.lnk" "$INSTDIR\uninstall.exe"
  ; The continuous poller starts at logon in the installation folder (the shortcut's working
  ; folder is the output folder), where it finds its files by their bare names.
  CreateShortCut "$SMSTARTUP\Lotwise.lnk" "$INSTDIR\lotwise.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\icon1.ico"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; A silent install has no last page: /RUN ticks its first box (only the poller starts).
  ${If} ${Silent}
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/RUN" $1
    ${IfNot} ${Errors}
      Call StartWatching
    ${EndIf}
  ${EndIf}
SectionEnd

; The poller must run as the user who logged on, unelevated, or it would read other files and
; settings than that user's manager. The shell (explorer.exe) runs the Startup shortcut as that
; user, in the shortcut's working folder, exactly as at the next logon.
Function StartWatching
  SetShellVarContext all
  Exec '"$WINDIR\explorer.exe" "$SMSTARTUP\Lotwise.lnk"'
FunctionEnd

; The manager too runs as the user who logged on, through the shell and its Start menu shortcut.
Function OpenManager
  SetShellVarContext all
  Exec '"$WINDIR\explorer.exe" "$SMPROGRAMS\Lotwise\Lotwise Manager.lnk"'
FunctionEnd

; Uninstall: stop the poller first, so no file is in use, then remove what the installer placed
; and what the programs leave behind, in the installation folder and in the uninstalling user's
; VirtualStore copy of it. The user's data stays unless the user asks (a question, or
; /REMOVEDATA on a silent uninstall); then it goes from both places, with that user's virtual
; copies of the settings. Other users' copies are theirs.
Section "Uninstall"
  SetShellVarContext all
  !insertmacro StopPoller
  Call un.FindVirtualFolder
  Delete "$INSTDIR\lotwise.exe"

  Delete "$INSTDIR\LotwiseMgr.exe"
  Delete "$INSTDIR\icon1.ico"
  Delete "$INSTDIR\cash-register.wav"
  !insertmacro RemoveGuide
  !insertmacro LotwiseDerivedFiles DeleteFiles "$INSTDIR"
  ${If} $VirtualFolder != ""
    !insertmacro LotwiseDerivedFiles DeleteFiles "$VirtualFolder"
  ${EndIf}

  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEDATA" $1
  IfErrors 0 remove_data
  IfSilent keep_data
  MessageBox MB_YESNO|MB_DEFBUTTON2|MB_ICONQUESTION \
    "Also remove your saved searches, blocked auctions and bargain history from $INSTDIR?$\r$\n$\r$\nChoose No to keep them: the bargain history stays with your searches." IDNO keep_data
  remove_data:
    !insertmacro LotwiseUserData DeleteFiles "$INSTDIR"
    Call un.RemoveVirtualCopies
  keep_data:
  ; Only when nothing is left in it: no file there is removed by a name not in the lists.
  ${If} $VirtualFolder != ""
    RMDir "$VirtualFolder"
  ${EndIf}

  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Lotwise\Lotwise Manager.lnk"
  Delete "$SMPROGRAMS\Lotwise\Start Lotwise.lnk"
  Delete "$SMPROGRAMS\Lotwise\Stop Lotwise.lnk"
  Delete "$SMPROGRAMS\Lotwise\Lotwise User Guide.lnk"
  Delete "$SMPROGRAMS\Lotwise\Uninstall Lotwise.lnk"
  RMDir "$SMPROGRAMS\Lotwise"
  Delete "$SMSTARTUP\Lotwise.lnk"

  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey HKLM "${BUTTON_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; The uninstalling user's VirtualStore copy of the folder, where that user's programs wrote its
; files: "%LOCALAPPDATA%\VirtualStore" and the folder's path without its drive. Empty for a
; folder at a drive's root, which has no copy of its own.
Function un.FindVirtualFolder
  SetShellVarContext current
  StrCpy $VirtualFolder "$INSTDIR" "" 3
  ${If} $VirtualFolder != ""
    StrCpy $VirtualFolder "$LOCALAPPDATA\VirtualStore\$VirtualFolder"
  ${EndIf}
  SetShellVarContext all
FunctionEnd

; The user's data in the VirtualStore copy of the folder, and the settings key's virtual copies
; (with WOW6432Node on 64-bit Windows).
Function un.RemoveVirtualCopies
  ${If} $VirtualFolder != ""
    !insertmacro LotwiseUserData DeleteFiles "$VirtualFolder"
  ${EndIf}
  SetShellVarContext current
  DeleteRegKey HKCU "${VIRTUAL_KEYS}\Rure Lotwise"
  DeleteRegKey HKCU "${VIRTUAL_KEYS}\WOW6432Node\Rure Lotwise"
  SetShellVarContext all
FunctionEnd

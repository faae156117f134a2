; Lotwise installer: the two programs, the button icon and the alert sound go into the folder
; that the poller's fixed sound path names; the settings key records that folder.
;   makensis [-DTARGET_AMD64] -DBINDIR=<built programs> -DICON=<icon file> -DSRCDIR=<source folder> -DOUTFILE=<setup.exe>
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

  ; No trailing backslash: the programs join file names to it with one.
  WriteRegStr HKLM "${SETTINGS_KEY}" "Folder" "$INSTDIR"

  CreateDirectory "$SMPROGRAMS\Lotwise"
  CreateShortCut "$SMPROGRAMS\Lotwise\Lotwise Manager.lnk" "$INSTDIR\LotwiseMgr.exe"
  CreateShortCut "$SMPROGRAMS\Lotwise\Stop Lotwise.lnk" "$INSTDIR\lotwise.exe" "-k"
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

  ; A silent install has no last page: /RUN ticks its box.
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

; Uninstall: stop the poller first, so no file is in use, then remove what the installer placed
; and what the programs leave behind. The user's searches and blocked auctions stay unless the
; user asks (a question, or /REMOVEDATA on a silent uninstall); then the uninstalling user's
; virtual copies of them and of the settings go too. Other users' copies are theirs.
Section "Uninstall"
  SetShellVarContext all
  !insertmacro StopPoller
  Delete "$INSTDIR\lotwise.exe"

  Delete "$INSTDIR\LotwiseMgr.exe"
  Delete "$INSTDIR\icon1.ico"
  Delete "$INSTDIR\cash-register.wav"
  Delete "$INSTDIR\lotwise.txt"
  Delete "$INSTDIR\temphtml.html"
  Delete "$INSTDIR\temphtml.txt"
  Delete "$INSTDIR\version.html"
  Delete "$INSTDIR\lotwise2.initmp"
  Delete "$INSTDIR\searchhealth.txt"
  Delete "$INSTDIR\searchhealth.txt.tmp"
  Delete "$INSTDIR\blockedauctions.txt"
  Delete "$INSTDIR\*.url"

  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEDATA" $1
  IfErrors 0 remove_data
  IfSilent keep_data
  MessageBox MB_YESNO|MB_DEFBUTTON2|MB_ICONQUESTION \
    "Also remove your saved searches and blocked auctions from $INSTDIR?" IDNO keep_data
  remove_data:
    Delete "$INSTDIR\lotwise2.ini"
    Delete "$INSTDIR\lotwise.ini"
    Delete "$INSTDIR\blockedauctions.ini"
    Call un.RemoveVirtualCopies
  keep_data:

  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Lotwise\Lotwise Manager.lnk"
  Delete "$SMPROGRAMS\Lotwise\Stop Lotwise.lnk"
  Delete "$SMPROGRAMS\Lotwise\Uninstall Lotwise.lnk"
  RMDir "$SMPROGRAMS\Lotwise"
  Delete "$SMSTARTUP\Lotwise.lnk"

  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey HKLM "${BUTTON_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; The uninstalling user's VirtualStore: the folder's files as that user's programs wrote them
; ("%LOCALAPPDATA%\VirtualStore" and the folder's path without its drive), and the settings key
; (with WOW6432Node on 64-bit Windows).
Function un.RemoveVirtualCopies
  SetShellVarContext current
  StrCpy $2 "$INSTDIR" "" 3
  ${If} $2 != ""
    RMDir /r "$LOCALAPPDATA\VirtualStore\$2"
  ${EndIf}
  DeleteRegKey HKCU "${VIRTUAL_KEYS}\Rure Lotwise"
  DeleteRegKey HKCU "${VIRTUAL_KEYS}\WOW6432Node\Rure Lotwise"
  SetShellVarContext all
FunctionEnd

; Lotwise installer: the two programs, the button icon and the alert sound go into the folder
; that the poller's fixed sound path names; the settings key records that folder.
;   makensis [-DTARGET_AMD64] -DBINDIR=<built programs> -DICON=<icon file> -DSRCDIR=<source folder> -DOUTFILE=<setup.exe>
; The target decides the character set: a Target after "Unicode false" is refused.
!ifdef TARGET_AMD64
  Target amd64-unicode
!else
  Unicode false
!endif
!include "FileFunc.nsh"

!define PRODUCT "Rure Lotwise"
!define SETTINGS_KEY "SOFTWARE\Rure Lotwise"
!define BUTTON_KEY "SOFTWARE\Microsoft\Internet Explorer\Extensions\{7F0B49E9-7631-4bb9-9B62-B0D717369B29}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Rure Lotwise"

Name "${PRODUCT}"
Caption "${PRODUCT} Setup"
OutFile "${OUTFILE}"
; The poller plays "c:\program files\rure lotwise\cash-register.wav": on 64-bit Windows that is
; the native Program Files, not the 32-bit one, so the folder is fixed and not offered.
InstallDir "$PROGRAMFILES64\Rure Lotwise"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show

Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Lotwise"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${BINDIR}/lotwise.exe"
  File "${BINDIR}/LotwiseMgr.exe"
  File "/oname=icon1.ico" "${ICON}"
  File "${SRCDIR}/installer/cash-register.wav"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; No trailing backslash: the programs join file names to it with one.
  WriteRegStr HKLM "${SETTINGS_KEY}" "Folder" "$INSTDIR"
  ; Let a standard user's settings dialog save without elevation.
  InitPluginsDir
  File "/oname=$PLUGINSDIR\grant_users_write.exe" "${BINDIR}/grant_users_write.exe"
  nsExec::Exec '"$PLUGINSDIR\grant_users_write.exe" "${SETTINGS_KEY}"'
  Pop $0
  StrCmp $0 "0" +2
    DetailPrint "Could not open the settings key to standard users (code $0)"

  CreateDirectory "$SMPROGRAMS\Lotwise"
  CreateShortCut "$SMPROGRAMS\Lotwise\Lotwise Manager.lnk" "$INSTDIR\LotwiseMgr.exe"
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
SectionEnd

; Uninstall: stop the poller first, so no file is in use, then remove what the installer placed
; and what the programs leave behind. The user's searches and blocked auctions stay unless the
; user asks (a question, or /REMOVEDATA on a silent uninstall).
Section "Uninstall"
  SetShellVarContext all
  IfFileExists "$INSTDIR\lotwise.exe" 0 +2
    ExecWait '"$INSTDIR\lotwise.exe" -k'
  ; The stop command returns when the poller has signalled; its program file stays in use
  ; until the process has ended, so give it a few seconds.
  StrCpy $R0 0
  delete_poller:
    Delete "$INSTDIR\lotwise.exe"
    IfFileExists "$INSTDIR\lotwise.exe" 0 poller_deleted
    IntOp $R0 $R0 + 1
    IntCmp $R0 40 poller_deleted
    Sleep 250
    Goto delete_poller
  poller_deleted:

  Delete "$INSTDIR\LotwiseMgr.exe"
  Delete "$INSTDIR\icon1.ico"
  Delete "$INSTDIR\cash-register.wav"
  Delete "$INSTDIR\lotwise.txt"
  Delete "$INSTDIR\temphtml.html"
  Delete "$INSTDIR\temphtml.txt"
  Delete "$INSTDIR\version.html"
  Delete "$INSTDIR\lotwise2.initmp"
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
  keep_data:

  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Lotwise\Lotwise Manager.lnk"
  Delete "$SMPROGRAMS\Lotwise\Uninstall Lotwise.lnk"
  RMDir "$SMPROGRAMS\Lotwise"
  Delete "$SMSTARTUP\Lotwise.lnk"

  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey HKLM "${BUTTON_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

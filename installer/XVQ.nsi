; The Windows installer: a per-user install beside which the program keeps
; its settings and selection files. makensis is given VERSION (the build's
; version), STAGE (the folder holding the files to install) and OUTFILE.
; 64-bit, as the program is: a 64-bit Windows needs no 32-bit layer to run it.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define PRODUCT "XVQ Backup"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QtrXvqBackup"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The value the program's "Run automatically at startup" writes.
!define AUTOSTART_VALUE "VaRuriZeRed"

Name "QTR ${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "QTR ${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "QTR ${PRODUCT} installer"
VIAddVersionKey "CompanyName" "QTR"
VIAddVersionKey "LegalCopyright" "Copyright (C) QTR"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Program"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${STAGE}\QtrBackup.exe"
  File "${STAGE}\qtrpack.exe"
  File "${STAGE}\XVQ.chm"
  File "${STAGE}\XVQ_0x0804.chm"
  File "${STAGE}\First use.txt"
  SetOutPath "$INSTDIR\Language"
  File "${STAGE}\Language\*.xml"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\QtrBackup.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} Help.lnk" "$INSTDIR\XVQ.chm"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "QTR ${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "QTR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\QtrBackup.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes what the installer put there and the autostart value. Only named
; files are deleted and the folders only when empty: a backup store or any
; other file of the user is never touched.
Section "Uninstall"
  SetShellVarContext current
  Delete "$INSTDIR\QtrBackup.exe"
  Delete "$INSTDIR\qtrpack.exe"
  Delete "$INSTDIR\XVQ.chm"
  Delete "$INSTDIR\XVQ_0x0804.chm"
  Delete "$INSTDIR\First use.txt"
  Delete "$INSTDIR\Language\*.xml"
  RMDir "$INSTDIR\Language"
  ; Silent: the settings and selections stay.
  MessageBox MB_YESNO|MB_ICONQUESTION "Keep your settings and file selections for a later installation?" /SD IDYES IDYES keep
    Delete "$INSTDIR\init.xml"
    Delete "$INSTDIR\filepath.xml"
    Delete "$INSTDIR\backupfullpath.xml"
    Delete "$INSTDIR\restoreTempPath.xml"
    Delete "$INSTDIR\backupinfo.xml"
  keep:
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} Help.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  DeleteRegValue HKCU "${RUN_KEY}" "${AUTOSTART_VALUE}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

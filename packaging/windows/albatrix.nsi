; The Windows installer: the zip's two programs, README.txt and licences, installed for the current user
; without administrator rights, with a Start menu entry, an optional desktop shortcut and an entry in
; "Apps & features". The shortcuts start the window with the user's data folder as its program folder, so
; the settings, the covers and the login stay with the user and outlive an uninstall or an upgrade.
; scripts/package-windows makes it:
;   makensis -INPUTCHARSET UTF8 -DVERSION=<first line of VERSION> -DSTAGE=<the zip's folder> -DOUTFILE=<exe> albatrix.nsi

; A 64-bit installer for 64-bit programs: it runs where they run, and under a wine without 32-bit support.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma

!ifndef VERSION | STAGE | OUTFILE
  !error "VERSION, STAGE and OUTFILE are given on the command line (-DNAME=VALUE)"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Albatrix"
; Settings (soft.dat), covers ("tmp") and cookies in the roaming data folder, not beside the program: the
; install folder is replaced by an upgrade and removed by an uninstall.
!define PROGRAM_ARGS '--program-folder "$APPDATA\Albatrix"'

Name "Albatrix"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Albatrix"
; An upgrade goes where the earlier version went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel user
BrandingText "Albatrix ${VERSION}"

!include MUI2.nsh
!include FileFunc.nsh

; makensis works in this folder.
!define MUI_ICON "../../data/icons/albatrix.ico"
!define MUI_UNICON "../../data/icons/albatrix.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "SimpChinese"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "Albatrix"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "Albatrix"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "© Albatrix developers"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "Albatrix 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"

Section "Albatrix" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}/albatrix.exe"
  File "${STAGE}/albatrix-cli.exe"
  File "${STAGE}/README.txt"
  ; An older version's licence files go with the folder, so only the current ones are there.
  RMDir /r "$INSTDIR\licences"
  SetOutPath "$INSTDIR\licences"
  File "${STAGE}/licences/*.txt"
  ; The shortcuts' working folder.
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Albatrix.lnk" "$INSTDIR\albatrix.exe" '${PROGRAM_ARGS}' "$INSTDIR\albatrix.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Albatrix"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\albatrix.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Albatrix"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KiB, as "Apps & features" reads it.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "桌面快捷方式" SecDesktop
  SetOutPath "$INSTDIR"
  CreateShortcut "$DESKTOP\Albatrix.lnk" "$INSTDIR\albatrix.exe" '${PROGRAM_ARGS}' "$INSTDIR\albatrix.exe" 0
SectionEnd

Function StartProgram
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\albatrix.exe" ${PROGRAM_ARGS}'
FunctionEnd

; The program's files, shortcuts and entry go; the user's data folder (settings, covers, cookies) and the
; pictures stay. Only the folder's own files are named, and the folder itself goes only when empty, in
; case it was chosen with files of the user's in it.
Section "Uninstall"
  Delete "$INSTDIR\albatrix.exe"
  Delete "$INSTDIR\albatrix-cli.exe"
  Delete "$INSTDIR\README.txt"
  RMDir /r "$INSTDIR\licences"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Albatrix.lnk"
  Delete "$DESKTOP\Albatrix.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

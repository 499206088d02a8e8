# The Windows installer of Tolvane, built on Linux by Debian's makensis
# (scripts/build-installer.sh gives it the defines below).
#
# NSIS rather than an MSI from wixl: makensis writes one self-contained
# 64-bit setup program that installs for the current user alone (nothing under
# HKEY_LOCAL_MACHINE, no administrator) with our own "Apps & features" entry
# and uninstaller, and /S runs either silently. Windows Installer keeps its
# own registration of every product and an uninstall entry named by the
# product code; Wine's msiexec wrote both for a per-user MSI into
# HKEY_LOCAL_MACHINE (Wow6432Node), so the named entry would have been a
# second one and the install not the user's alone. wixl's cabinet is also
# about twice the size of NSIS's LZMA for the same programs.
#
# Defines (makensis -DNAME=VALUE):
#   VERSION      the project's version, x.y.z (DisplayVersion, file version)
#   PROGRAM_DIR  the folder of tolvane.exe and transl.dat in the Windows build
#   CLI_DIR      the folder of tolvane-cli.exe
#   OUTFILE      the setup program to write
#   SIZE_KB      the installed size in KiB, shown by "Apps & features"

!macro Require NAME
  !ifndef ${NAME}
    !error "${NAME} is not defined (makensis -D${NAME}=...)"
  !endif
!macroend
!insertmacro Require VERSION
!insertmacro Require PROGRAM_DIR
!insertmacro Require CLI_DIR
!insertmacro Require OUTFILE
!insertmacro Require SIZE_KB

# A 64-bit setup program, as the programs it installs: the default 32-bit one
# does not start where Wine runs 64-bit programs only (Debian's wine64 alone).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!define PUBLISHER "The Tolvane developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tolvane"
# The Explorer verb exactly as tolvane.exe writes it at every start
# (src/app/StartUp.cpp, src/app/ShellVerbRegistry.cpp), so that the installed
# program rewrites the same values and the uninstaller removes what either wrote.
!define VERB_KEY "Software\Classes\Directory\Shell\Tolvane.Run"
!define VERB_CAPTION "Monetize..."

Name "Tolvane"
OutFile "${OUTFILE}"
# Per user: %LOCALAPPDATA%\Programs, where Windows puts per-user programs.
InstallDir "$LOCALAPPDATA\Programs\Tolvane"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Tolvane"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "Tolvane ${VERSION} setup"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

# The classic built-in pages: no plug-in DLL travels in the setup program.
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Tolvane"
  SetOutPath "$INSTDIR"
  File "${PROGRAM_DIR}/tolvane.exe"
  File "${PROGRAM_DIR}/transl.dat"
  File "${CLI_DIR}/tolvane-cli.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortCut "$SMPROGRAMS\Tolvane.lnk" "$INSTDIR\tolvane.exe" "" "$INSTDIR\tolvane.exe" 0

  WriteRegStr HKCU "${VERB_KEY}" "" "${VERB_CAPTION}"
  WriteRegStr HKCU "${VERB_KEY}\Command" "" '"$INSTDIR\tolvane.exe" "%1"'

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tolvane"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tolvane.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

# The user's settings (HKCU\Software\Tolvane) stay: a reinstall finds them.
Section "Uninstall"
  # tolvane.exe's working folder, which it empties at every start; one that
  # a job still uses is not empty and stays.
  RMDir "$LOCALAPPDATA\Tolvane"
  DeleteRegKey HKCU "${VERB_KEY}"
  Delete "$SMPROGRAMS\Tolvane.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  Delete "$INSTDIR\tolvane.exe"
  Delete "$INSTDIR\tolvane-cli.exe"
  Delete "$INSTDIR\transl.dat"
  Delete "$INSTDIR\uninstall.exe"
  # Not /r: whatever else the user put there is not ours to delete. Last, so
  # that its folder going away tells that the uninstaller is done.
  RMDir "$INSTDIR"
SectionEnd

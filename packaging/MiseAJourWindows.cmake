# The Windows updater's settings, read by CPack when it makes the installer under
# CPackConfigMiseAJour.cmake (packaging/InstallationWindows.cmake writes that file). The program
# starts its updater hidden and without arguments: this installer is silent by itself. It
# installs where the version in place was installed, over it, with the parts chosen then (no
# uninstall first, which would forget them), and starts the new program when it is done. Its
# version record says what it is, for scripts/publier to check.
set(CPACK_PACKAGE_FILE_NAME monvalor-${CPACK_PACKAGE_VERSION}-mise-a-jour)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL OFF)
set(CPACK_NSIS_DEFINES [=[
  SilentInstall silent
  InstallDirRegKey HKLM "Software\Monvalor\Monvalor" ""
  VIProductVersion "@VERSION@.0"
  VIAddVersionKey "ProductName" "Monvalor"
  VIAddVersionKey "ProductVersion" "@VERSION@"
  VIAddVersionKey "FileVersion" "@VERSION@"
  VIAddVersionKey "FileDescription" "MonvalorUpdate"
  VIAddVersionKey "LegalCopyright" "Monvalor"

  ; Before any file: the program that started us ends right after, and Windows writes over no
  ; program still running (a new one started beside the old would only show the old window).
  Section "-Attente"
    StrCpy $R9 0
    attente:
      IfFileExists "$INSTDIR\monvalor.exe" 0 libre
      ClearErrors
      FileOpen $R8 "$INSTDIR\monvalor.exe" a
      IfErrors 0 ouvert
      IntOp $R9 $R9 + 1
      IntCmp $R9 100 libre
      Sleep 100
      Goto attente
    ouvert:
      FileClose $R8
    libre:
  SectionEnd

  Function .onInstSuccess
    ExecShell "open" "$INSTDIR\monvalor.exe"
  FunctionEnd
]=])
string(REPLACE "@VERSION@" "${CPACK_PACKAGE_VERSION}" CPACK_NSIS_DEFINES "${CPACK_NSIS_DEFINES}")

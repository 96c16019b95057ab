; The Windows updater's part of the installer script, read before CPack's script and again
; after it (makensis-mise-a-jour.sh, made by packaging/InstallationWindows.cmake). The program
; starts its updater hidden and without arguments: this installer is silent by itself, installs
; where the version in place was installed, starts the new program when it is done, and says
; what it is in its version record, for scripts/publier to check.
!ifndef VERSION
  ; Before CPack's sections, which write the files: the program that started us ends right
  ; after, Windows writes over no program still running, and a new one started beside the old
  ; would only bring the old one's window forward.
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
!else
  SilentInstall silent
  InstallDirRegKey HKLM "Software\Monvalor\Monvalor" ""
  VIProductVersion "${VERSION}.0"
  VIAddVersionKey "ProductName" "Monvalor"
  VIAddVersionKey "ProductVersion" "${VERSION}"
  VIAddVersionKey "FileVersion" "${VERSION}"
  VIAddVersionKey "FileDescription" "MonvalorUpdate"
  VIAddVersionKey "LegalCopyright" "Monvalor"

  Function .onInstSuccess
    ExecShell "open" "$INSTDIR\monvalor.exe"
  FunctionEnd
!endif

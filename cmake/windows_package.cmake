# The Windows packages: lptspool-<version>-windows-x64.zip and the NSIS installer of the same name.
# The installer asks for the spool folder, starts the server with it at every login (the
# current user's Run key) and from the Start menu, and takes all of it away again on uninstall.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME lptspool)
set(CPACK_PACKAGE_VENDOR lptspool)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_FILE_NAME lptspool-${PROJECT_VERSION}-windows-x64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY lptspool)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY lptspool)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME lptspool)
set(CPACK_NSIS_DISPLAY_NAME lptspool)
set(CPACK_NSIS_MUI_ICON ${CMAKE_SOURCE_DIR}/data/windows/lptspool.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_SOURCE_DIR}/data/windows/lptspool.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME lptspool.exe)
# An upgrade installs over the old files after ending the running servers; uninstalling first would
# take the old version away even when the new one then refuses its folder.
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL OFF)

# The spool folder page, in the place of a license page. The job's script path must fit the
# launcher's 63-byte field: folder, backslash and 12345678.bat, so at most 50 characters.
set(CPACK_NSIS_DEFINES [=[
  ; A 64-bit installer for 64-bit programs; it also runs where 32-bit programs cannot.
  Target amd64-unicode
  !include FileFunc.nsh
  Var SpoolDir
  !define lptspoolKey "Software\lptspool\lptspool"
  !define lptspoolUninstallKey "Software\Microsoft\Windows\CurrentVersion\Uninstall\lptspool"
  !define lptspoolRunKey "Software\Microsoft\Windows\CurrentVersion\Run"
  ; The folder of an earlier install, else C:\SPOOL.
  Function lptspoolSpoolPre
    StrCmp $SpoolDir "" 0 +4
    ReadRegStr $SpoolDir SHCTX "${lptspoolKey}" "SpoolFolder"
    StrCmp $SpoolDir "" 0 +2
    StrCpy $SpoolDir "C:\SPOOL"
  FunctionEnd
  ; $R9 = why the folder $SpoolDir cannot be used, or "".
  Function lptspoolCheckFolder
    StrCpy $R9 ""
    StrCpy $0 $SpoolDir 2 1
    StrCmp $0 ":\" onDrive
      StrCpy $R9 "The spool folder must be on a drive, such as C:\SPOOL."
      Return
    onDrive:
    StrLen $0 $SpoolDir
    IntCmp $0 50 fits fits
      StrCpy $R9 "The spool folder's path may have at most 50 characters."
    fits:
  FunctionEnd
  Function lptspoolSpoolLeave
    Call lptspoolCheckFolder
    StrCmp $R9 "" +3
    MessageBox MB_OK|MB_ICONEXCLAMATION $R9
    Abort
  FunctionEnd
  ; The finish page starts the server on its folder, as the next login will.
  Function lptspoolRunNow
    Exec '"$INSTDIR\lptspool.exe" PRINTINGDIR="$SpoolDir"'
  FunctionEnd
  !define MUI_FINISHPAGE_RUN
  !define MUI_FINISHPAGE_RUN_TEXT "Starta lptspool nu"
  !define MUI_FINISHPAGE_RUN_FUNCTION lptspoolRunNow
  ; Each running server ends the orderly way on WM_CLOSE, taking its tray icon with it.
  !macro lptspoolStopServersFunction un
    Function ${un}lptspoolStopServers
      StrCpy $1 0
      loop:
        FindWindow $0 "lptspoolForm"
        StrCmp $0 0 done
        SendMessage $0 16 0 0 /TIMEOUT=5000
        Sleep 200
        IntOp $1 $1 + 1
        IntCmp $1 50 done loop done
      done:
    FunctionEnd
  !macroend
  !insertmacro lptspoolStopServersFunction ""
  !insertmacro lptspoolStopServersFunction "un."
]=])
set(CPACK_NSIS_LICENSE_PAGE [=[
  !define MUI_PAGE_HEADER_TEXT "Spool folder"
  !define MUI_PAGE_HEADER_SUBTEXT "The folder your programs print into."
  !define MUI_DIRECTORYPAGE_TEXT_TOP "lptspool sends every .ps file that appears in this folder to the printer (LPT1), and removes it once printed. The folder is created when missing."
  !define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Spool folder"
  !define MUI_DIRECTORYPAGE_VARIABLE $SpoolDir
  !define MUI_PAGE_CUSTOMFUNCTION_PRE lptspoolSpoolPre
  !define MUI_PAGE_CUSTOMFUNCTION_LEAVE lptspoolSpoolLeave
  !insertmacro MUI_PAGE_DIRECTORY
]=])
# A silent install (/S) shows no page: its folder comes from /SPOOL=C:\FOLDER, else the earlier
# install's, else C:\SPOOL, and is checked as the page checks it before anything is written (exit
# status 2 when refused). The shortcut and the Run value are written after this.
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS [=[
  StrCmp $SpoolDir "" 0 lptspoolHaveFolder
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/SPOOL=" $SpoolDir
    Call lptspoolSpoolPre
  lptspoolHaveFolder:
  Call lptspoolCheckFolder
  StrCmp $R9 "" lptspoolFolderFits
    ; The folder just made for the programs, which is the current one until we leave it.
    SetOutPath "$TEMP"
    RMDir "$INSTDIR"
    SetErrorLevel 2
    MessageBox MB_OK|MB_ICONEXCLAMATION "$R9" /SD IDOK
    Abort "$R9"
  lptspoolFolderFits:
  Call lptspoolStopServers
]=])
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [=[
  CreateDirectory "$SpoolDir"
  WriteRegStr SHCTX "${lptspoolKey}" "SpoolFolder" "$SpoolDir"
  WriteRegStr HKCU "${lptspoolRunKey}" "lptspool" '"$INSTDIR\lptspool.exe" PRINTINGDIR="$SpoolDir"'
  ; What Add or Remove Programs shows besides the name, version and publisher.
  WriteRegStr SHCTX "${lptspoolUninstallKey}" "InstallLocation" "$INSTDIR"
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD SHCTX "${lptspoolUninstallKey}" "EstimatedSize" "$0"
]=])
set(CPACK_NSIS_CREATE_ICONS_EXTRA [=[
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\lptspool.lnk" "$INSTDIR\lptspool.exe" 'PRINTINGDIR="$SpoolDir"'
]=])
set(CPACK_NSIS_DELETE_ICONS_EXTRA [=[
  Delete "$SMPROGRAMS\$MUI_TEMP\lptspool.lnk"
  ; Comes after the program's own key is gone: its parent, made with it, goes too.
  DeleteRegKey /ifempty SHCTX "Software\lptspool"
]=])
# The spool folder and its jobs are the user's: they stay. What the server kept of them (job
# states, locks) goes with the program.
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [=[
  Call un.lptspoolStopServers
  DeleteRegValue HKCU "${lptspoolRunKey}" "lptspool"
  ReadEnvStr $0 LOCALAPPDATA
  StrCmp $0 "" +2
  RMDir /r "$0\lptspool"
]=])
include(CPack)

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
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)

# The spool folder page, in the place of a license page. The job's script path must fit the
# launcher's 63-byte field: folder, backslash and 12345678.bat, so at most 50 characters.
set(CPACK_NSIS_DEFINES [=[
  ; A 64-bit installer for 64-bit programs; it also runs where 32-bit programs cannot.
  Target amd64-unicode
  !include FileFunc.nsh
  Var SpoolDir
  Function lptspoolSpoolPre
    StrCmp $SpoolDir "" 0 +2
    StrCpy $SpoolDir "C:\SPOOL"
  FunctionEnd
  Function lptspoolSpoolLeave
    StrCpy $0 $SpoolDir 1 1
    StrCmp $0 ":" +3
    MessageBox MB_OK|MB_ICONEXCLAMATION "The spool folder must be on a drive, such as C:\SPOOL."
    Abort
    StrLen $0 $SpoolDir
    IntCmp $0 50 fits fits
    MessageBox MB_OK|MB_ICONEXCLAMATION "The spool folder's path may have at most 50 characters."
    Abort
    fits:
  FunctionEnd
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
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS [=[
  Call lptspoolStopServers
]=])
# A silent install (/S) shows no page: its folder comes from /SPOOL=C:\FOLDER, or is C:\SPOOL.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [=[
  StrCmp $SpoolDir "" 0 lptspoolHaveFolder
    ${GetParameters} $R0
    ${GetOptions} $R0 "/SPOOL=" $SpoolDir
    StrCmp $SpoolDir "" 0 +2
    StrCpy $SpoolDir "C:\SPOOL"
  lptspoolHaveFolder:
  CreateDirectory "$SpoolDir"
  WriteRegStr HKCU "Software\Microsoft\Windows\CurrentVersion\Run" "lptspool" '"$INSTDIR\lptspool.exe" PRINTINGDIR="$SpoolDir"'
]=])
set(CPACK_NSIS_CREATE_ICONS_EXTRA [=[
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\lptspool.lnk" "$INSTDIR\lptspool.exe" 'PRINTINGDIR="$SpoolDir"'
]=])
set(CPACK_NSIS_DELETE_ICONS_EXTRA [=[
  Delete "$SMPROGRAMS\$MUI_TEMP\lptspool.lnk"
]=])
# The spool folder and its jobs are the user's: they stay.
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [=[
  Call un.lptspoolStopServers
  DeleteRegValue HKCU "Software\Microsoft\Windows\CurrentVersion\Run" "lptspool"
]=])
include(CPack)

# Shared by the scripts that run the Windows files under Wine; source it.
#
# wine_prefix BUILD_DIR: uses (and first makes) the 32-bit Wine prefix
# BUILD_DIR/wineprefix set to Windows 95, quiet (WINEDEBUG=-all unless set),
# and installs into it what a Windows 95 machine
# with the board holds: the test doubles of the board's libraries
# (qorhlp16.dll, hgi1init.dll) and the Windows files BRNTRSET.DLL and
# _brntrst.loc in C:\WINDOWS\SYSTEM, as the product's installer puts them.
# Sets WINDOWS_FOLDER to the Unix path of C:\WINDOWS.
wine_prefix() {
  local build=$1
  export WINEPREFIX=$build/wineprefix WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
  WINDOWS_FOLDER=$WINEPREFIX/drive_c/windows
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine' /v Version /d win95 /f >/dev/null 2>&1
    wineserver -w
  fi
  cp "$build/test_doubles/qorhlp16.dll" "$build/test_doubles/hgi1init.dll" \
    "$build/bin/BRNTRSET.DLL" "$build/bin/_brntrst.loc" "$WINDOWS_FOLDER/system/"
}

# forget_qorhlp16_record: deletes QORHLP16.INI in the Windows folder (the
# 16-bit library's record), whatever case Wine gave its name.
forget_qorhlp16_record() {
  find "$WINDOWS_FOLDER" -maxdepth 1 -iname qorhlp16.ini -delete
}

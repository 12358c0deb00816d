#!/usr/bin/env bash
# Installs the Windows files from a setup disk folder into a Wine prefix, as
# Windows 95 installs them from the setup INF, or removes them again:
#
#   scripts/windows-install.sh PREFIX FOLDER              # DefaultInstall
#   scripts/windows-install.sh --uninstall PREFIX [FOLDER] # DefaultUninstall
#
# PREFIX is a WINEPREFIX (made a 32-bit prefix set to Windows 95 when it does
# not exist yet); FOLDER holds BRNTRSET.INF and the files it names, as
# scripts/build-windows.sh leaves them in BUILD_DIR/floppy. Removal without
# FOLDER uses the copy of the INF that the install put into the prefix's INF
# folder. Runs setupapi's InstallHinfSection through rundll32, headless.
# Exit status: 0 done, 1 failed, 2 wrong arguments, 77 wine is not installed
# ("wine not found: skipped").
set -euo pipefail

usage() {
  sed -n '5,6s/^#   /usage: /p' "$0" >&2
  exit 2
}

section=DefaultInstall
if [ "${1:-}" = --uninstall ]; then
  section=DefaultUninstall
  shift
  [ $# -eq 1 ] || [ $# -eq 2 ] || usage
else
  [ $# -eq 2 ] || usage
fi

if ! command -v wine >/dev/null 2>&1; then
  echo "wine not found: skipped"
  exit 77
fi

export WINEPREFIX
WINEPREFIX=$(realpath -m "$1")
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
# No mono or gecko installers while the prefix is made.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

if [ $# -eq 2 ]; then
  [ -f "$2/BRNTRSET.INF" ] || { echo "windows-install: no BRNTRSET.INF in $2" >&2; exit 1; }
  inf=$(realpath "$2/BRNTRSET.INF")
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wine winecfg -v win95 >/dev/null 2>&1
  wineserver -w
fi

if [ -n "${inf:-}" ]; then
  target="Z:${inf//\//\\}"
  mode=132
else
  # As Add/Remove Programs runs it: the INF by name, found in the INF folder.
  target=BRNTRSET.INF
  mode=4
fi
wine rundll32.exe setupapi.dll,InstallHinfSection "$section" "$mode" "$target"
wineserver -w

# rundll32 reports nothing: the class key says what happened.
class_key='HKCR\CLSID\{E41263E9-6834-4721-A6A6-CF963B5658BB}'
if [ "$section" = DefaultInstall ]; then
  server=$(wine reg query "$class_key\InprocServer32" /ve 2>/dev/null | tr -d '\r' |
    sed -n 's/.*REG_SZ[[:space:]]*//p')
  if [ -z "$server" ] || [ ! -f "$(winepath -u "$server" 2>/dev/null)" ]; then
    echo "windows-install: $section left no page server (class key: '${server:-missing}')" >&2
    exit 1
  fi
  echo "installed: $server"
else
  if wine reg query "$class_key" >/dev/null 2>&1; then
    echo "windows-install: $section left the class key $class_key" >&2
    exit 1
  fi
  echo "removed"
fi

#!/usr/bin/env bash
# Runs the page's calls into the 16-bit library qorhlp16.dll under Wine
# (32-bit, Windows 95): thunkcheck.exe with the test doubles of the Windows
# build in BUILD_DIR (scripts/build-windows.sh), then BRNTRSET.DLL's class
# object with the board double present and absent.
#   scripts/test-windows-thunk.sh [BUILD_DIR]     (default build-windows)
# Prints each step; exits 0 when every answer is as expected (or wine is not
# installed: then it says it skipped), 1 on the first mismatch.
#
# Wine 8.0's QT_Thunk reaches the 16-bit code with the right arguments but
# drops its answer (every answer reads 0), so the unrepaired steps look at
# what the arguments did (the buffer, the record written); the answers are
# checked with thunkcheck's --repair (windows/test_doubles/qt_thunk_repair.h).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build-windows}")
if ! command -v wine >/dev/null; then
  echo "wine not found: skipped"
  exit 0
fi
for file in test_doubles/thunkcheck.exe test_doubles/qorhlp16.dll test_doubles/hgi1init.dll bin/BRNTRSET.DLL; do
  [ -f "$build/$file" ] || { echo "test-windows-thunk: no $build/$file (run scripts/build-windows.sh)" >&2; exit 1; }
done
# Console programs only: no display.
unset DISPLAY
. scripts/wine-env.sh
wine_prefix "$build"
probe_log=$build/test_doubles/hgi1init-calls.txt
export HGI1INIT_LOG
HGI1INIT_LOG=$(winepath -w "$probe_log" 2>/dev/null)

failures=0
# expect NAME EXPECTED_OUTPUT -- THUNKCHECK_ARGS...: runs thunkcheck.exe and
# compares its output (line ends made Unix ones) with the expected lines.
expect() {
  local name=$1 expected=$2
  shift 3
  local output
  output=$(cd "$build/test_doubles" && timeout 120 wine thunkcheck.exe "$@" 2>&1 | tr -d '\r') || true
  if [ "$output" = "$expected" ]; then
    echo "ok    $name"
  else
    echo "FAIL  $name"
    diff <(echo "$expected") <(echo "$output") | sed 's/^/      /' || true
    failures=$((failures + 1))
  fi
}
# expect_record NAME TEXT: the record file holds exactly TEXT (none: no file).
expect_record() {
  local name=$1 expected=$2 file actual=none
  file=$(find "$WINDOWS_FOLDER" -maxdepth 1 -iname qorhlp16.ini | head -n 1)
  [ -n "$file" ] && actual=$(tr -d '\r' <"$file")
  if [ "$actual" = "$expected" ]; then
    echo "ok    $name"
  else
    echo "FAIL  $name: QORHLP16.INI holds [$actual], expected [$expected]"
    failures=$((failures + 1))
  fi
}
# expect_probe NAME CALLS: the board double saw exactly these calls.
expect_probe() {
  local name=$1 expected=$2 actual=""
  [ -f "$probe_log" ] && actual=$(tr -d '\r' <"$probe_log" | paste -sd ' ')
  if [ "$actual" = "$expected" ]; then
    echo "ok    $name"
  else
    echo "FAIL  $name: hgi1init saw [$actual], expected [$expected]"
    failures=$((failures + 1))
  fi
  rm -f "$probe_log"
}
# expect_class NAME ANSWER: BRNTRSET.DLL's DllGetClassObject for the page's
# class answers ANSWER, the DLL's QT_Thunk import repaired.
expect_class() {
  expect "$1" "RepairQtThunkImport 1
RepairQtThunkImport 1
DllGetClassObject $2" -- --repair classobject BRNTRSET.DLL
}
write_record() { forget_qorhlp16_record; printf '%s\r\n' "$@" >"$WINDOWS_FOLDER/QORHLP16.INI"; }

default_path='Enum\MONITOR\DEFAULT_MONITOR\0001'
present=$'[board]\nInstalled=1'
absent=$'[board]\nInstalled=-1'
rm -f "$probe_log"

echo "-- the arguments arrive (the answers as this Wine gives them back):"
forget_qorhlp16_record
output=$(cd "$build/test_doubles" && timeout 120 wine thunkcheck.exe path store 1 2>&1 | tr -d '\r') || true
echo "$output" | sed 's/^/      /'
if echo "$output" | grep -qxE "GetMonitorPath [01] \"$(printf '%s' "$default_path" | sed 's/\\/\\\\/g')\""; then
  echo "ok    the buffer holds the monitor's path"
else
  echo "FAIL  the buffer holds the monitor's path"
  failures=$((failures + 1))
fi
expect_record "StoreInstalledFlag(1) records present" "$present"

echo "-- the answers, through the repaired QT_Thunk:"
forget_qorhlp16_record
expect "nothing recorded, the monitor's path, then record present" "RepairQtThunkImport 1
QtThunkAnswersComeBack 1
GetMonitorPath 1 \"$default_path\"
QueryInstalledFlag 0
StoreInstalledFlag 1" -- --repair selfcheck path query store 1
expect "a second process finds present, records absent" "RepairQtThunkImport 1
QueryInstalledFlag 1
StoreInstalledFlag 0" -- --repair query store 0
expect "a third finds absent" "RepairQtThunkImport 1
QueryInstalledFlag -1" -- --repair query
expect_record "the record says absent" "$absent"
forget_qorhlp16_record
expect "no record file: nothing recorded" "RepairQtThunkImport 1
QueryInstalledFlag 0" -- --repair query
expect "the path needs its terminator's byte" "RepairQtThunkImport 1
GetMonitorPath 1 \"$default_path\"
GetMonitorPath 0 \"\"" -- --repair path 34 path 33
write_record '[monitor]' 'DeviceKey=Enum\MONITOR\PNP0000\0002' '[board]' 'Installed=2'
expect "the record names the monitor; another recorded number comes back as it is" "RepairQtThunkImport 1
GetMonitorPath 1 \"Enum\\MONITOR\\PNP0000\\0002\"
QueryInstalledFlag 2" -- --repair path query
write_record '[monitor]' 'DeviceKey=' '[board]' 'Installed=yes'
expect "an empty device key: no monitor; a record that is no number: nothing recorded" "RepairQtThunkImport 1
GetMonitorPath 0 \"\"
QueryInstalledFlag 0" -- --repair path query

echo "-- BRNTRSET.DLL's class object, its QT_Thunk import repaired:"
forget_qorhlp16_record
HGI1INIT_BOARD=absent expect_class "no board: probed, recorded absent, no class" 0x80040111
expect_probe "the probe stops at the map" "hgi1InitMapBoard"
expect_record "absent recorded" "$absent"
expect_class "recorded absent: no class, no probe, with the board fitted since" 0x80040111
expect_probe "no probe" ""
forget_qorhlp16_record
expect_class "nothing recorded, a board: probed, recorded present, the class" 0x00000000
expect_probe "the whole probe" "hgi1InitMapBoard hgi1InitRegisters hgi1InitGetDeviceInfo hgi1InitShutdown"
expect_record "present recorded" "$present"
expect_class "recorded present: the class without a probe" 0x00000000
expect_probe "no probe" ""

forget_qorhlp16_record
if [ "$failures" -ne 0 ]; then
  echo "test-windows-thunk: $failures check(s) failed"
  exit 1
fi
echo "test-windows-thunk: all checks passed"

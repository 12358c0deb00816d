#!/usr/bin/env bash
# The Windows files under Wine (32-bit, set to Windows 95) against the
# platform: the same panel scripts run on both (`brontar panel --script` on a
# fresh machine folder, PANELHST.EXE in a fresh Wine prefix installed from the
# setup INF), with the board present and absent; their dumps, the settings
# key's values and the boot file afterwards must agree. A report of every
# difference and the pictures land in NATIVE_BUILD/wine-check.
#
# scripts/test-windows.sh [NATIVE_BUILD [WINDOWS_BUILD]]   (build, build-windows)
#
# Exit status 0 when both agree, 1 on a difference or failure, 77 (skipped)
# when Wine is missing outside CI (CI or BRONTAR_CI set: missing Wine fails).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
native=$(realpath "${1:-build}")
windows=$(realpath "${2:-build-windows}")
work=$native/wine-check
# Heights and tops of controls may differ by this many pixels: the dialog
# font's height in Wine (see the README's note on the Wine check).
tolerance=${BRONTAR_WINE_TOLERANCE:-1.5}

say() { echo "test-windows: $*" >&2; }
if ! command -v wine >/dev/null || ! command -v wineboot >/dev/null; then
  if [ -n "${CI:-}${BRONTAR_CI:-}" ]; then
    say "Wine is missing (scripts/setup.sh wine installs Debian's wine32 and wine)"
    exit 1
  fi
  say "Wine is missing (scripts/setup.sh wine installs Debian's wine32 and wine); the Wine check is skipped"
  exit 77
fi
for tool in Xvfb xdotool xwd convert; do
  command -v $tool >/dev/null || { say "$tool is missing (scripts/setup.sh wine)"; exit 1; }
done
brontar=$native/bin/brontar
doubles=$windows/test_doubles
panel_host=$doubles/PANELHST.EXE
for file in "$brontar" "$panel_host" "$doubles/qorhlp16.dll" "$doubles/hgi1init.dll" "$windows/floppy/BRNTRSET.INF"; do
  [ -e "$file" ] || { say "$file is missing: build with scripts/build.sh and scripts/build-windows.sh"; exit 1; }
done

rm -rf "$work"
mkdir -p "$work"
report=$work/report.txt
: >"$report"
failures=0
fail() {
  echo "FAIL: $*" >>"$report"
  say "FAIL: $*"
  failures=$((failures + 1))
}
note() { echo "$*" >>"$report"; }

# A display of our own for Wine's windows: the first free number.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.2; done
[ -s "$work/display" ] || { say "Xvfb did not start"; exit 1; }
export DISPLAY=:$(head -1 "$work/display")
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine_servers=()
cleanup() {
  for prefix in "${wine_servers[@]}"; do WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; done
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT

settings_key='HKLM\Software\Corvane Interactive\Halcyon Graphics'

# A fresh machine folder as `brontar setup` makes it; board=no: the board
# does not answer its probe.
make_machine() {
  local machine=$1 board=$2
  BRONTAR_MACHINE=$machine "$brontar" setup >/dev/null
  if [ "$board" = no ]; then printf '\n[hgi1init]\nboardpresent=no\n' >>"$machine/machine.ini"; fi
}


# A fresh Wine prefix set to Windows 95, installed from the setup INF with
# Wine's own setup, with the test doubles and the machine's monitor entries,
# settings key and boot file.
make_prefix() {
  local prefix=$1 machine=$2
  export WINEPREFIX=$prefix
  wine_servers+=("$prefix")
  # scripts/windows-install.sh makes the prefix (32-bit, Windows 95) and
  # runs Wine's setup on the setup disk's INF.
  if ! "$root/scripts/windows-install.sh" "$prefix" "$windows/floppy" >"$work/install.log" 2>&1; then
    fail "the setup INF did not install the product: $(tail -1 "$work/install.log")"
    return 1
  fi
  # The doubles go where the board's drivers put the libraries: the
  # system folder Windows 95 and Wine's 16-bit loader search.
  cp "$doubles/qorhlp16.dll" "$doubles/hgi1init.dll" "$prefix/drive_c/windows/system/"
  # The monitor and the settings key as `brontar setup` left them.
  local devicekey
  devicekey=$(sed -n 's/^devicekey *= *//p' "$machine/machine.ini" | tail -1)
  BRONTAR_MACHINE=$machine "$brontar" regedit /e "$work/monitor-device.reg" "HKEY_LOCAL_MACHINE\\$devicekey"
  BRONTAR_MACHINE=$machine "$brontar" regedit /e "$work/monitor-class.reg" \
    'HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Monitor'
  BRONTAR_MACHINE=$machine "$brontar" regedit /e "$work/settings.reg" "HKEY_LOCAL_MACHINE\\${settings_key#HKLM\\}"
  for file in monitor-device monitor-class settings; do
    wine regedit "$(winepath -w "$work/$file.reg")" >/dev/null 2>&1
  done
  # The 16-bit double keeps the monitor's device key (and later the board
  # record) in its ini file.
  printf '[monitor]\r\nDeviceKey=%s\r\n' "$devicekey" >"$prefix/drive_c/windows/QORHLP16.INI"
  cp "$machine/drives/c/AUTOEXEC.BAT" "$prefix/drive_c/AUTOEXEC.BAT"
  wineserver -w
}

# The settings key's values, one a line, sorted (Wine lists values by name,
# the machine in the order they were made), from `reg export` of either.
settings_values() {
  iconv -f UTF-16LE -t UTF-8 "$1" | tr -d '\r' | sed '1s/^\xEF\xBB\xBF//' | grep '^"' | sort
}

# Compares two dumps line by line: everything but the rectangles exactly,
# the rectangles' x and width exactly. Tops and heights follow the dialog
# font's height, which differs: the vertical scale between the two is
# measured over the page (from the first control's top to the lowest bottom)
# and every top and height must match after it within the tolerance (each
# side rounds each control's edges to whole pixels on its own).
compare_dumps() {
  local ours=$1 theirs=$2 what=$3
  if [ "$(wc -l <"$ours")" != "$(wc -l <"$theirs")" ]; then
    fail "$what: $(wc -l <"$ours") controls on the platform, $(wc -l <"$theirs") under Wine"
    return
  fi
  [ -s "$ours" ] || return 0
  paste -d '\n' "$ours" "$theirs" | awk -v tolerance="$tolerance" -v what="$what" '
    function split_rect(line, parts,   at) {
      at = match(line, / rect=[-0-9]+,[-0-9]+,[-0-9]+,[-0-9]+/)
      if (at == 0) return line
      rest = substr(line, 1, at - 1) substr(line, at + RLENGTH)
      split(substr(line, at + 6, RLENGTH - 6), parts, ",")
      return rest
    }
    function abs(v) { return v < 0 ? -v : v }
    NR % 2 == 1 { ours[++n] = $0; next }
    { theirs[n] = $0 }
    END {
      for (i = 1; i <= n; ++i) {
        hasRect[i] = ours[i] ~ / rect=/ && theirs[i] ~ / rect=/
        if (!hasRect[i]) continue
        split_rect(ours[i], a); split_rect(theirs[i], b)
        if (!first) first = i
        oy[i] = a[2]; oh[i] = a[4]; ty[i] = b[2]; th[i] = b[4]
        if (i == first || a[2] + a[4] > obottom) obottom = a[2] + a[4]
        if (i == first || b[2] + b[4] > tbottom) tbottom = b[2] + b[4]
      }
      if (first) {
        scale = (obottom - oy[first]) / (tbottom - ty[first])
        printf "%s: vertical scale platform/Wine %.4f (page top %d/%d)\n", what, scale, oy[first], ty[first]
      }
      for (i = 1; i <= n; ++i) {
        x = split_rect(ours[i], a); y = split_rect(theirs[i], b)
        if (x != y || !hasRect[i]) {
          if (x == y) continue
          print "FAIL: " what ": line differs:\n  platform: " ours[i] "\n  Wine:     " theirs[i]; bad = 1; continue
        }
        if (a[1] != b[1] || a[3] != b[3]) { print "FAIL: " what ": x or width differs:\n  platform: " ours[i] "\n  Wine:     " theirs[i]; bad = 1; continue }
        dy = (a[2] - oy[first]) - (b[2] - ty[first]) * scale; dh = a[4] - b[4] * scale
        if (abs(dy) > tolerance || abs(dh) > tolerance) {
          printf "FAIL: %s: top or height off by %.1f, %.1f after scaling:\n  platform: %s\n  Wine:     %s\n", what, dy, dh, ours[i], theirs[i]
          bad = 1
        }
      }
      exit bad
    }' >>"$report" || { failures=$((failures + 1)); say "FAIL: $what: dumps differ (see $report)"; }
}

# The Windows test screen: found by its window while the page waits for it,
# photographed, then ended with Q as a user ends it. Runs beside the host.
end_test_screens() {
  local shots=$1 count=0
  while sleep 0.5; do
    local window
    window=$(xdotool search --name 'Brontar 3D' 2>/dev/null | head -1) || true
    if [ -n "$window" ]; then
      count=$((count + 1))
      sleep 2
      xwd -root -silent >"$shots/test-screen-$count.xwd" 2>/dev/null || true
      xdotool key --window "$window" q 2>/dev/null || true
      sleep 1
    fi
  done
}

# One script on both: CASE names the run, BOARD yes or no.
run_case() {
  local name=$1 board=$2 script=$3 expect_test=""
  case $script in *"click 1030"*|*"click 1026"*) expect_test=yes ;; esac
  local dir=$work/$name
  mkdir -p "$dir/native-capture" "$dir/wine-capture"
  printf '%s\n' "$script" >"$dir/script.txt"
  make_machine "$dir/machine" "$board"
  local prefix_started=$SECONDS
  make_prefix "$dir/prefix" "$dir/machine" || return 0
  local prefix_seconds=$((SECONDS - prefix_started))
  local board_double=present
  [ "$board" = no ] && board_double=absent

  local started=$SECONDS native_status=0 wine_status=0
  BRONTAR_MACHINE=$dir/machine BRONTAR_DISPLAY=headless BRONTAR_CAPTURE=$dir/native-capture \
    BRONTAR_CHILD_INPUT='wait 3 frames; key q' \
    "$brontar" panel --script "$dir/script.txt" >"$dir/native.dump" 2>"$dir/native.err" || native_status=$?
  BRONTAR_MACHINE=$dir/machine "$brontar" reg export "$settings_key" "$dir/native-settings.reg" /y >/dev/null 2>&1 || true

  end_test_screens "$dir" &
  local watcher=$!
  local capture_folder host_script
  capture_folder=$(winepath -w "$dir/wine-capture")
  host_script=$(winepath -w "$dir/script.txt")
  WINEDEBUG=-all,+process HGI1INIT_BOARD=$board_double winbootdir='C:\WINDOWS' BRONTAR_CAPTURE=$capture_folder \
    wine "$panel_host_path" --script "$host_script" \
    >"$dir/wine.dump" 2>"$dir/wine.err" || wine_status=$?
  kill "$watcher" 2>/dev/null || true
  wait "$watcher" 2>/dev/null || true
  wine reg export "$settings_key" "$(winepath -w "$dir/wine-settings.reg")" /y >/dev/null 2>&1 || true
  wineserver -w
  note "== $name (board $board): platform exit $native_status, Wine exit $wine_status; the prefix took $prefix_seconds s, the runs $((SECONDS - started)) s"

  # What the page started (Wine's process trace), against the frames the
  # platform's test screen presented.
  local started_wine started_native
  started_wine=$(sed -n '/BRNTRTST/s/.*CreateProcessInternalW app .*cmdline L"\(.*\)"$/\1/p' "$dir/wine.err" | tr -d '\\' |
    sed 's/^C:windowsBRNTRTST.EXE //' | paste -sd ' ')
  started_native=$(ls "$dir/native-capture" | grep -c '^frame-' || true)
  note "$name: the page started the test screen under Wine with: ${started_wine:-nothing}; the platform's presented $started_native frames"
  if [ -n "$expect_test" ] && { [ -z "$started_wine" ] || [ "$started_native" = 0 ]; }; then
    fail "$name: the Test button did not start the test screen on both"
  fi
  [ "$native_status" = "$wine_status" ] || fail "$name: exit status $native_status on the platform, $wine_status under Wine"
  grep -q 'QT_Thunk repair is not in place' "$dir/wine.err" && fail "$name: $(grep -m1 QT_Thunk "$dir/wine.err")"
  compare_dumps "$dir/native.dump" "$dir/wine.dump" "$name"
  if [ "$board" = yes ]; then
    [ -s "$dir/native.dump" ] && [ -s "$dir/wine.dump" ] || fail "$name: no dump from one of them"
    [ -s "$dir/native-settings.reg" ] && [ -s "$dir/wine-settings.reg" ] || fail "$name: no settings key on one of them"
  fi
  if [ -e "$dir/native-settings.reg" ] || [ -e "$dir/wine-settings.reg" ]; then
    if ! diff <(settings_values "$dir/native-settings.reg" 2>/dev/null) \
              <(settings_values "$dir/wine-settings.reg" 2>/dev/null) >"$dir/settings.diff"; then
      fail "$name: the settings key differs (platform <, Wine >):"
      cat "$dir/settings.diff" >>"$report"
    fi
  fi
  # The board's record: the machine's qorhlp16.dat, the double's [board] Installed.
  local ours_record theirs_record theirs_ini
  ours_record=$(cat "$dir/machine/qorhlp16.dat" 2>/dev/null || echo none)
  theirs_ini=$(find "$dir/prefix/drive_c/windows" -maxdepth 1 -iname qorhlp16.ini | head -1)
  theirs_record=$(tr -d '\r' <"$theirs_ini" | sed -n 's/^Installed=//p')
  note "$name: the board record: ${ours_record} on the platform, ${theirs_record:-none} under Wine"
  [ "$ours_record" = "${theirs_record:-none}" ] || fail "$name: the board record differs"
  # The boot file, whatever case the page's rename gave its name.
  local ours_boot theirs_boot
  ours_boot=$(find "$dir/machine/drives/c" -maxdepth 1 -iname autoexec.bat | head -1)
  theirs_boot=$(find "$dir/prefix/drive_c" -maxdepth 1 -iname autoexec.bat | head -1)
  if ! cmp -s "$ours_boot" "$theirs_boot"; then
    fail "$name: the boot file differs (platform <, Wine >)"
    diff "$ours_boot" "$theirs_boot" | cat -A >>"$report" || true
  fi
  for picture in "$dir"/wine-capture/*.bmp "$dir"/test-screen-*.xwd; do
    if [ -e "$picture" ]; then convert "$picture" "${picture%.*}.png" && rm -f "$picture"; fi
  done
  wineserver -k 2>/dev/null || true
}

# The Windows test screen on its own in the last prefix: how it ends, and
# what Wine's DirectDraw offered it (drivers, modes, 3D).
test_screen_alone() {
  local dir=$work/test-screen status=0
  mkdir -p "$dir"
  end_test_screens "$dir" &
  local watcher=$!
  WINEDEBUG=-all,+ddraw wine 'C:\WINDOWS\BRNTRTST.EXE' /640x480 >/dev/null 2>"$dir/ddraw.trace" || status=$?
  kill "$watcher" 2>/dev/null || true
  wait "$watcher" 2>/dev/null || true
  local modes three_d
  modes=$(sed -n 's/.*ddraw7_EnumDisplayModes Enumerating \([0-9x]*\).*/\1/p' "$dir/ddraw.trace" | sort -u | paste -sd ' ')
  three_d=yes
  grep -q 'without 3D support' "$dir/ddraw.trace" && three_d=no
  note "test screen alone under Wine: exit status $status; DirectDraw drivers besides the primary: $(grep -c 'Enumerating secondary\|secondary' "$dir/ddraw.trace" || true); modes: ${modes:-none}; Direct3D: $three_d; pictures: $(ls "$dir" | grep -c '^test-screen' || true)"
  for picture in "$dir"/test-screen-*.xwd; do
    if [ -e "$picture" ]; then convert "$picture" "${picture%.*}.png" && rm -f "$picture"; fi
  done
}

check_started=$SECONDS
panel_host_path=$(winepath -w "$panel_host")
run_case look yes 'dump'
run_case pick-test-ok yes 'select 1036 800 x 600
select 1012 75 Hz
click 1030
dump
ok'
run_case cancel yes 'select 1036 640 x 480
select 1012 75 Hz
slide 1062 20
dump
cancel'
run_case link yes 'click 1064
slide 1062 30
dump
slide 1056 1
click 1069
dump
ok'
run_case reset yes 'select 1036 640 x 480
select 1012 85 Hz
slide 1062 10
answer no
click 1025
answer yes
click 1027
tab
dump
click 1026
answer yes
click 1025
dump
ok'
test_screen_alone
run_case no-board no 'dump'
note "the Wine check took $((SECONDS - check_started)) s"

cat "$report"
if [ "$failures" -gt 0 ]; then
  say "$failures difference(s) between the platform and Wine; report: $report"
  exit 1
fi
say "the platform and Wine agree; report: $report"

#!/usr/bin/env bash
# Remakes the user's guide pictures (docs/images) from the screenshots that the window tests
# take under Xvfb: the manager's three pages, search health, the search editor, the alert and
# settings dialogs, the bargain history, and the poller's notification-area icon with its menu
# and an alert's balloon.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LOTWISE_BUILD:-$root/build}
. "$root/tools/win-arch.sh"
lotwise_prepare "$root"
"$root/tools/build.sh" >/dev/null
win=$build/$LOTWISE_WIN_TREE
# Every dialog of the programs asks for "MS Sans Serif". Wine registers that font under a bare
# file name that its fresh prefix does not hold, so the dialogs fall back to a wider face whose
# labels wrap and are cut off; Wine's own copy of the font gives them their widths on Windows.
font=/usr/share/wine/fonts/sserife.fon
[ -e "$font" ] || lotwise_fail "$font is missing: run tools/install-deps.sh as root (it installs fonts-wine)."
log=$build/screenshots-ctest.log
"$root/tools/with-wine.sh" bash -c '
  wine reg add "HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts" /v "MS Sans Serif" /t REG_SZ \
    /d "Z:${1//\//\\}" /f >/dev/null 2>&1 &&
  ctest --test-dir "$2" -R "manager_window_test|manager_history_test|poller_pass_test|settings_dialog_test|poller_notify_test" --output-on-failure >"$3"
' screenshots "$font" "$win" "$log" || lotwise_fail "a window test failed, so no picture was remade: see $log"
mkdir -p "$root/docs/images"
for shot in "$win"/testrun/{manager_window_test,manager_history_test,poller_pass_test,settings_dialog_test,poller_notify_test}/screens/*.bmp; do
  name=$(basename "$shot" .bmp)
  if [ -e "${shot%.bmp}.crop" ]; then
    # Part of the screen: the rectangle of the windows the picture is about, which the test
    # wrote beside it (the icon's shots leave out the alert in the other corner).
    convert "$shot" -crop "$(cat "${shot%.bmp}.crop")" +repage -strip "$root/docs/images/$name.png"
  else
    # The windows stand on Xvfb's black root: trimming leaves the window alone.
    convert "$shot" -trim +repage -strip "$root/docs/images/$name.png"
  fi
  echo "docs/images/$name.png"
done
# The strip of the manager's window with its banner and the line that says whether Lotwise is
# watching: the title bar and the banner, above the tabs.
convert "$root/docs/images/page0_search_list.png" -crop x100+0+0 +repage -strip "$root/docs/images/watching_line.png"
echo "docs/images/watching_line.png"

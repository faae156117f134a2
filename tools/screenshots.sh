#!/usr/bin/env bash
# Remakes the user's guide pictures (docs/images) from the screenshots that the window tests
# take under Xvfb: the manager's three pages, search health, the search editor, the alert and
# settings dialogs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LOTWISE_BUILD:-$root/build}
. "$root/tools/win-arch.sh"
lotwise_prepare "$root"
"$root/tools/build.sh" >/dev/null
win=$build/$LOTWISE_WIN_TREE
"$root/tools/with-wine.sh" ctest --test-dir "$win" -R "manager_window_test|poller_pass_test|settings_dialog_test" \
  --output-on-failure >/dev/null
mkdir -p "$root/docs/images"
for shot in "$win"/testrun/{manager_window_test,poller_pass_test,settings_dialog_test}/screens/*.bmp; do
  name=$(basename "$shot" .bmp)
  # The windows stand on Xvfb's black root: trimming leaves the window alone.
  convert "$shot" -trim +repage -strip "$root/docs/images/$name.png"
  echo "docs/images/$name.png"
done

#!/usr/bin/env bash
# Refreshes docs/screenshots: builds the screenshot program, makes a few
# archives of Japanese text in a scratch folder and runs the real window
# under Xvfb with the openbox window manager through its menus and dialogs.
#   scripts/screenshots.sh [scale]     (scale 2 takes the pictures at 2x)
set -euo pipefail
cd "$(dirname "$0")/.."
scale=${1:-1}
out=$PWD/docs/screenshots
cmake --build build -j2 --target window_screenshots zurivo >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
data=$scratch/書類
mkdir -p "$data/作業" "$scratch/src/docs"
python3 - "$scratch/src" <<'PY'
import sys, pathlib
root = pathlib.Path(sys.argv[1])
(root / "docs/見積書.txt").write_text("件名: 見積書\n金額: 120,000円\n納期: 来月末\n見積書の有効期限は30日です。\n", encoding="cp932")
(root / "docs/readme.txt").write_text("This folder holds the estimates.\n見積書は docs にあります。\n", encoding="utf-8")
lines = ["ログ 行 %d: 正常" % i for i in range(1, 130001)]
lines[123455] = "ログ 行 123456: 見積書の送信に失敗しました"
(root / "docs/送信ログ.log").write_text("\n".join(lines) + "\n", encoding="utf-8")
PY
(cd "$scratch/src" && zip -qr "$data/見積一式.zip" docs && cp docs/見積書.txt docs/estimate.txt && lha -aq "$data/作業/旧見積.lzh" docs/estimate.txt \
  && tar czf "$data/log.tar.gz" docs/送信ログ.log docs/readme.txt)

export ZURIVO_REGISTRY=$scratch/registry.sqlite3
export QT_SCALE_FACTOR=$scale LC_ALL=C.UTF-8
xvfb-run -a -s "-screen 0 $((1280 * scale))x$((820 * scale))x24" bash -c \
  "openbox >/dev/null 2>&1 & sleep 1; build/bin/window_screenshots '$out' '$data' 見積書"

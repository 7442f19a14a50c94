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
# An archive inside an archive, and a workbook: their hits show the chain and the cell.
(cd "$scratch/src" && mkdir -p 2025 && cp "$data/見積一式.zip" 2025/ && tar czf "$data/作業/保管2025.tar.gz" 2025)
python3 - "$data/見積台帳.xlsx" <<'PY'
import sys, zipfile
ns = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"'
rel = 'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"'
parts = {
    "[Content_Types].xml": '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="xml" ContentType="application/xml"/>'
        '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
        '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/></Types>',
    "_rels/.rels": '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>',
    "xl/workbook.xml": '<?xml version="1.0"?><workbook %s %s><sheets><sheet name="台帳" sheetId="1" r:id="rId1"/></sheets></workbook>' % (ns, rel),
    "xl/_rels/workbook.xml.rels": '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/></Relationships>',
    "xl/worksheets/sheet1.xml": '<?xml version="1.0"?><worksheet %s><sheetData>'
        '<row r="1"><c r="A1" t="inlineStr"><is><t>番号</t></is></c><c r="B1" t="inlineStr"><is><t>件名</t></is></c><c r="C1" t="inlineStr"><is><t>金額</t></is></c></row>'
        '<row r="2"><c r="A2"><v>101</v></c><c r="B2" t="inlineStr"><is><t>見積書 (本社)</t></is></c><c r="C2"><v>120000</v></c></row>'
        '<row r="3"><c r="A3"><v>102</v></c><c r="B3" t="inlineStr"><is><t>請求書</t></is></c><c r="C3" t="inlineStr"><is><t>見積書どおり</t></is></c></row>'
        '</sheetData></worksheet>' % ns,
}
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
    for name, text in parts.items():
        z.writestr(name, text)
PY

export ZURIVO_REGISTRY=$scratch/registry.sqlite3
export QT_SCALE_FACTOR=$scale LC_ALL=C.UTF-8
xvfb-run -a -s "-screen 0 $((1280 * scale))x$((820 * scale))x24" bash -c \
  "openbox >/dev/null 2>&1 & sleep 1; build/bin/window_screenshots '$out' '$data' 見積書"

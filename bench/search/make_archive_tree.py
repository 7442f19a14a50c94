#!/usr/bin/env python3
"""Writes a deterministic tree of ZIP, tar.gz and tar.bz2 archives holding
text files (half CP932 with CR LF, half plain ASCII with LF) and a truth file
listing, for each benchmark pattern, every line a correct search reports.

Every line is either a filler line, drawn from pools checked to hold no match
of any pattern, or a planted line, judged on its own by a small reference
matcher that works on decoded characters. Planted lines carry hits in several
written forms and decoys: case variants for the exact patterns, and byte runs
that spell a pattern only across a double-byte character boundary (the trail
byte of one character followed by the next bytes), which a Shift_JIS-aware
search must not report.

Usage: make_archive_tree.py OUT_DIR [--size-mb N] [--archives N] [--seed N]
Writes OUT_DIR/tree/... and OUT_DIR/truth.json. Python 3 standard library only.
"""

import argparse
import bz2
import gzip
import io
import json
import os
import random
import shutil
import sys
import tarfile
import unicodedata
import zipfile

# name, pattern as typed (UTF-8), zrgrep arguments, fuzzy matching
PATTERNS = [
    ("literal ASCII", "Kestrel", ["--no-fuzzy"], False),
    ("literal Japanese", "検査", ["--no-fuzzy"], False),
    ("fuzzy ASCII word", "quokka", [], True),
    ("fuzzy Japanese word", "カメラ", [], True),
]

# Hits in the forms a search must find, per pattern; ASCII-only ones may go
# into the ASCII files too.
HIT_FORMS = {
    "literal ASCII": (["Kestrel", "xKestrel7", "Kestrel_Kestrel"], []),
    "literal Japanese": ([], ["検査", "検査結果", "再検査", "ｹﾝｻ検査"]),
    "fuzzy ASCII word": (["quokka", "QUOKKA", "Quokka", "quoKKa"], ["ｑｕｏｋｋａ", "ＱＵＯＫＫＡ", "ｑuoｋkA"]),
    "fuzzy Japanese word": ([], ["カメラ", "かめら", "ｶﾒﾗ", "カめﾗ", "デジタルカメラ"]),
}

# Forms that look like hits but are not, per pattern (ASCII-safe, CP932-only).
# The CP932-only decoys spell the pattern's bytes across a character boundary:
# 0x83 0x4B is "ガ" (trail byte "K"), 0x83 0x71 is "ヒ" (trail byte "q"),
# 0x89 0x8C 0x9F 0x8D 0xB8 is "煙沚ｸ" (holds the bytes of "検査" from its
# second byte on), 0x82 0xB6 0xD2 0xD7 is "じﾒﾗ" (holds "ｶﾒﾗ").
DECOY_FORMS = {
    "literal ASCII": (["kestrel", "KESTREL", "Kest rel"], ["ガestrel", "ガestrelガestrel"]),
    "literal Japanese": ([], ["煙沚ｸ", "検 査", "検索査"]),
    "fuzzy ASCII word": (["quokk", "q uokka", "quakka"], ["ヒuokka", "ヒuokkaヒuokka"]),
    "fuzzy Japanese word": ([], ["じﾒﾗ", "カメ ラ", "カノラ", "ガメラ"]),
}

# decoy text -> (pattern it imitates, the bytes of a hit it holds)
BOUNDARY_DECOYS = {
    "ガestrel": ("literal ASCII", b"Kestrel"),
    "ヒuokka": ("fuzzy ASCII word", b"quokka"),
    "煙沚ｸ": ("literal Japanese", "検査".encode("cp932")),
    "じﾒﾗ": ("fuzzy Japanese word", "ｶﾒﾗ".encode("cp932")),
}

ASCII_WORDS = ("request server timeout retry closed debug failed user session cache disk write read open "
               "file index value count error warning info module thread queue socket buffer memory update "
               "commit branch merge build test deploy config listen accept parse token stream record table "
               "column vector matrix driver kernel packet route proxy client status result output input "
               "daemon signal handler worker batch report backup restore archive folder path size limit").split()
JAPANESE_WORDS = ("検索 書庫 圧縮 解凍 設定 表示 文字 漢字 結果 条件 履歴 保存 送信 確認 記録 報告 会議 資料 予算 "
                  "計画 管理 開発 試験 品質 顧客 契約 請求 在庫 発注 出荷 日本 東京 大阪 電話 番号 住所 氏名 機能 "
                  "性能 速度 容量 倉庫 価格 製品 部品 工場 技術 研究 会社 社員 部長 課長 議事 予定 変更 完了 開始 "
                  "終了 停止 障害 対応 調査 原因 対策 手順 準備 整理 分析 集計 データ ファイル サーバ システム "
                  "ユーザ メモリ ログ エラー テスト バックアップ ﾃﾞｰﾀ ﾌｧｲﾙ ＯＫ ＮＧ ＤＢ ２０２６年 第３版").split()
PARTICLES = "の は を に が で と も です ます した する から まで より 、 。".split()


def fold(text):
    """The fuzzy classes the patterns above touch: full-width and case for
    Latin letters; hiragana, katakana and half-width katakana for kana."""
    out = []
    for ch in text:
        code = ord(ch)
        if 0xFF21 <= code <= 0xFF5A:
            ch = chr(code - 0xFEE0)
        elif 0xFF66 <= code <= 0xFF9D:
            ch = unicodedata.normalize("NFKC", ch)
        code = ord(ch)
        if 0x30A1 <= code <= 0x30F6:
            ch = chr(code - 0x60)
        out.append(ch.lower())
    return "".join(out)


def matches(pattern, fuzzy, line):
    return fold(pattern) in fold(line) if fuzzy else pattern in line


def matching_patterns(line):
    return [name for name, pattern, _, fuzzy in PATTERNS if matches(pattern, fuzzy, line)]


def ascii_line(rng):
    words = [rng.choice(ASCII_WORDS) for _ in range(rng.randint(3, 14))]
    if rng.random() < 0.5:
        words.insert(rng.randrange(len(words)), str(rng.randint(0, 99999)))
    return " ".join(words)


def japanese_line(rng):
    parts = []
    for _ in range(rng.randint(3, 12)):
        parts.append(rng.choice(JAPANESE_WORDS))
        parts.append(rng.choice(PARTICLES))
        if rng.random() < 0.2:
            parts.append(" " + rng.choice(ASCII_WORDS) + " ")
    return "".join(parts)


def filler_pool(rng, make, size):
    pool = []
    while len(pool) < size:
        line = make(rng)
        if not matching_patterns(line):
            pool.append(line)
    return pool


class TextFile:
    """One stored file as lines of text; encodes itself at the end."""

    def __init__(self, japanese):
        self.japanese = japanese
        self.lines = []

    def encode(self):
        if self.japanese:
            return "".join(line + "\r\n" for line in self.lines).encode("cp932")
        return "".join(line + "\n" for line in self.lines).encode("ascii")


def planted_line(rng, form, japanese):
    filler = japanese_line if japanese else ascii_line
    left = filler(rng)[: rng.randint(0, 40)]
    right = filler(rng)[: rng.randint(0, 40)]
    return left + form + right if rng.random() < 0.8 else left + " " + form + " " + right


def fill_file(rng, text_file, pool, target_bytes, plants_per_pattern):
    """Filler lines up to about target_bytes, with planted lines at random places."""
    average = sum(len(line) for line in pool[:200]) / 200 * (2 if text_file.japanese else 1) + 2
    count = max(4, int(target_bytes / average))
    lines = rng.choices(pool, k=count)
    for name, _, _, _ in PATTERNS:
        hit_any, hit_japanese = HIT_FORMS[name]
        decoy_any, decoy_japanese = DECOY_FORMS[name]
        hits = hit_any + hit_japanese if text_file.japanese else hit_any
        decoys = decoy_any + decoy_japanese if text_file.japanese else decoy_any
        for _ in range(rng.randint(0, plants_per_pattern)):
            for forms in (hits, decoys):
                if forms:
                    lines[rng.randrange(len(lines))] = planted_line(rng, rng.choice(forms), text_file.japanese)
        # A pattern cut by a line break is not a hit either.
        if rng.random() < 0.3:
            pattern = next(p for n, p, _, _ in PATTERNS if n == name)
            if text_file.japanese or pattern.isascii():
                at = rng.randrange(len(lines) - 1)
                cut = len(pattern) // 2
                lines[at] = lines[at][:30] + pattern[:cut]
                lines[at + 1] = pattern[cut:] + lines[at + 1][:30]
    text_file.lines = lines


def stored_name(archive_number, file_number, japanese):
    folder = "docs/jp" if japanese else "docs/en"
    return f"{folder}/note_{archive_number:04d}_{file_number:02d}.txt"


def write_zip(path, members):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=6) as archive:
        folders = sorted({name.rsplit("/", 1)[0] + "/" for name, _ in members})
        for folder in folders:
            info = zipfile.ZipInfo(folder, (2026, 1, 1, 0, 0, 0))
            info.external_attr = (0o40755 << 16) | 0x10
            archive.writestr(info, b"")
        for name, data in members:
            info = zipfile.ZipInfo(name, (2026, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o100644 << 16
            archive.writestr(info, data, compresslevel=6)


def tar_bytes(members):
    buffer = io.BytesIO()
    with tarfile.open(fileobj=buffer, mode="w", format=tarfile.GNU_FORMAT) as archive:
        for name, data in members:
            info = tarfile.TarInfo(name)
            info.size = len(data)
            info.mtime = 1767225600
            info.mode = 0o644
            archive.addfile(info, io.BytesIO(data))
    return buffer.getvalue()


def write_archive(path, kind, members):
    if kind == "zip":
        write_zip(path, members)
    elif kind == "tar.gz":
        with open(path, "wb") as out:
            out.write(gzip.compress(tar_bytes(members), compresslevel=6, mtime=0))
    else:
        with open(path, "wb") as out:
            out.write(bz2.compress(tar_bytes(members), compresslevel=9))


def check_decoys():
    """The boundary decoys must really hold the pattern's bytes."""
    for text, (_, pattern_bytes) in BOUNDARY_DECOYS.items():
        encoded = text.encode("cp932")
        assert encoded.decode("cp932") == text
        assert pattern_bytes in encoded, text
        assert not matching_patterns(text), text


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("out")
    parser.add_argument("--size-mb", type=float, default=256.0, help="text before compression (default 256)")
    parser.add_argument("--archives", type=int, default=300)
    parser.add_argument("--seed", type=int, default=20261208)
    args = parser.parse_args()

    check_decoys()
    rng = random.Random(args.seed)
    pools = {False: filler_pool(rng, ascii_line, 4000), True: filler_pool(rng, japanese_line, 4000)}
    tree = os.path.join(args.out, "tree")
    truth_path = os.path.join(args.out, "truth.json")
    if os.path.isdir(tree):
        # Only a tree this program wrote earlier is replaced.
        if not os.path.exists(truth_path):
            sys.exit(f"{tree} exists and is not a generated tree")
        shutil.rmtree(tree)
    os.makedirs(tree)

    per_archive = args.size_mb * 1e6 / args.archives
    kinds = ["zip", "tar.gz", "tar.bz2"]
    hits = {name: [] for name, _, _, _ in PATTERNS}
    # Lines holding a hit's bytes only across a character boundary: a test
    # over a tree without any would prove nothing about them.
    boundary_decoys = {name: 0 for name, _, _, _ in PATTERNS}
    total_bytes = 0
    for number in range(args.archives):
        folder = f"set{number % 7}" + (f"/part{number % 3}" if number % 2 else "")
        kind = kinds[number % 3]
        relative = f"{folder}/arc_{number:04d}.{kind}"
        file_count = rng.randint(2, 7)
        members = []
        for file_number in range(file_count):
            japanese = (number + file_number) % 2 == 0
            text_file = TextFile(japanese)
            target = per_archive / file_count * rng.uniform(0.5, 1.5)
            fill_file(rng, text_file, pools[japanese], target, max(1, int(target / 20000)))
            name = stored_name(number, file_number, japanese)
            for line_number, line in enumerate(text_file.lines, 1):
                found = matching_patterns(line)
                for pattern_name in found:
                    hits[pattern_name].append([relative, name, line_number])
                for decoy, (pattern_name, _) in BOUNDARY_DECOYS.items():
                    if pattern_name not in found and decoy in line:
                        boundary_decoys[pattern_name] += 1
            data = text_file.encode()
            total_bytes += len(data)
            members.append((name, data))
        os.makedirs(os.path.join(tree, folder), exist_ok=True)
        write_archive(os.path.join(tree, relative), kind, members)

    truth = {"seed": args.seed, "archives": args.archives, "text_bytes": total_bytes, "patterns": []}
    for name, pattern, zrgrep_args, fuzzy in PATTERNS:
        found = hits[name]
        truth["patterns"].append({
            "name": name, "pattern": pattern, "zrgrep_args": zrgrep_args, "fuzzy": fuzzy,
            "hit_lines": len(found), "files": len({(a, s) for a, s, _ in found}),
            "archives": len({a for a, _, _ in found}), "boundary_decoy_lines": boundary_decoys[name],
            "hits": found,
        })
    with open(truth_path, "w", encoding="utf-8") as out:
        json.dump(truth, out, ensure_ascii=False, indent=1)
    print(f"{args.archives} archives, {total_bytes / 1e6:.1f} MB of text in {tree}", file=sys.stderr)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Writes the document bench's inputs into a folder:
  xlsx/      N workbooks of about 50 KB each (shared strings and numbers),
             and the same N zipped together as books.zip
  big.xlsx   one sheet of ROWS x 10 cells (1,000,000 cells by default)
Usage: make_documents.py FOLDER [--count N] [--rows ROWS]"""
import argparse
import os
import random
import zipfile

CONTENT_TYPES = ('<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/'
                 'package/2006/content-types"><Default Extension="xml" ContentType="application/xml"/></Types>')
REL = 'http://schemas.openxmlformats.org/officeDocument/2006/relationships'
NS = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="%s"' % REL
WORDS = ['見積', '単価', '数量', '合計', '納期', '仕様', 'abc', 'delta', '部品', '検査', '東京', '大阪']


def rels(items):
    body = ''.join('<Relationship Id="rId%d" Type="%s/%s" Target="%s"/>' % (i + 1, REL, t, target)
                   for i, (t, target) in enumerate(items))
    return ('<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/'
            'package/2006/relationships">' + body + '</Relationships>')


def sheet_rows(rng, rows, columns, strings, needle_row):
    for r in range(1, rows + 1):
        cells = []
        for c in range(columns):
            ref = '%s%d' % (chr(ord('A') + c), r)
            if c % 2 == 0:
                index = len(strings) - 1 if r == needle_row and c == 0 else rng.randrange(len(strings) - 1)
                cells.append('<c r="%s" t="s"><v>%d</v></c>' % (ref, index))
            else:
                cells.append('<c r="%s"><v>%d</v></c>' % (ref, rng.randrange(100000)))
        yield '<row r="%d">%s</row>' % (r, ''.join(cells))


def write_xlsx(path, rng, rows, columns):
    strings = ['%s%d' % (rng.choice(WORDS), i) for i in range(200)] + ['needle 針']
    with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as z:
        z.writestr('[Content_Types].xml', CONTENT_TYPES)
        z.writestr('_rels/.rels', rels([('officeDocument', 'xl/workbook.xml')]))
        z.writestr('xl/workbook.xml', '<?xml version="1.0" encoding="UTF-8"?><workbook %s><sheets>'
                   '<sheet name="データ" sheetId="1" r:id="rId2"/></sheets></workbook>' % NS)
        z.writestr('xl/_rels/workbook.xml.rels',
                   rels([('sharedStrings', 'sharedStrings.xml'), ('worksheet', 'worksheets/sheet1.xml')]))
        z.writestr('xl/sharedStrings.xml', '<?xml version="1.0" encoding="UTF-8"?><sst %s>%s</sst>' %
                   (NS, ''.join('<si><t>%s</t></si>' % s for s in strings)))
        with z.open('xl/worksheets/sheet1.xml', 'w', force_zip64=True) as sheet:
            sheet.write(('<?xml version="1.0" encoding="UTF-8"?><worksheet %s><sheetData>' % NS).encode())
            batch = []
            for row in sheet_rows(rng, rows, columns, strings, rows // 2):
                batch.append(row)
                if len(batch) == 1000:
                    sheet.write(''.join(batch).encode())
                    batch = []
            sheet.write((''.join(batch) + '</sheetData></worksheet>').encode())


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('folder')
    parser.add_argument('--count', type=int, default=200)
    parser.add_argument('--rows', type=int, default=100000)
    args = parser.parse_args()
    rng = random.Random(7)
    books = os.path.join(args.folder, 'xlsx')
    os.makedirs(books, exist_ok=True)
    names = []
    for i in range(args.count):
        name = os.path.join(books, 'book%03d.xlsx' % i)
        write_xlsx(name, rng, 1000, 8)  # about 50 KB zipped
        names.append(name)
    with zipfile.ZipFile(os.path.join(args.folder, 'books.zip'), 'w', zipfile.ZIP_STORED) as z:
        for name in names:
            z.write(name, os.path.basename(name))
    write_xlsx(os.path.join(args.folder, 'big.xlsx'), rng, args.rows, 10)


if __name__ == '__main__':
    main()

#!/usr/bin/env python3
"""Writes a database with one table `scan` of N scan-like rows for the read
benchmark, in the layout our engine and mdbtools read (not a file Access
wrote; the writer of the engine will make the real one).
Usage: make-scan-table.py OUT ROWS"""
import os
import struct
import sys

import importlib.util

# The page builders of the fuzz corpus generator.
_found = importlib.util.spec_from_file_location(
    "corpus", os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fuzz", "make-corpus.py"))
corpus = importlib.util.module_from_spec(_found)
_found.loader.exec_module(corpus)
PAGE = corpus.PAGE


def text_column(number, var_index, compressed):
    d = bytearray(corpus.column(10, number, var_index, 0, 510, 0x02))
    struct.pack_into("<HBB", d, 11, 2052, 0, 0)  # sort order Chinese (PRC)
    d[16] = 0x01 if compressed else 0x00
    return bytes(d)


def encode(text, compressed):
    if compressed and all(0 < ord(c) < 256 for c in text) and len(text) > 2:
        return b"\xff\xfe" + text.encode("latin-1")
    return text.encode("utf-16-le")


def scan_row(i):
    texts = [(str(i + 1), False), ("192.168.1.%d:%d" % (i % 250, 50000 + i % 1000), True),
             ("69%011d" % i, True), ("2026年12月11日14时%d分%d秒" % (i // 60 % 60, i % 60), True),
             ("remark %d" % (i % 97), True)]
    fixed = struct.pack("<i", 0)  # 字段1, Null
    body = struct.pack("<H", 6) + fixed
    offsets = []
    for t, c in texts:
        offsets.append(len(body))
        body += encode(t, c)
    eod = len(body)
    trailer = struct.pack("<H", eod) + b"".join(struct.pack("<H", o) for o in reversed(offsets)) + struct.pack("<H", 5)
    return body + trailer + bytes([0x1F])  # five texts present, 字段1 Null


# mdbtools also binds the catalog's LvProp column (OLE, Null here).
CAT_COLS = corpus.CAT_COLS + [corpus.column(11, 5, 1, 0, 0, 0x12)]
CAT_NAMES = corpus.CAT_NAMES + ["LvProp"]


def catalog_row(obj_id, text):
    fixed = struct.pack("<iihi", obj_id, 0x0F000001, 1, 0)
    row = struct.pack("<H", 6) + fixed + text.encode("utf-16-le")
    eod = len(row)
    return row + struct.pack("<HHHH", eod, eod, 2 + len(fixed), 2) + bytes([0x1F])


def main():
    out, count = sys.argv[1], int(sys.argv[2])
    cols = [text_column(0, 0, False), text_column(1, 1, True), text_column(2, 2, True),
            text_column(3, 3, True), text_column(4, 4, True), corpus.column(4, 5, 0, 0, 4, 0x03)]
    names = ["ID", "客户端", "识别码", "时间", "备注", "字段1"]
    first_data = 7
    pages, rows, used = [], [], 14
    for i in range(count):
        r = scan_row(i)
        if used + len(r) + 2 > PAGE or len(rows) == 255:
            pages.append(corpus.data_page(5, [(x, 0) for x in rows]))
            rows, used = [], 14
        rows.append(r)
        used += len(r) + 2
    if rows:
        pages.append(corpus.data_page(5, [(x, 0) for x in rows]))
    data_pages = list(range(first_data, first_data + len(pages)))
    bitmaps = []
    for k in range((first_data + len(pages)) // 32736 + 1):  # one bitmap page per 32736 pages
        bm = bytearray(PAGE)
        bm[0], bm[1] = 5, 1
        bitmaps.append(bm)
    for n in data_pages:
        k, off = divmod(n, 32736)
        bitmaps[k][4 + off // 8] |= 1 << (off % 8)
    first_bitmap = first_data + len(pages)
    ref_map = b"\x01" + b"".join(struct.pack("<I", first_bitmap + k) for k in range(len(bitmaps)))
    ref_map += bytes(69 - len(ref_map))
    tdef = corpus.tdef(cols, names, count, corpus.ref(6, 0), corpus.ref(6, 1), var_cols=5)
    tdef = bytearray(tdef)
    tdef[40] = ord("N")
    catalog = corpus.data_page(2, [(catalog_row(5, "scan"), 0)])
    head = [corpus.header(), corpus.data_page(1, [(corpus.usage_inline(0, []), 0)]),
            bytearray(corpus.tdef(CAT_COLS, CAT_NAMES, 1, corpus.ref(3, 0), corpus.ref(3, 1))),
            corpus.data_page(0, [(corpus.usage_inline(0, [4]), 0), (corpus.usage_inline(0, []), 0)]),
            catalog, tdef, corpus.data_page(0, [(ref_map, 0), (corpus.usage_inline(0, []), 0)])]
    with open(out, "wb") as f:
        for p in head + pages + bitmaps:
            f.write(bytes(p))


if __name__ == "__main__":
    main()

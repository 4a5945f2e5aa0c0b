#!/usr/bin/env python3
"""Writes the saved fuzz corpus: small hand-made inputs that reach the header,
table-definition, usage-map, row and long-value code with damaged values.
Each file is a few pages of our own bytes. Run: fuzz/make-corpus.py"""
import os
import struct

PAGE = 4096
HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def rc4(key, n):
    s = list(range(256))
    j = 0
    for i in range(256):
        j = (j + s[i] + key[i % len(key)]) & 0xFF
        s[i], s[j] = s[j], s[i]
    out, x, y = [], 0, 0
    for _ in range(n):
        x = (x + 1) & 0xFF
        y = (y + s[x]) & 0xFF
        s[x], s[y] = s[y], s[x]
        out.append(s[(s[x] + s[y]) & 0xFF])
    return bytes(out)


MASK = rc4(bytes([0xC7, 0xDA, 0x39, 0x6B]), 128)


def header(version=2, key=0):
    p = bytearray(PAGE)
    p[0:4] = b"\x00\x01\x00\x00"
    p[4:20] = b"Standard ACE DB\x00"
    p[0x14] = version
    plain = bytearray(128)
    struct.pack_into("<I", plain, 0x3E - 0x18, key)
    p[0x18:0x98] = bytes(a ^ b for a, b in zip(plain, MASK))
    return p


def data_page(owner, rows):
    p = bytearray(PAGE)
    p[0], p[1] = 1, 1
    struct.pack_into("<I", p, 4, owner)
    struct.pack_into("<H", p, 12, len(rows))
    end = PAGE
    for i, (row, flags) in enumerate(rows):
        start = end - len(row)
        p[start:end] = row
        struct.pack_into("<H", p, 14 + 2 * i, start | flags)
        end = start
    struct.pack_into("<H", p, 2, end - 14 - 2 * len(rows))
    return p


def usage_inline(start, pages):
    bits = bytearray(64)
    for n in pages:
        bits[(n - start) // 8] |= 1 << ((n - start) % 8)
    return b"\x00" + struct.pack("<I", start) + bytes(bits)


def column(ctype, number, var_index, fixed_offset, length, flags):
    d = bytearray(25)
    d[0] = ctype
    struct.pack_into("<I", d, 1, 1625)
    struct.pack_into("<HH", d, 5, number, var_index)
    d[15] = flags
    struct.pack_into("<HH", d, 21, fixed_offset, length)
    return bytes(d)


def name(text):
    b = text.encode("utf-16-le")
    return struct.pack("<H", len(b)) + b


def tdef(columns, names, row_count, owned_ref, free_ref, next_page=0, var_cols=None, extra=b""):
    body = bytearray(63)
    body[0], body[1] = 2, 1
    struct.pack_into("<I", body, 4, next_page)
    struct.pack_into("<I", body, 16, row_count)
    body[40] = ord("S")
    n = len(columns)
    struct.pack_into("<HHH", body, 41, n, var_cols if var_cols is not None else sum(1 for c in columns if not c[15] & 1), n)
    struct.pack_into("<II", body, 47, 0, 0)
    body[55:59] = owned_ref
    body[59:63] = free_ref
    body += b"".join(columns) + b"".join(name(x) for x in names) + extra + b"\xff\xff"
    struct.pack_into("<I", body, 8, len(body))
    return bytes(body) + bytes(PAGE - len(body))


def ref(page, row):
    return bytes([row]) + struct.pack("<I", page)[:3]


# A catalog with the five columns the engine reads, and one row naming a
# table whose definition is on page 5.
CAT_COLS = [column(4, 0, 0, 0, 4, 0x13), column(4, 1, 0, 4, 4, 0x13), column(10, 2, 0, 0, 20, 0x12),
            column(3, 3, 0, 8, 2, 0x13), column(4, 4, 0, 10, 4, 0x13)]
CAT_NAMES = ["Id", "ParentId", "Name", "Type", "Flags"]


def catalog_row(obj_id, text, typ=1, flags=0):
    fixed = struct.pack("<iihi", obj_id, 0x0F000001, typ, flags)
    var = text.encode("utf-16-le")
    row = struct.pack("<H", 5) + fixed + var
    eod = len(row)
    row += struct.pack("<HHH", eod, 2 + len(fixed), 1) + bytes([0x1F])
    return row


def table_row(long_value, text, flag_bits=0x07):
    # columns: 0 Long fixed, 1 Memo var 0, 2 Boolean
    fixed = struct.pack("<i", 7)
    row = struct.pack("<H", 3) + fixed + long_value
    var1 = 2 + len(fixed)
    row += text
    return row + struct.pack("<HHH", len(row), var1, 1) + bytes([flag_bits])


def database(table_def=None, rows=(), lval_rows=(), pages=9, table_page=5):
    p = [header(), data_page(1, [(usage_inline(0, []), 0)])]
    p.append(bytearray(tdef(CAT_COLS, CAT_NAMES, 1, ref(3, 0), ref(3, 1))))
    p.append(data_page(0, [(usage_inline(0, [4]), 0), (usage_inline(0, [4]), 0),
                           (usage_inline(0, [7]), 0), (usage_inline(0, [8]), 0)]))
    p.append(data_page(2, [(catalog_row(table_page, "T"), 0)]))
    tcols = [column(4, 0, 0, 0, 4, 0x03), column(12, 1, 0, 0, 0, 0x02), column(1, 2, 0, 0, 1, 0x03)]
    p.append(bytearray(table_def or tdef(tcols, ["Id", "Memo", "Flag"], len(rows), ref(3, 2), ref(3, 2),
                                         extra=struct.pack("<H", 1) + ref(3, 3) + ref(3, 3))))
    p.append(bytearray(PAGE))
    p.append(data_page(5, list(rows)))
    p.append(data_page(0x4C41564C, list(lval_rows)))
    while len(p) < pages:
        p.append(bytearray(PAGE))
    return b"".join(bytes(x) for x in p)


def lv(kind, length, row=0, page=0, inline=b""):
    return struct.pack("<I", kind | length) + bytes([row]) + struct.pack("<I", page)[:3] + bytes(4) + inline


def main():
    os.makedirs(HERE, exist_ok=True)
    cases = {
        "empty": b"",
        "short": b"\x00\x01\x00",
        "header-only": bytes(header()),
        "jet3": bytes(header(version=0)) * 3,
        "encrypted": bytes(header(key=0x1234)) * 3,
        "sound": database(rows=[(table_row(lv(0x80000000, 3, inline=b"abc"), b""), 0)]),
        "inline-too-long": database(rows=[(table_row(lv(0x80000000, 300, inline=b"abc"), b""), 0)]),
        "single-row": database(rows=[(table_row(lv(0x40000000, 5, 0, 8), b""), 0)],
                               lval_rows=[(b"hello", 0)]),
        "single-row-short": database(rows=[(table_row(lv(0x40000000, 500, 0, 8), b""), 0)],
                                     lval_rows=[(b"hello", 0)]),
        "chain": database(rows=[(table_row(lv(0, 8, 0, 8), b""), 0)],
                          lval_rows=[(bytes([1, 8, 0, 0]) + b"abcd", 0), (bytes(4) + b"efgh", 0)]),
        "chain-cycle": database(rows=[(table_row(lv(0, 800, 0, 8), b""), 0)],
                                lval_rows=[(bytes([1, 8, 0, 0]) + b"abcd", 0), (bytes([0, 8, 0, 0]) + b"efgh", 0)]),
        "chain-huge-length": database(rows=[(table_row(lv(0, 0x3FFFFFFF, 0, 8), b""), 0)],
                                      lval_rows=[(bytes(4) + b"abcd", 0)]),
        "pointer-beyond-file": database(rows=[(table_row(lv(0x40000000, 5, 0, 0xFFFFFF), b""), 0)]),
        "overflow-row": database(rows=[(bytes([1, 7, 0, 0]), 0x4000),
                                       (table_row(lv(0x80000000, 1, inline=b"x"), b""), 0x8000)]),
        "overflow-cycle": database(rows=[(bytes([0, 7, 0, 0]), 0x4000)]),
        "deleted-row": database(rows=[(b"", 0xC000), (table_row(lv(0x80000000, 1, inline=b"y"), b""), 0)]),
        "row-bounds": database(rows=[(b"\xff\xff\x00", 0)]),
        "var-offsets-wrong": database(rows=[(struct.pack("<H", 3) + bytes(4) + struct.pack("<HHH", 900, 2, 1) + b"\x07", 0)]),
        "tdef-cycle": database(table_def=tdef([], [], 0, ref(3, 2), ref(3, 2), next_page=5)),
        "tdef-next-beyond": database(table_def=tdef([], [], 0, ref(3, 2), ref(3, 2), next_page=0x7FFFFF)),
        "tdef-huge-counts": database(table_def=tdef([column(4, 0, 0, 0, 4, 3)] * 3, ["a", "b", "c"], 0,
                                                    ref(3, 2), ref(3, 2), var_cols=0xFFFF)),
        "usage-map-beyond": database(table_def=tdef([], [], 0, ref(0xFFFFFF, 9), ref(3, 2))),
        "catalog-names-header-page": database(table_page=0),
        "catalog-names-data-page": database(table_page=7),
        "truncated": database(rows=[(table_row(lv(0x80000000, 3, inline=b"abc"), b""), 0)])[: 6 * PAGE + 100],
    }
    for name_, data in cases.items():
        with open(os.path.join(HERE, name_), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()

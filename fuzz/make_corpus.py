#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets: real frames of the module
configuration protocol, whole, split and mixed with faults; and real files
of the readers of outside files: network XML, CAN signal CSV, batch
configuration files and command lists (the last two SQLite databases).

Run from anywhere: python3 fuzz/make_corpus.py
Files are overwritten, never deleted, so regression seeds added by hand stay.

Input layout of fuzz_elab: four chunk-plan bytes (cycled; 0 = the rest in one
chunk, 254 = an empty call then one byte, else that many bytes), one flags
byte (FIX_CRC: the target rewrites the CRC of every whole frame; LONG_CHUNK:
the stream goes inside one 70000-byte chunk of zeros, at its start with
LONG_AT_START, else across the receive buffer's 65535-byte mark), one
walk-seed byte, then the received byte stream.
Input layout of fuzz_blocks: one walk-seed byte, then the data area (its
length is dataLength).
"""

import os
import sqlite3
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def crc16_modbus(data):
    crc = 0xFFFF
    for b in data:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def frame(data, action=0, msg_cnt=1, dest=0, crc_xor=0, term=b"EN"):
    head = b"ST" + msg_cnt.to_bytes(2, "big") + bytes([dest]) + len(data).to_bytes(2, "big")
    body = head + action.to_bytes(2, "big") + bytes(data)
    crc = crc16_modbus(body) ^ crc_xor
    return body + crc.to_bytes(2, "big") + term  # high byte first


def block(block_id, values=b"", count=1, index=0):
    return bytes([count]) + block_id.to_bytes(2, "big") + bytes([index]) + bytes(values)


def text(s, size):
    raw = s.encode("ascii")
    return raw[:size] + bytes(size - min(len(raw), size))


def self_check():
    assert crc16_modbus(b"123456789") == 0x4B37
    # Read request for datablock 38, msgCnt 1, dest 0.
    got = frame(block(38))
    assert got == bytes.fromhex("53 54 00 01 00 00 04 00 00 01 00 26 00 EE F8 45 4E"), got.hex(" ")


# Reply data areas.
MODULE_INFO = text("1.4.0", 32) + b"S" + text("Lab bench module", 32) + (1024).to_bytes(2, "big")
MAC = bytes([0x00, 0x1E, 0xC0, 0x12, 0x34, 0x56])
SOCKET = bytes(range(18))
DATA = {
    "info": block(38, MODULE_INFO),
    "mac_alias": block(2, MAC) + block(39, text("pump-house", 32)),
    "net_write_echo": block(13, b"\x00") + block(14, bytes([10, 0, 0, 7])) + block(15, bytes([255, 255, 255, 0]))
    + block(16, bytes([10, 0, 0, 1])) + block(24, b"\x01"),
    "empty": b"",
    "sockets8": block(37, SOCKET * 8, count=8),
    "sockets_tail": block(37, SOCKET * 4, count=4, index=4),
    "io8": block(45, bytes([1, 0, 2]) * 8, count=8),
    "io_adc_mixed": block(45, bytes([1, 1, 0]) * 3, count=3, index=2) + block(54, b"\x01\x02\x03\x04", count=2)
    + block(24, b"\x07"),
    "can_messages": block(40, bytes([0x00, 0x00, 0x01, 0x23, 0x08]) * 50, count=50),
    "read_request": block(2) + block(39),
    "read_request_info": block(38),
}

# Faulty data areas, only for the block walk.
BLOCK_ONLY = {
    # Id 60 has no element size: nothing behind it can be found.
    "unknown_id_first": block(60, b"\x00" * 4) + block(38, MODULE_INFO),
    # Claims 8 socket records, carries 2.
    "short_values": block(37, SOCKET * 2, count=8),
    # The id's high byte is not compared.
    "high_id_byte": bytes([1, 0x01, 39, 0]) + text("alias", 32),
    "zero_count": block(39, count=0) + block(2, MAC),
    "header_cut": block(2, MAC) + b"\x01\x00",
    # dataLength 65535: offsets behind the last block pass 16 bits.
    "longest": (block(55, bytes(range(128)) * 255, count=255) * 2 + block(55, b"\xee" * 243, count=255)),
}

WHOLE = [0, 0, 0, 0]
BYTEWISE = [1, 1, 1, 1]
MIXED = [5, 1, 13, 2]


FIX_CRC = 0x01
LONG_CHUNK = 0x02
LONG_AT_START = 0x04


def elab_seed(plan, stream, seed=0x21, flags=0):
    return bytes(plan) + bytes([flags, seed]) + stream


def elab_seeds():
    seeds = {}
    frames = {name: frame(data, action=1 if "write" in name else 0) for name, data in DATA.items()}
    for name, f in frames.items():
        seeds[name + ".whole"] = elab_seed(WHOLE, f)
    for name in ("info", "mac_alias", "net_write_echo", "empty"):
        seeds[name + ".bytewise"] = elab_seed(BYTEWISE, frames[name], seed=0x10)
        seeds[name + ".mixed"] = elab_seed(MIXED, frames[name], seed=0x81)
    info, alias = frames["info"], frames["mac_alias"]
    seeds["garbage_before.mixed"] = elab_seed(MIXED, b"\x00\xffgarbage!\x45\x4e" + info)
    seeds["stray_start.whole"] = elab_seed(WHOLE, b"SX" + info + alias)
    seeds["double_start.bytewise"] = elab_seed(BYTEWISE, b"SS" + alias[1:])
    seeds["back_to_back.whole"] = elab_seed(WHOLE, info + alias)
    seeds["back_to_back.split"] = elab_seed([7, 0, 3, 1], alias + info + frames["empty"])
    seeds["bad_crc_then_valid.whole"] = elab_seed(WHOLE, frame(DATA["info"], crc_xor=0x0100) + alias)
    seeds["bad_crc_then_valid.bytewise"] = elab_seed(BYTEWISE, frame(b"", crc_xor=1) + frames["empty"])
    seeds["bad_terminator.whole"] = elab_seed(WHOLE, frame(DATA["mac_alias"], term=b"EX") + info)
    seeds["bad_terminator_e.mixed"] = elab_seed(MIXED, frame(b"", term=b"XN") + frames["empty"])
    seeds["empty_call.mixed"] = elab_seed([254, 3, 0, 0], alias + info, seed=0x47)
    # Wrong CRCs (one of them zero): the target writes the right ones.
    seeds["fix_crc.whole"] = elab_seed(WHOLE, frame(DATA["io_adc_mixed"], crc_xor=crc16_modbus(
        frame(DATA["io_adc_mixed"])[:-4])) + frame(DATA["sockets_tail"], crc_xor=0x5555), flags=FIX_CRC)
    seeds["truncated.whole"] = elab_seed(WHOLE, info[: len(info) // 2])
    # More bytes behind a completed frame than the receive buffer can keep.
    seeds["overflow_behind_frame.long"] = elab_seed(WHOLE, frames["empty"], flags=LONG_CHUNK | LONG_AT_START)
    # Two frames across the point where a long chunk is split.
    seeds["across_split.long"] = elab_seed(WHOLE, alias + info, flags=LONG_CHUNK)
    return seeds


def blocks_seeds():
    seeds = {}
    for name, data in list(DATA.items()) + list(BLOCK_ONLY.items()):
        if data:
            seeds[name] = bytes([0x21]) + data
    return seeds


# Element size and most elements of each datablock id.
DATABLOCK_TABLE = [
    (1, 1), (1, 1), (6, 1), (4, 1), (32, 1), (1, 1), (1, 1), (1, 1), (1, 1), (63, 1),
    (32, 1), (1, 1), (1, 1), (1, 1), (4, 1), (4, 1), (4, 1), (4, 1), (42, 1), (2, 1),
    (2, 1), (2, 1), (2, 1), (4, 1), (1, 1), (1, 1), (1, 1), (1, 1), (1, 1), (1, 1),
    (1, 1), (1, 1), (1, 1), (1, 1), (1, 1), (4, 1), (1, 1), (18, 8), (67, 1), (32, 1),
    (5, 50), (8, 14), (1, 1), (4, 14), (11, 1), (3, 8), (44, 1), (5, 50), (7, 1), (1, 1),
    (3, 1), (12, 1), (5, 1), (4, 1), (2, 4), (128, 1),
]


def netxml_seeds():
    golden = os.path.join(HERE, "..", "tests", "panels", "data", "network_last_config.xml")
    with open(golden, "rb") as f:
        saved = f.read()

    def net(inner):
        return b'<?xml version="1.0" encoding="UTF-8"?>\n<root><network>' + inner + b"</network></root>\n"

    return {
        "saved.xml": saved,
        "utf16le.xml": saved.decode("utf-8").replace('"UTF-8"', '"UTF-16"').encode("utf-16"),
        "latin1.xml": saved.replace(b'"UTF-8"', b'"ISO-8859-1"').replace(b"<ssid></ssid>", b"<ssid>caf\xe9</ssid>"),
        "doctype.xml": b"<!DOCTYPE root>" + net(b"<ssid>x</ssid>"),
        "cdata_comment.xml": net(b"<!--c--><psk><![CDATA[<k&>]]></psk><ssid>a&amp;b&#x41;</ssid><?pi x?>"),
        "two_networks.xml": b"<root><network><dhcp>1</dhcp></network><other a='>'/><network><channel>13</channel>"
        b"<security>3</security></network></root>",
        "deep.xml": net(b"<x>" * 29 + b"<ssid>d</ssid>" + b"</x>" * 29),
        "bad_choice.xml": net(b"<channel>14</channel>"),
    }


def cancsv_seeds():
    rows = [b"291,0,8,16,1\n", b"2047,1,0,8,0\n", b"536870911,1,56,8,1\n"]
    return {
        "saved.csv": b"".join(rows * 5),
        "semicolons.csv": b"291;0;;8;16;1\r\n\n1;1;2;3;0;9;9\n",
        "short_and_long.csv": b"291,0,8\n" + b"1," * 60 + b"\n-5,2,x,,0x1F\n",
    }


def sqlite_file(statements, rows=()):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "seed.db")
        db = sqlite3.connect(path)
        for sql in statements:
            db.execute(sql)
        for sql, values in rows:
            db.execute(sql, values)
        db.commit()
        db.close()
        with open(path, "rb") as f:
            return f.read()


BATCH_TABLES = [
    "CREATE TABLE vantrel_batch_module (format INTEGER NOT NULL, module_type TEXT NOT NULL, "
    "firmware TEXT NOT NULL, mac TEXT NOT NULL)",
    "CREATE TABLE vantrel_batch_datablocks (position INTEGER PRIMARY KEY, datablock INTEGER NOT NULL, "
    "element_count INTEGER NOT NULL, start_index INTEGER NOT NULL, value BLOB NOT NULL)",
]


def batch_file(module_type, firmware, ids):
    rows = [("INSERT INTO vantrel_batch_module VALUES (?,?,?,?)", (1, module_type, firmware, "00:1e:c0:12:34:56"))]
    for position, block_id in enumerate(ids):
        size, most = DATABLOCK_TABLE[block_id]
        value = bytes((block_id + i) % 4 for i in range(size * most))
        rows.append(("INSERT INTO vantrel_batch_datablocks VALUES (?,?,?,?,?)", (position, block_id, most, 0, value)))
    return sqlite_file(BATCH_TABLES, rows)


def batch_seeds():
    every = [i for i in range(len(DATABLOCK_TABLE)) if i not in (24, 38)]
    return {
        "serial.db": batch_file("S", "1.4.0", every),
        "can.db": batch_file("C", "1.5.2", every),
        "io_old.db": batch_file("I", "1.2.0", every),
        "network_only.db": batch_file("S", "1.4.0", [13, 14, 2, 10, 8, 15, 16, 5, 12, 6, 9, 39]),
    }


def cmdlist_seeds():
    table = "CREATE TABLE commandList (cmd TEXT, type INTEGER)"
    insert = "INSERT INTO commandList (cmd,type) VALUES (?,?)"
    rows = [("AT+X\r", 0), ("0a ff 1", 1), ("101 11111111", 2), ("0 255 007", 3), ("", 0), (None, 1),
            ("x", None), ("y", 7), ("z", "01"), ("caf\u00e9", 0), ("1 " * 800, 1)]
    return {
        "list.sqlite": sqlite_file([table], [(insert, r) for r in rows]),
        "empty_list.sqlite": sqlite_file([table]),
        "other_columns.sqlite": sqlite_file(["CREATE TABLE commandList (text TEXT, kind INTEGER)"]),
        "foreign.sqlite": sqlite_file(["CREATE TABLE notes (body TEXT)"]),
    }


def write(folder, seeds):
    path = os.path.join(HERE, "corpus", folder)
    os.makedirs(path, exist_ok=True)
    for name, content in sorted(seeds.items()):
        with open(os.path.join(path, name), "wb") as f:
            f.write(content)
    print(f"{len(seeds)} seeds in {os.path.relpath(path)}")


def main():
    self_check()
    write("elab", elab_seeds())
    write("blocks", blocks_seeds())
    write("netxml", netxml_seeds())
    write("cancsv", cancsv_seeds())
    write("batch", batch_seeds())
    write("cmdlist", cmdlist_seeds())
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets: real frames of the module
configuration protocol, whole, split and mixed with faults.

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
import sys

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
    return 0


if __name__ == "__main__":
    sys.exit(main())

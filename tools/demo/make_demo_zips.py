# Writes the demo's recording archives (tools/demo/yorl/inp/*.zip) the same way, byte for byte, on every run.
"""Usage: python3 tools/demo/make_demo_zips.py [OUTPUT_DIR]

Each archive RECNAME.zip holds RECNAME.inp: the game's short name padded with
zero bytes to 8 bytes, then 200 bytes of made-up input data drawn from a hash
chain of the name. One archive also holds a small RECNAME.cap.
"""
import hashlib
import os
import sys
import zipfile

# (recording name, game short name, with a .cap member); all three are listed
# in the demo's score tables and recent uploads.
RECORDINGS = [
    ("pacman_3333360_fqx", "pacman", True),
    ("dkong_1050200_mrv", "dkong", False),
    ("galaga_655000_kiri", "galaga", False),
]
STAMP = (2005, 6, 1, 12, 0, 0)


def input_bytes(seed, count):
    out = b""
    block = seed.encode()
    while len(out) < count:
        block = hashlib.sha256(block).digest()
        out += block
    return out[:count]


def add_member(archive, name, data):
    info = zipfile.ZipInfo(name, date_time=STAMP)
    info.compress_type = zipfile.ZIP_DEFLATED
    info.create_system = 0
    info.external_attr = 0
    archive.writestr(info, data, compresslevel=9)


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "yorl", "inp")
    os.makedirs(out_dir, exist_ok=True)
    for rec, short, with_cap in RECORDINGS:
        inp = short.encode().ljust(8, b"\0")[:8] + input_bytes(rec, 200)
        path = os.path.join(out_dir, rec + ".zip")
        with zipfile.ZipFile(path, "w") as archive:
            add_member(archive, rec + ".inp", inp)
            if with_cap:
                add_member(archive, rec + ".cap", b"CAP1" + input_bytes(rec + ".cap", 12))
        print(path, os.path.getsize(path))


if __name__ == "__main__":
    main()

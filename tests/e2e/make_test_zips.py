# Writes the zip archives the Windows end-to-end tests serve, the same bytes on every run.
import hashlib
import io
import sys
import zipfile
from pathlib import Path

PACMAN = b"pacman\0\0"


def pattern(size):
    return bytes((i * 7 + i // 13) % 256 for i in range(size))


def noise(size):
    # Hash chain: incompressible, and the same on every Python version.
    out, block = bytearray(), b"hobrin"
    while len(out) < size:
        block = hashlib.sha256(block).digest()
        out += block
    return bytes(out[:size])


def archive(members, method=zipfile.ZIP_DEFLATED):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as zf:
        for name, data in members:
            info = zipfile.ZipInfo(name, date_time=(2020, 1, 1, 0, 0, 0))
            info.compress_type = method
            info.external_attr = 0o644 << 16
            zf.writestr(info, data)
    return buffer.getvalue()


def corrupt():
    data = PACMAN + pattern(300)
    zipped = archive([("pacman.inp", data)], zipfile.ZIP_STORED)
    # Stored, so the member's bytes are there as they are: change one after
    # its CRC was written.
    at = zipped.index(data) + 100
    return zipped[:at] + bytes([zipped[at] ^ 0xFF]) + zipped[at + 1:]


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_test_zips.py OUTDIR")
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    files = {
        "good.zip": archive([("rec/good.inp", PACMAN + pattern(300)), ("good.cap", pattern(10))]),
        "galaga.zip": archive([("galaga.inp", b"galaga\0\0" + pattern(100))]),
        "unknown.zip": archive([("unknown.inp", b"nosuchgm" + pattern(100))]),
        "short.zip": archive([("short.inp", b"pacma")]),
        "notrec.zip": archive([("readme.txt", b"Not a recording.\n")]),
        "notazip.zip": b"This is plain text, not a zip archive.\n",
        "corrupt.zip": corrupt(),
        "unsafe.zip": archive([("CON.inp", PACMAN), ("x?.inp", PACMAN), ("../../escape.cap", pattern(10)),
                               ("safe.inp", PACMAN + pattern(100))]),
        "big.zip": archive([("big.inp", PACMAN + noise(200000 - len(PACMAN)))], zipfile.ZIP_STORED),
    }
    for name, data in files.items():
        (out / name).write_bytes(data)


if __name__ == "__main__":
    main()

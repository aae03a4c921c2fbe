# Writes the zip archives the Windows end-to-end tests serve, the same bytes on every run.
import hashlib
import io
import struct
import sys
import zlib
import zipfile
from pathlib import Path

PACMAN = b"pacman\0\0"


def todays_head(game):
    # As MAME 0.251 writes it: the mark, the time, the format's version 3.0,
    # the game in bytes 20 to 31 and the emulator in 32 to 63.
    return (b"MAMEINP\0" + bytes.fromhex("d6d0176b00000000") + b"\x03\0\0\0" + game.ljust(12, b"\0") +
            b"MAME 0.251 (unknown)".ljust(32, b"\0"))


def todays_recording(game, frames, version=b"MAME 0.251 (mame0251)", slow=None, back=None):
    # Frames of 24 bytes as the stand-in of today reads them (16 of time and
    # speed, one port), 60 a second, in one zlib stream after the head, at
    # 100% but for 80% from frame `slow` for 2 s; from frame `back` on their
    # time reads a second less, as after a loaded state.
    def frame(i):
        shown = i - 60 if back is not None and i >= back and i >= 60 else i
        speed = (1 << 20) * 4 // 5 + 1 if slow is not None and slow <= i < slow + 120 else 1 << 20
        return struct.pack("<iqI", shown // 60, (shown % 60) * 16666666666666667, speed) + bytes(8)

    data = b"".join(frame(i) for i in range(frames))
    return (b"MAMEINP\0" + bytes.fromhex("d6d0176b00000000") + b"\x03\0\0\0" + game.ljust(12, b"\0") +
            version.ljust(32, b"\0") + zlib.compress(data))


def repeated_block(recording, frame_bytes, first, end):
    # A recording whose frames `first` to `end` (not included) come again
    # right after `end`: the time runs back there, as after a loaded state.
    frames = zlib.decompress(recording[0x40:])
    block = frames[first * frame_bytes:end * frame_bytes]
    return recording[:0x40] + zlib.compress(frames[:end * frame_bytes] + block + frames[end * frame_bytes:])


def damaged_check_sum(recording):
    # The zlib stream's last byte, of its Adler-32 sum, flipped.
    return recording[:-1] + bytes([recording[-1] ^ 0xFF])


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


def corrupt(companions=()):
    data = PACMAN + pattern(300)
    zipped = archive(list(companions) + [("pacman.inp", data)], zipfile.ZIP_STORED)
    # Stored, so the member's bytes are there as they are: change one after
    # its CRC was written.
    at = zipped.index(data) + 100
    return zipped[:at] + bytes([zipped[at] ^ 0xFF]) + zipped[at + 1:]


def zeros_archive(name, size):
    # Streamed, so that the quarter gigabyte never sits in memory.
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as zf:
        info = zipfile.ZipInfo(name, date_time=(2020, 1, 1, 0, 0, 0))
        info.compress_type = zipfile.ZIP_DEFLATED
        with zf.open(info, "w") as member:
            chunk = bytes(1 << 20)
            left = size
            while left:
                member.write(chunk[:min(left, len(chunk))])
                left -= min(left, len(chunk))
    return buffer.getvalue()


def devices():
    # Every form that Windows takes for a device; "COM!.cap" becomes the
    # code page's superscript one (byte 0xB9), which Python would not write.
    members = [("COM1 .inp", PACMAN + pattern(100)), ("COM2 .cap", b"to com2"), ("lpt1. .cap", b"to lpt1"),
               ("AUX .cap", b"to aux"), ("NUL .inp", PACMAN), ("CON .inp", PACMAN), ("COM!.cap", b"to com1"),
               ("conout$.cap", b"to the console"), ("prn.x.cap", b"to the printer"),
               ("safe.inp", PACMAN + pattern(100))]
    return archive(members).replace(b"COM!.cap", b"COM\xb9.cap")


def html_inside():
    # good.zip's members, the recording stored, with "<HTML>" in its bytes
    # where the download's second 1 kB block begins: a good archive still.
    data = bytearray(PACMAN + pattern(1500))
    start = archive([("rec/good.inp", bytes(data))], zipfile.ZIP_STORED).index(bytes(data))
    data[1024 - start:1030 - start] = b"<HTML>"
    zipped = archive([("rec/good.inp", bytes(data)), ("good.cap", pattern(10))], zipfile.ZIP_STORED)
    assert zipped[1024:1030] == b"<HTML>"
    return zipped


def half(source, target):
    # The recording of the archive `source`, cut in half, as `target`.
    with zipfile.ZipFile(source) as zf:
        name = zf.namelist()[0]
        data = zf.read(name)
    Path(target).write_bytes(archive([(name.replace(".inp", "_half.inp"), data[:len(data) // 2])]))


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--half":
        half(sys.argv[2], sys.argv[3])
        return
    if len(sys.argv) != 2:
        sys.exit("usage: make_test_zips.py OUTDIR | --half SOURCE.zip TARGET.zip")
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    files = {
        "good.zip": archive([("rec/good.inp", PACMAN + pattern(300)), ("good.cap", pattern(10))]),
        "htmlinside.zip": html_inside(),
        "galaga.zip": archive([("galaga.inp", b"galaga\0\0" + pattern(100))]),
        "unknown.zip": archive([("unknown.inp", b"nosuchgm" + pattern(100))]),
        "short.zip": archive([("short.inp", b"pacma")]),
        "today.zip": archive([("best_pacman.inp", todays_head(b"pacman") + pattern(300))]),
        "shorttoday.zip": archive([("short.inp", b"MAMEINP\0" + bytes(12) + b"pacman")]),
        "notrec.zip": archive([("readme.txt", b"Not a recording.\n")]),
        "notazip.zip": b"This is plain text, not a zip archive.\n",
        "corrupt.zip": corrupt(),
        "corruptcap.zip": corrupt([("x.cap", b"a new companion")]),
        "unsafe.zip": archive([("CON.inp", PACMAN), ("x?.inp", PACMAN), ("../../escape.cap", pattern(10)),
                               ("safe.inp", PACMAN + pattern(100))]),
        "big.zip": archive([("big.inp", PACMAN + noise(200000 - len(PACMAN)))], zipfile.ZIP_STORED),
        "devices.zip": devices(),
        # A serial port's read would block for good.
        "hang.zip": archive([("COM1 .inp", PACMAN + pattern(100))]),
        "bzip2.zip": archive([("pacman.inp", PACMAN + pattern(300))], zipfile.ZIP_BZIP2),
        "bomb.zip": zeros_archive("bomb.inp", 256 * 1024 * 1024 + 1),
        # A table of today's recordings, for "Check all...".
        "table-whole.zip": archive([("pacman_whole.inp", todays_recording(b"pacman", 120))]),
        "table-cut.zip": archive([("pacman_cut.inp", todays_recording(b"pacman", 600)[:300])]),
        "table-notrec.zip": archive([("pacman_notes.inp", b"Notes about a game, not a recording.\n")]),
        "table-galaga.zip": archive([("galaga_other.inp", todays_recording(b"galaga", 120))]),
        "table-elsewhere.zip": archive([("pacman_elsewhere.inp", todays_recording(b"pacman", 60))]),
        # Played at 80% from 1 s for 2 s, its data's check sum damaged: every frame is read.
        "table-damaged.zip": archive([("pacman_damaged.inp", damaged_check_sum(todays_recording(b"pacman", 360, slow=60)))]),
        # Six seconds played at 80% for two of them, with a state loaded at 5 s.
        "table-findings.zip": archive([("pacman_findings.inp", todays_recording(b"pacman", 360, slow=150, back=300))]),
    }
    # Pong as the real MAME 0.251 recorded it (tests/recordings), and its
    # clean play with its frames of 7.5 s to 10.8 s played again after 10.8 s. A Pong frame is
    # 194 bytes: time and speed, 19 ports and 2 analog ones.
    recordings = Path(__file__).resolve().parents[1] / "recordings"
    for recording in sorted(recordings.glob("*.inp")):
        files["recordings/" + recording.name] = recording.read_bytes()
    files["recordings/pong-repeated.inp"] = repeated_block((recordings / "pong-clean.inp").read_bytes(), 194, 600, 900)
    # The stand-in's pacman played slow at 2.5 s and with a state loaded at 5 s, not zipped.
    files["recordings/pacman-findings.inp"] = todays_recording(b"pacman", 360, slow=150, back=300)
    (out / "recordings").mkdir(exist_ok=True)
    for name, data in files.items():
        (out / name).write_bytes(data)


if __name__ == "__main__":
    main()

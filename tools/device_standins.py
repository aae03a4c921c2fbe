"""Points the serial and printer ports of a Wine prefix at files and a terminal,
so that a test can see whether a program wrote to a device.

Usage: python3 tools/device_standins.py --prefix WINEPREFIX --dir DIR [--ready FILE] [--lifetime S]

COM1 becomes a pseudo-terminal: a read from it blocks as one from a serial
port with nothing attached does, and whatever is written to it is appended to
DIR/port-com1.log. COM2-COM4 and LPT1-LPT3 become the files DIR/port-com2.log
and so on (a name like "com1.out" would itself be the port to Windows). The
prefix's own links are put back when this program ends (on SIGTERM, SIGINT,
or after --lifetime seconds).
"""
import argparse
import os
import pty
import select
import signal
import sys
import time

FILE_PORTS = ["com2", "com3", "com4", "lpt1", "lpt2", "lpt3"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--dir", required=True)
    parser.add_argument("--ready")
    parser.add_argument("--lifetime", type=float, default=3600)
    args = parser.parse_args()

    dosdevices = os.path.join(args.prefix, "dosdevices")
    out = os.path.abspath(args.dir)
    os.makedirs(out, exist_ok=True)
    saved = {}

    def link(port, target):
        path = os.path.join(dosdevices, port)
        if os.path.islink(path):
            saved[port] = os.readlink(path)
            os.unlink(path)
        else:
            saved[port] = None
        os.symlink(target, path)

    def restore(*_):
        for port, target in saved.items():
            path = os.path.join(dosdevices, port)
            if os.path.islink(path):
                os.unlink(path)
            if target is not None:
                os.symlink(target, path)
        sys.exit(0)

    signal.signal(signal.SIGTERM, restore)
    signal.signal(signal.SIGINT, restore)

    for port in FILE_PORTS:
        target = os.path.join(out, "port-" + port + ".log")
        open(target, "wb").close()
        link(port, target)
    # The slave end stays open here too, so that the terminal does not hang
    # up when a program closes it.
    master, slave = pty.openpty()
    link("com1", os.ttyname(slave))
    log_path = os.path.join(out, "port-com1.log")
    open(log_path, "wb").close()

    if args.ready:
        with open(args.ready, "w") as ready:
            ready.write("ready\n")
    end = time.monotonic() + args.lifetime
    try:
        while time.monotonic() < end:
            readable, _, _ = select.select([master], [], [], 0.5)
            if readable:
                try:
                    data = os.read(master, 4096)
                except OSError:
                    break
                with open(log_path, "ab") as log:
                    log.write(data)
    finally:
        restore()


if __name__ == "__main__":
    main()

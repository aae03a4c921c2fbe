#!/usr/bin/env python3
"""Runs Debian's Linux MAME for the Windows programs of tools/mame_bridge.cpp.

Each connection on 127.0.0.1 is one MAME run: the bridge sends the working
folder (a Unix path) and the arguments; MAME runs there with -noreadconfig
before them, so that it reads no mame.ini and its folders (roms, inp, cfg,
nvram...) are relative to the working folder, as for a freshly unpacked
Windows MAME. It gets a private HOME and SDL_AUDIODRIVER=dummy. So that it
prints only what a Windows MAME would, it also gets the bgfx folder of Debian's
package (-bgfx_path, before the bridge's arguments, which may name another)
and an ALSA configuration of the bridge's own. Its standard output and
standard error go back as they come, each in its own frames, and then its
exit code. A bridge that goes away (its program was ended) ends the run.

    mame_bridge.py --port N --home DIR [--mame PATH] [--log FILE]
                   [--ready FILE] [--lifetime SECONDS]
"""
import argparse
import os
import shutil
import signal
import socket
import struct
import subprocess
import sys
import threading
import time

STDOUT, STDERR, EXIT = 1, 2, 3

# At its start MAME has PortMidi open ALSA's default sequencer, and a machine
# without /dev/snd/seq gets a line of ALSA's on standard error; so does one
# without a sequencer definition. The hw sequencer turns down a definition
# with a field it does not know without a word, and MAME runs on without MIDI.
QUIET_ALSA_CONFIG = """seq.default {
	type hw
	no_sequencer_here true
}
"""


def write_quiet_alsa_config(home):
    path = os.path.join(home, "alsa.conf")
    with open(path, "w", encoding="ascii") as config:
        config.write(QUIET_ALSA_CONFIG)
    return path


def packaged_bgfx_folder(mame):
    """The bgfx folder that Debian's MAME package installs, when `mame` is
    that package's program; None otherwise (MAME then looks in ./bgfx)."""
    try:
        files = subprocess.run(["dpkg-query", "-L", "mame", "mame-data"], stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, text=True, check=False).stdout.splitlines()
    except OSError:
        return None
    if os.path.realpath(mame) not in files:
        return None
    # artwork/bgfx holds layouts; the renderer's folder is the one with shaders.
    folders = [f for f in files if os.path.basename(f) == "bgfx" and os.path.isdir(os.path.join(f, "shaders"))]
    return min(folders, key=len) if folders else None


def receive_exactly(connection, size):
    data = b""
    while len(data) < size:
        chunk = connection.recv(size - len(data))
        if not chunk:
            raise ConnectionError("the bridge closed the connection")
        data += chunk
    return data


def read_request(connection):
    if receive_exactly(connection, 4) != b"HMB1":
        raise ValueError("not a bridge request")
    (count,) = struct.unpack("<I", receive_exactly(connection, 4))
    if count < 1 or count > 4096:
        raise ValueError("bad argument count %d" % count)
    texts = []
    for _ in range(count):
        (size,) = struct.unpack("<I", receive_exactly(connection, 4))
        if size > 1 << 20:
            raise ValueError("argument too long")
        texts.append(receive_exactly(connection, size))
    return texts[0], texts[1:]


class Run:
    def __init__(self, connection, options):
        self.connection = connection
        self.mame = options.mame
        self.home = options.home
        self.log = options.log
        self.bgfx = options.bgfx
        self.alsa_config = options.alsa_config
        self.send_lock = threading.Lock()

    def send(self, kind, payload):
        with self.send_lock:
            self.connection.sendall(struct.pack("<BI", kind, len(payload)) + payload)

    def relay(self, stream, kind):
        try:
            while True:
                chunk = os.read(stream.fileno(), 65536)
                if not chunk:
                    return
                self.send(kind, chunk)
        except OSError:
            pass

    def watch_bridge(self, process):
        # The bridge sends nothing more; an end of its connection means that
        # its program was ended, and MAME must not run on without it.
        try:
            self.connection.recv(1)
        except OSError:
            pass
        if process.poll() is None:
            os.killpg(process.pid, signal.SIGKILL)

    def serve(self):
        folder, arguments = read_request(self.connection)
        folder = os.fsdecode(folder)
        # Before the bridge's arguments: MAME takes the last of a repeated option.
        command = [self.mame, "-noreadconfig"] + (["-bgfx_path", self.bgfx] if self.bgfx else [])
        command += [os.fsdecode(a) for a in arguments]
        # XDG_RUNTIME_DIR too, or SDL complains on every run.
        environment = dict(os.environ, HOME=self.home, XDG_RUNTIME_DIR=self.home, SDL_AUDIODRIVER="dummy",
                           ALSA_CONFIG_PATH=self.alsa_config)
        started = time.monotonic()
        try:
            process = subprocess.Popen(command, cwd=folder, env=environment, stdin=subprocess.DEVNULL,
                                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, start_new_session=True)
        except OSError as error:
            self.send(STDERR, ("mame bridge: cannot run %s: %s\n" % (self.mame, error)).encode())
            self.send(EXIT, struct.pack("<i", 100))
            return
        relays = [threading.Thread(target=self.relay, args=(process.stdout, STDOUT), daemon=True),
                  threading.Thread(target=self.relay, args=(process.stderr, STDERR), daemon=True)]
        for relay in relays:
            relay.start()
        threading.Thread(target=self.watch_bridge, args=(process,), daemon=True).start()
        code = process.wait()
        for relay in relays:
            relay.join()
        # A Linux signal ends a Windows program as an exception code would.
        if code < 0:
            code = 0xC0000000 | (-code)
        self.log_run(folder, command, code, time.monotonic() - started)
        self.send(EXIT, struct.pack("<I", code & 0xFFFFFFFF))
        # Also wakes the watch on the connection, which would hold it open.
        self.connection.shutdown(socket.SHUT_RDWR)

    def log_run(self, folder, command, code, seconds):
        if self.log:
            with open(self.log, "a", encoding="utf-8", errors="replace") as log:
                log.write("%s\t%s\texit %d\t%.2f s\n" % (folder, " ".join(command), code, seconds))


def handle(connection, options):
    with connection:
        try:
            Run(connection, options).serve()
        except (OSError, ValueError, ConnectionError) as error:
            print("mame_bridge: %s" % error, file=sys.stderr)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--home", required=True, help="the private HOME of every MAME run")
    parser.add_argument("--mame", default=shutil.which("mame") or "/usr/games/mame")
    parser.add_argument("--log", help="a line per run: folder, command, exit code, time")
    parser.add_argument("--ready", help="a file written once the helper serves")
    parser.add_argument("--lifetime", type=float, default=0, help="end after so many seconds (0: never)")
    options = parser.parse_args()
    os.makedirs(options.home, exist_ok=True)
    os.chmod(options.home, 0o700)
    options.alsa_config = write_quiet_alsa_config(options.home)
    options.bgfx = packaged_bgfx_folder(options.mame)
    if options.lifetime > 0:
        # Should its starter be killed outright, the helper still ends.
        timer = threading.Timer(options.lifetime, lambda: os._exit(0))
        timer.daemon = True
        timer.start()

    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", options.port))
    server.listen(16)
    if options.ready:
        with open(options.ready + ".tmp", "w") as ready:
            ready.write("%d\n" % options.port)
        os.replace(options.ready + ".tmp", options.ready)
    while True:
        connection, _ = server.accept()
        threading.Thread(target=handle, args=(connection, options), daemon=True).start()


if __name__ == "__main__":
    main()

# A local stand-in for the YORL leaderboard service: serves score feeds and recordings from a data directory.
"""Usage: python3 tools/yorl_standin.py --port 8380 --data DIR
                 [--tls-port 8381 --certs CERT_DIR]
                 [--lifetime SECONDS] [--ready-file PATH] [--verbose]

Listens on 127.0.0.1 only and answers under /yorl/, over plain HTTP on
--port and, with --tls-port, over TLS on that port too:

  /yorl/index.cgi?mode=fe_scores&short=KEY   DIR/scores/KEY.txt   (missing: "no scores\\n")
  /yorl/index.cgi?mode=fe_recent             DIR/recent.txt       (missing: empty body)
  /yorl/inp/NAME.zip                         DIR/inp/NAME.zip     (missing: 404 page)

Every request target is appended, exactly as received, as one line to
DIR/requests.log, and its Cookie and Authorization headers, when it has any,
as lines "TARGET<TAB>HEADER: VALUE" to DIR/credentials.log. A file beside an answer's file with the extension ".mode"
(DIR/scores/KEY.mode, DIR/recent.mode, DIR/inp/NAME.mode) is read at each
request and holds words that change how the answer is sent:

  slow=MS        wait MS milliseconds before sending anything
  pieces=N,MS    send the body N bytes at a time, MS milliseconds apart
  status=CODE    answer with that status code (the body stays the same)
  nolength       leave out Content-Length; closing the connection ends the body
  cut=N          announce the full length but send only N bytes, then close
  reset          close the connection at once without answering (RST)
  hang           read the request, then send nothing and keep the connection open
  stall=N        send the headers and N bytes of the body, then send nothing
                 more and keep the connection open
  redirect=URL   answer with a redirect to URL (status 302 unless status= says
                 otherwise) instead of the answer
  trickle=MS     send the whole answer, status line and headers included, one
                 byte every MS milliseconds
  cookie=TEXT    add the header "Set-Cookie: TEXT; Path=/"
  auth           answer 401 with "WWW-Authenticate: Basic realm="YORL""
  endless        after the body, send zeros without end and without a
                 Content-Length, until the client closes the connection

A stalled connection is held until the client closes it or the server stops.

The TLS listener presents CERT_DIR/NAME.crt with the key CERT_DIR/NAME.key,
where NAME is "localhost" unless DIR/tls.mode holds cert=NAME; the file is
read at each connection.

With --port 0 a free port is taken; the port number goes to --ready-file once
the server is listening. The server stops by itself after --lifetime seconds
(default 1800), or on SIGTERM / SIGINT.
"""
import argparse
import http.server
import os
import re
import select
import signal
import socket
import ssl
import struct
import sys
import threading
import time
import urllib.parse

NOT_FOUND_PAGE = b"<HTML><BODY>Not found</BODY></HTML>"
NO_SCORES = b"no scores\n"

_log_lock = threading.Lock()


class Answer:
    """What to send: status, content type, body, plus the fault words of its .mode file."""

    def __init__(self, status, content_type, body, mode_path=None):
        self.status = status
        self.content_type = content_type
        self.body = body
        self.mode_path = mode_path


def read_file(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def parse_mode(path):
    """Reads the fault words of a .mode file into a dict; unknown or malformed words are skipped."""
    mode = {}
    text = read_file(path) if path else None
    if not text:
        return mode
    for word in text.decode("latin-1").split():
        name, _, value = word.partition("=")
        try:
            if name == "slow":
                mode["slow"] = max(0, int(value)) / 1000.0
            elif name == "pieces":
                size, _, gap = value.partition(",")
                mode["pieces"] = (max(1, int(size)), max(0, int(gap or 0)) / 1000.0)
            elif name == "status":
                mode["status"] = int(value)
            elif name in ("cut", "stall"):
                mode[name] = max(0, int(value))
            elif name == "redirect" and value:
                mode["redirect"] = value
            elif name == "trickle":
                mode["trickle"] = max(0, int(value)) / 1000.0
            elif name == "cookie" and value:
                mode["cookie"] = value
            elif name in ("nolength", "reset", "hang", "auth", "endless") and not value:
                mode[name] = True
        except ValueError:
            pass
    return mode


def safe_name(raw):
    """Percent-decodes a short or recording name; None when it could leave its folder."""
    name = urllib.parse.unquote(raw, encoding="latin-1")
    if not name or "/" in name or "\\" in name or "\0" in name or name in (".", ".."):
        return None
    return name


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def parse_request(self):
        # The front-end does not escape blanks in a split's name, so the
        # target is everything between the method and the final " HTTP/x.y";
        # http.server would reject such a line, so hand it a blank-free copy.
        line = str(self.raw_requestline, "iso-8859-1").rstrip("\r\n")
        method, _, rest = line.partition(" ")
        target, sep, version = rest.rpartition(" ")
        if not (sep and version.startswith("HTTP/")):
            target = None
        elif re.search(r"\s", target):
            escaped = re.sub(r"\s", lambda m: "%%%02X" % ord(m.group()), target)
            self.raw_requestline = ("%s %s %s\r\n" % (method, escaped, version)).encode("iso-8859-1")
        if not super().parse_request():
            return False
        if target is not None:
            self.path = target
            self.requestline = line
        self.record_request()
        return True

    def record_request(self):
        target = self.path.encode("iso-8859-1", "replace")
        credentials = [
            ("%s: %s" % (name, value)).encode("iso-8859-1", "replace")
            for name, value in self.headers.items()
            if name.lower() in ("cookie", "authorization")
        ]
        with _log_lock:
            with open(os.path.join(self.server.data_dir, "requests.log"), "ab") as f:
                f.write(target + b"\n")
            if credentials:
                with open(os.path.join(self.server.data_dir, "credentials.log"), "ab") as f:
                    f.write(b"".join(target + b"\t" + line + b"\n" for line in credentials))

    def version_string(self):
        return "YorlStandin/1.0"

    def log_message(self, fmt, *args):
        if self.server.verbose:
            sys.stderr.write("yorl_standin: %s %s\n" % (self.address_string(), fmt % args))

    def do_GET(self):
        self.close_connection = True
        try:
            self.send_answer(self.route())
        except (BrokenPipeError, ConnectionResetError):
            pass

    def route(self):
        data = self.server.data_dir
        path, has_query, query = self.path.partition("?")
        if path == "/yorl/index.cgi" and has_query:
            params = {}
            for pair in query.split("&"):
                key, _, value = pair.partition("=")
                params.setdefault(key, value)
            mode = params.get("mode")
            if mode == "fe_scores" and "short" in params:
                key = safe_name(params["short"])
                if key is not None:
                    base = os.path.join(data, "scores", key)
                    body = read_file(base + ".txt")
                    return Answer(200, "text/plain", NO_SCORES if body is None else body, base + ".mode")
                return Answer(200, "text/plain", NO_SCORES)
            if mode == "fe_recent":
                base = os.path.join(data, "recent")
                body = read_file(base + ".txt")
                return Answer(200, "text/plain", b"" if body is None else body, base + ".mode")
        elif path.startswith("/yorl/inp/") and path.endswith(".zip"):
            name = safe_name(path[len("/yorl/inp/"):-len(".zip")])
            if name is not None:
                base = os.path.join(data, "inp", name)
                body = read_file(base + ".zip")
                if body is not None:
                    return Answer(200, "application/zip", body, base + ".mode")
                return Answer(404, "text/html", NOT_FOUND_PAGE, base + ".mode")
        return Answer(404, "text/html", NOT_FOUND_PAGE)

    def send_answer(self, answer):
        mode = parse_mode(answer.mode_path)
        if mode:
            self.log_message("fault words %r", mode)
        if "slow" in mode:
            time.sleep(mode["slow"])
        if mode.get("reset"):
            self.reset_connection()
            return
        if mode.get("hang"):
            self.hold_connection()
            return
        body = answer.body
        status = answer.status
        if "redirect" in mode:
            body = b"<HTML><BODY>Moved</BODY></HTML>"
            status = 302
        if mode.get("auth"):
            body = b"<HTML><BODY>Who are you?</BODY></HTML>"
            status = 401
        if "trickle" in mode:
            # Built by hand: every byte, the status line's first included, waits its turn.
            self.send_response(mode.get("status", status))
            self.send_answer_headers(answer, mode, body)
            whole = b"".join(self._headers_buffer) + body
            self._headers_buffer = []
            for i in range(len(whole)):
                if i:
                    time.sleep(mode["trickle"])
                self.wfile.write(whole[i : i + 1])
                self.wfile.flush()
            return
        self.send_response(mode.get("status", status))
        self.send_answer_headers(answer, mode, body)
        self.end_headers()
        if "cut" in mode:
            body = body[: mode["cut"]]
        if "stall" in mode:
            body = body[: mode["stall"]]
        size, gap = mode.get("pieces", (len(body) or 1, 0))
        for start in range(0, len(body), size):
            if start and gap:
                time.sleep(gap)
            self.wfile.write(body[start : start + size])
            self.wfile.flush()
        if "stall" in mode:
            self.hold_connection()
        if mode.get("endless"):
            zeros = bytes(64 * 1024)
            try:
                while True:
                    self.wfile.write(zeros)
            except OSError:
                pass

    def send_answer_headers(self, answer, mode, body):
        """Queues the headers after the status line; end_headers sends them."""
        if "redirect" in mode:
            self.send_header("Location", mode["redirect"])
        if mode.get("auth"):
            self.send_header("WWW-Authenticate", 'Basic realm="YORL"')
        if "cookie" in mode:
            self.send_header("Set-Cookie", mode["cookie"] + "; Path=/")
        self.send_header("Content-Type", "text/html" if mode.get("auth") else answer.content_type)
        if not mode.get("nolength") and not mode.get("endless"):
            self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        if "trickle" in mode:
            self._headers_buffer.append(b"\r\n")

    def hold_connection(self):
        """Sends nothing more until the client closes the connection or the server stops."""
        self.log_message("holding the connection")
        while not self.server.stopping.is_set():
            try:
                readable, _, _ = select.select([self.connection], [], [], 0.2)
                if readable and not self.connection.recv(4096):
                    return
            except (OSError, ValueError):
                return

    def reset_connection(self):
        self.log_message("resetting the connection")
        try:
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        except OSError:
            pass
        self.connection.close()


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        # A client that refuses the certificate or hangs up is no fault of ours.
        error = sys.exc_info()[1]
        if isinstance(error, (ssl.SSLError, OSError)):
            if self.verbose:
                sys.stderr.write("yorl_standin: %s: connection ended: %s\n" % (client_address[0], error))
            return
        super().handle_error(request, client_address)


class TlsServer(Server):
    """The same service over TLS, with the certificate that DIR/tls.mode names."""

    def __init__(self, address, handler, cert_dir):
        super().__init__(address, handler)
        self.cert_dir = cert_dir
        self.contexts = {}

    def context_for(self, name):
        if name not in self.contexts:
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            base = os.path.join(self.cert_dir, name)
            context.load_cert_chain(base + ".crt", base + ".key")
            self.contexts[name] = context
        return self.contexts[name]

    def certificate_name(self):
        text = read_file(os.path.join(self.data_dir, "tls.mode")) or b""
        for word in text.decode("latin-1").split():
            key, _, value = word.partition("=")
            if key == "cert" and re.fullmatch(r"[A-Za-z0-9_-]+", value):
                return value
        return "localhost"

    def get_request(self):
        connection, address = super().get_request()
        try:
            context = self.context_for(self.certificate_name())
        except (OSError, ssl.SSLError):
            connection.close()
            raise
        # The handshake happens in the request's own thread, so a client that
        # stalls in it holds no one else.
        return context.wrap_socket(connection, server_side=True, do_handshake_on_connect=False), address

    def finish_request(self, request, client_address):
        request.settimeout(30)
        request.do_handshake()
        request.settimeout(None)
        super().finish_request(request, client_address)


def main():
    parser = argparse.ArgumentParser(description="Local stand-in for the YORL leaderboard service.")
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--data", required=True, help="data directory")
    parser.add_argument("--lifetime", type=float, default=1800, help="seconds before stopping by itself")
    parser.add_argument("--ready-file", help="receives the port number once listening")
    parser.add_argument("--tls-port", type=int, help="also serve over TLS on this port")
    parser.add_argument("--certs", help="folder of NAME.crt and NAME.key for the TLS port")
    parser.add_argument("--verbose", action="store_true", help="log to stderr")
    args = parser.parse_args()
    if args.tls_port is not None and not args.certs:
        parser.error("--tls-port needs --certs")

    servers = [Server(("127.0.0.1", args.port), Handler)]
    if args.tls_port is not None:
        servers.append(TlsServer(("127.0.0.1", args.tls_port), Handler, os.path.abspath(args.certs)))
    stopping = threading.Event()
    for server in servers:
        server.data_dir = os.path.abspath(args.data)
        server.verbose = args.verbose
        server.stopping = stopping
    server = servers[0]
    port = server.server_address[1]

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    for each in servers:
        threading.Thread(target=each.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True).start()

    if args.ready_file:
        temp = args.ready_file + ".tmp"
        with open(temp, "w") as f:
            f.write("%d\n" % port)
        os.replace(temp, args.ready_file)
    if args.verbose:
        sys.stderr.write("yorl_standin: listening on 127.0.0.1:%d, data %s\n" % (port, server.data_dir))

    # Short waits, so a signal handler's stop is noticed at once.
    deadline = time.monotonic() + args.lifetime
    while not stop.is_set() and time.monotonic() < deadline:
        stop.wait(min(0.5, max(0.0, deadline - time.monotonic())))
    # Held connections let go first, so that nothing outlives the server.
    stopping.set()
    for each in servers:
        each.shutdown()
        each.server_close()
    if args.verbose:
        sys.stderr.write("yorl_standin: stopped\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())

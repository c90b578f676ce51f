#!/usr/bin/env python3
"""A local update server for the update tests: logs what it is asked and answers as told.

update_server.py DIR [--tls]

Listens on 127.0.0.1 at a free port, which it writes to DIR/port once it accepts. With --tls it
speaks HTTPS with a self-signed certificate made by openssl (DIR/cert.pem, and DIR/cert.der for
a test that wants to trust it). Each request is logged to DIR/requests.log, its lines written at
once before it is answered:
    request <verb> <path>
    header <name>: <value>      (one per header, in the order received)
    body <text>                 (only when there is a body)
    end
A TLS handshake that fails logs "tls-failed <reason>".

The answer follows the request path's last part when it names a mode, else DIR/mode (default
"reply"):
    reply     200 with the bytes of DIR/reply ("OK" when there is none)
    hang      nothing, ever
    trickle   200 and a long body, one byte every half second
    reset     the connection is reset
    huge      200 with "U=" and 4 MB more
    binary    200 with bytes 0 to 255 over and over
    error     500 with the body "OK"
It ends when DIR/stop appears, removing DIR, or after four minutes whatever happens (a test that
crashed leaves no stop file; DIR then stays for a look at what the server saw).
"""

import http.server
import os
import shutil
import socket
import socketserver
import ssl
import struct
import subprocess
import sys
import threading
import time

LIFETIME = 240
MODES = {"reply", "hang", "trickle", "reset", "huge", "binary", "error"}


def main(argv):
    folder = argv[0]
    tls = "--tls" in argv[1:]
    log_lock = threading.Lock()
    stop_path = os.path.join(folder, "stop")

    def log(lines):
        with log_lock, open(os.path.join(folder, "requests.log"), "a", encoding="utf-8", errors="replace") as f:
            f.write("".join(line + "\n" for line in lines))

    def stopped():
        return os.path.exists(stop_path)

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.0"

        def log_message(self, *args):
            pass

        def handle_one(self, verb):
            length = int(self.headers.get("Content-Length") or 0)
            body = self.rfile.read(length) if length > 0 else b""
            lines = ["request %s %s" % (verb, self.path)]
            lines += ["header %s: %s" % (k, v) for k, v in self.headers.items()]
            if body:
                lines.append("body " + body.decode("latin-1"))
            log(lines + ["end"])
            last = self.path.rstrip("/").rsplit("/", 1)[-1]
            mode = last if last in MODES else read(os.path.join(folder, "mode"), b"reply").decode().strip()
            if mode == "hang":
                while not stopped():
                    time.sleep(0.2)
            elif mode == "reset":
                self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                self.connection.close()
            elif mode == "trickle":
                self.head(200, 100000)
                while not stopped():
                    self.wfile.write(b"U")
                    self.wfile.flush()
                    time.sleep(0.5)
            elif mode == "huge":
                self.send_all(200, b"U=" + b"x" * (4 << 20))
            elif mode == "binary":
                self.send_all(200, bytes(range(256)) * 16)
            elif mode == "error":
                self.send_all(500, b"OK")
            else:
                self.send_all(200, read(os.path.join(folder, "reply"), b"OK"))

        def head(self, status, length):
            self.send_response(status)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", str(length))
            self.end_headers()

        def send_all(self, status, data):
            self.head(status, len(data))
            self.wfile.write(data)

        def do_GET(self):
            self.quietly(lambda: self.handle_one("GET"))

        def do_POST(self):
            self.quietly(lambda: self.handle_one("POST"))

        def quietly(self, work):
            try:
                work()
            except OSError:
                pass  # the client went away, as hostile cases expect it to

    class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
        daemon_threads = True
        context = None

        def finish_request(self, request, client_address):
            if self.context:
                try:
                    request = self.context.wrap_socket(request, server_side=True)
                except (ssl.SSLError, OSError) as error:
                    log(["tls-failed %s" % error.__class__.__name__])
                    return
            super().finish_request(request, client_address)

    server = Server(("127.0.0.1", 0), Handler)
    if tls:
        cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                        "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=DNS:127.0.0.1,IP:127.0.0.1",
                        "-keyout", key, "-out", cert], check=True, capture_output=True)
        subprocess.run(["openssl", "x509", "-in", cert, "-outform", "DER", "-out",
                        os.path.join(folder, "cert.der")], check=True, capture_output=True)
        server.context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        server.context.load_cert_chain(cert, key)
    threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True).start()
    with open(os.path.join(folder, "port.tmp"), "w") as f:
        f.write(str(server.server_address[1]))
    os.rename(os.path.join(folder, "port.tmp"), os.path.join(folder, "port"))

    start = time.time()
    while not stopped() and time.time() - start < LIFETIME:
        time.sleep(0.2)
    if stopped():
        shutil.rmtree(folder, ignore_errors=True)
    # Threads still hanging on purpose must not keep the process.
    os._exit(0)


def read(path, default):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return default


if __name__ == "__main__":
    main(sys.argv[1:])

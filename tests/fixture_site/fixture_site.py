#!/usr/bin/env python3
"""The auction site's stand-in for tests and the demo: a small HTTP/1.0 server on loopback.

It serves folders of static files and scripted answers, and records the exact bytes of every
request it receives. Python 3 standard library only. See README.md beside it.

  fixture_site.py serve --state DIR [--root DIR] [--mount /PREFIX=DIR ...] [--port N]
  fixture_site.py start --state DIR [same options]   # serve in the background, wait until ready
  fixture_site.py stop  --state DIR                  # stop the server that "start" left there

The state folder receives:  port (the port number), pid, server.log and requests/NNNNNN_HOST.http
(one file per request, its exact bytes; HOST is the local address it arrived at).
"""

import argparse
import base64
import os
import re
import shutil
import signal
import socket
import socketserver
import struct
import subprocess
import sys
import threading
import time
import urllib.parse

# The other addresses give tests "another host"; each host keeps its own cached credentials.
HOSTS = ("127.0.0.1", "127.0.0.2", "127.0.0.3")
MAX_REQUEST_BYTES = 1 << 20
READY_TIMEOUT_S = 15
STOP_TIMEOUT_S = 10

REASONS = {200: "OK", 301: "Moved Permanently", 302: "Found", 303: "See Other",
           401: "Unauthorized", 404: "Not Found", 500: "Internal Server Error"}


def content_type(path):
    return "text/html" if path.lower().endswith((".html", ".htm")) else "text/plain"


def response_head(status, headers=(), reason=None):
    lines = ["HTTP/1.0 %d %s" % (status, reason or REASONS.get(status, "Status"))]
    lines += ["%s: %s" % pair for pair in headers]
    return ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1")


def simple_answer(status, body, headers=()):
    return response_head(status, list(headers) + [("Content-Type", "text/html"),
                                                  ("Content-Length", str(len(body)))]) + body


def error_page(status):
    text = "<html><body><h1>%d %s</h1></body></html>\r\n" % (status, REASONS.get(status, ""))
    return simple_answer(status, text.encode("latin-1"))


class Site:
    """Where requests go: mounted folders, scripted routes and the request log."""

    def __init__(self, state, mounts):
        self.state = state
        self.mounts = sorted(mounts, key=lambda m: len(m[0]), reverse=True)  # longest prefix first
        self.requests = os.path.join(state, "requests")
        self.counter = 0
        self.lock = threading.Lock()
        self.sequence_lock = threading.Lock()

    def record(self, raw, local_host):
        with self.lock:
            self.counter += 1
            name = "%06d_%s.http" % (self.counter, local_host)
        temp = os.path.join(self.requests, "." + name + ".tmp")
        with open(temp, "wb") as f:
            f.write(raw)
        os.replace(temp, os.path.join(self.requests, name))  # readers never see half a request

    def file_for(self, path):
        """The file a URL path names, or None; never a file outside its mounted folder."""
        for prefix, folder in self.mounts:
            if prefix == "/" or path == prefix or path.startswith(prefix.rstrip("/") + "/"):
                rest = path[len(prefix.rstrip("/")):].lstrip("/")
                base = os.path.realpath(folder)
                candidate = os.path.realpath(os.path.join(base, rest))
                if candidate != base and not candidate.startswith(base + os.sep):
                    return None
                return candidate
        return None

    def next_in_sequence(self, path):
        """Takes the first address off PATH.sequence; None when the file is missing or used up."""
        name = self.file_for(path + ".sequence")
        if name is None:
            return None
        with self.sequence_lock:
            try:
                with open(name, "rb") as f:
                    lines = [line.strip() for line in f.read().decode("latin-1").splitlines()]
            except OSError:
                return None
            lines = [line for line in lines if line]
            if not lines:
                return None
            temp = os.path.join(os.path.dirname(name), "." + os.path.basename(name) + ".tmp")
            with open(temp, "wb") as f:
                f.write("".join(line + "\n" for line in lines[1:]).encode("latin-1"))
            os.replace(temp, name)
            return lines[0]

    def read_file(self, path):
        name = self.file_for(path)
        if name is None or not os.path.isfile(name):
            return None
        with open(name, "rb") as f:
            return f.read()


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        sock = self.request
        sock.settimeout(30)
        raw = b""
        try:
            while b"\r\n\r\n" not in raw and b"\n\n" not in raw and len(raw) < MAX_REQUEST_BYTES:
                chunk = sock.recv(65536)
                if not chunk:
                    break
                raw += chunk
        except OSError:
            pass
        if not raw:
            return
        site = self.server.site
        site.record(raw, sock.getsockname()[0])
        try:
            self.answer(sock, site, raw)
        except OSError as error:  # the client went away: nothing to answer
            self.server.log("answer failed: %s" % error)

    def answer(self, sock, site, raw):
        head = raw.split(b"\r\n\r\n", 1)[0].decode("latin-1")
        lines = head.split("\r\n")
        parts = lines[0].split(" ")
        if len(parts) < 2:
            sock.sendall(error_page(400))
            return
        headers = {}
        for line in lines[1:]:
            name, _, value = line.partition(":")
            headers[name.strip().lower()] = value.strip()
        self.answer_target(sock, site, parts[1], headers)

    def answer_target(self, sock, site, target, headers, in_sequence=False):
        # A proxy request names the whole address: only its path and query count here.
        if re.match(r"[A-Za-z][A-Za-z0-9+.-]*://", target):
            target = "/" + target.split("://", 1)[1].partition("/")[2]
        path, _, query = target.partition("?")
        path = urllib.parse.unquote(path.split("#", 1)[0])
        params = {k: v[-1] for k, v in urllib.parse.parse_qs(query, keep_blank_values=True).items()}

        # A sequence gives one path a different answer per request: each takes the next address
        # and is answered as that address is, without a sequence of its own.
        step = None if in_sequence else site.next_in_sequence(path)
        if step is not None:
            self.answer_target(sock, site, step, headers, in_sequence=True)
            return
        if path.startswith("/_/"):
            self.scripted(sock, site, path[3:], params, headers)
            return
        raw_answer = site.read_file(path + ".http")
        if raw_answer is None and path.endswith(".http"):
            raw_answer = site.read_file(path)
        if raw_answer is not None:
            sock.sendall(raw_answer)  # a recorded answer, sent byte for byte
            return
        body = site.read_file(path)
        if body is None:
            sock.sendall(error_page(404))
            return
        sock.sendall(response_head(200, [("Content-Type", content_type(path)),
                                         ("Content-Length", str(len(body)))]) + body)

    def body_of(self, site, params):
        if "file" in params:
            return site.read_file("/" + params["file"].lstrip("/"))
        return params.get("body", "").encode("latin-1")

    def scripted(self, sock, site, route, params, headers):
        if route == "status":
            # /_/status?code=N[&file=PATH|&body=TEXT]: any status with any body.
            body = self.body_of(site, params)
            if body is None:
                sock.sendall(error_page(404))
                return
            sock.sendall(simple_answer(int(params.get("code", "200")), body))
        elif route == "redirect":
            # /_/redirect?code=302&to=URL[&content-location=URL]: Content-Location comes first.
            extra = []
            if "content-location" in params:
                extra.append(("Content-Location", params["content-location"]))
            if "to" in params:
                extra.append(("Location", params["to"]))
            sock.sendall(simple_answer(int(params.get("code", "302")), b"<html>moved</html>\r\n", extra))
        elif route == "auth":
            # /_/auth?user=U&password=P&file=PATH[&realm=R]: 401 until the request carries those Basic
            # credentials.
            expected = "Basic " + base64.b64encode(
                ("%s:%s" % (params.get("user", ""), params.get("password", ""))).encode("latin-1")).decode()
            if headers.get("authorization") == expected:
                body = self.body_of(site, params)
                sock.sendall(simple_answer(200, body) if body is not None else error_page(404))
            else:
                sock.sendall(simple_answer(401, b"<html>Authorization Required</html>\r\n",
                                           [("WWW-Authenticate", 'Basic realm="%s"' % params.get("realm", "Lotwise fixture"))]))
        elif route == "slow":
            # /_/slow?file=PATH&pieces=N&pause=MS: the answer trickles out in N pieces.
            body = self.body_of(site, params) or b""
            pieces = max(1, int(params.get("pieces", "4")))
            pause = int(params.get("pause", "200")) / 1000.0
            sock.sendall(response_head(200, [("Content-Type", "text/html"), ("Content-Length", str(len(body)))]))
            step = max(1, -(-len(body) // pieces))
            for start in range(0, len(body), step):
                time.sleep(pause)
                sock.sendall(body[start:start + step])
        elif route == "drop":
            # /_/drop?file=PATH&after=N: promises the whole body, sends N bytes, then resets.
            body = self.body_of(site, params) or b""
            after = int(params.get("after", "0"))
            sock.sendall(response_head(200, [("Content-Type", "text/html"), ("Content-Length", str(len(body)))]))
            sock.sendall(body[:after])
            time.sleep(0.2)  # lets the sent part arrive before the reset
            self.reset(sock)
        elif route == "hangup":
            # /_/hangup: reads the request and resets the connection without a word.
            self.reset(sock)
        else:
            sock.sendall(error_page(404))

    @staticmethod
    def reset(sock):
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        sock.close()


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, site, log):
        self.site = site
        self.log = log
        super().__init__(address, Handler)

    def shutdown_request(self, request):
        try:
            request.shutdown(socket.SHUT_WR)  # end of answer: the body runs to the close
        except OSError:
            pass
        request.close()


def bind_servers(site, log, wanted_port):
    """One server per loopback address, all on the same port."""
    for _ in range(50):
        servers = []
        try:
            first = Server((HOSTS[0], wanted_port), site, log)
            servers.append(first)
            port = first.server_address[1]
            for host in HOSTS[1:]:
                servers.append(Server((host, port), site, log))
            return servers, port
        except OSError:
            for server in servers:
                server.server_close()
            if wanted_port:
                raise
    raise OSError("no port free on every loopback address")


def parse_mounts(args):
    mounts = []
    if args.root:
        mounts.append(("/", os.path.abspath(args.root)))
    for item in args.mount:
        prefix, sep, folder = item.partition("=")
        if not sep or not prefix.startswith("/"):
            sys.exit("--mount wants /PREFIX=DIR, got %r" % item)
        mounts.append((prefix, os.path.abspath(folder)))
    return mounts


def serve(args):
    state = os.path.abspath(args.state)
    os.makedirs(os.path.join(state, "requests"), exist_ok=True)
    log_file = open(os.path.join(state, "server.log"), "a", buffering=1)

    def log(text):
        log_file.write(time.strftime("%H:%M:%S ") + text + "\n")

    site = Site(state, parse_mounts(args))
    servers, port = bind_servers(site, log, args.port)
    for server in servers:
        threading.Thread(target=server.serve_forever, daemon=True).start()
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    with open(os.path.join(state, ".port.tmp"), "w") as f:
        f.write("%d\n" % port)
    os.replace(os.path.join(state, ".port.tmp"), os.path.join(state, "port"))
    log("serving %s on port %d" % (site.mounts, port))
    # A run that dies before its clean-up step must not leave the server behind for ever.
    stop.wait(args.lifetime)
    for server in servers:
        server.shutdown()
        server.server_close()
    log("stopped")
    for name in ("port", "pid"):
        try:
            os.remove(os.path.join(state, name))
        except FileNotFoundError:
            pass


def our_server(pid, state):
    """True when pid is a fixture site serving this state folder (pids get reused)."""
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            words = f.read().split(b"\0")
    except OSError:
        return False
    return any(w.endswith(b"fixture_site.py") for w in words) and os.fsencode(state) in words


def stop_server(state):
    pid_file = os.path.join(state, "pid")
    try:
        with open(pid_file) as f:
            pid = int(f.read().strip())
    except (OSError, ValueError):
        return
    if our_server(pid, state):
        os.kill(pid, signal.SIGTERM)
        deadline = time.time() + STOP_TIMEOUT_S
        while time.time() < deadline and our_server(pid, state):
            time.sleep(0.05)
        if our_server(pid, state):
            os.kill(pid, signal.SIGKILL)
    try:
        os.remove(pid_file)
    except FileNotFoundError:
        pass


def start(args, argv):
    state = os.path.abspath(args.state)
    stop_server(state)  # a server left by an interrupted run
    for name in ("requests", "port", "server.log"):
        path = os.path.join(state, name)
        if os.path.isdir(path):
            shutil.rmtree(path)
        elif os.path.exists(path):
            os.remove(path)
    os.makedirs(state, exist_ok=True)
    serve_argv = [sys.executable, os.path.abspath(__file__), "serve"] + argv
    serve_argv[serve_argv.index("--state") + 1] = state
    # Detached, with no inherited pipes: ctest waits for the pipes of a test to close.
    with open(os.devnull, "rb") as null_in, open(os.path.join(state, "server.log"), "ab") as out:
        child = subprocess.Popen(serve_argv, stdin=null_in, stdout=out, stderr=out, start_new_session=True)
    with open(os.path.join(state, "pid"), "w") as f:
        f.write("%d\n" % child.pid)
    deadline = time.time() + READY_TIMEOUT_S
    while time.time() < deadline:
        if os.path.exists(os.path.join(state, "port")):
            with open(os.path.join(state, "port")) as f:
                print("fixture site on port %s" % f.read().strip())
            return 0
        if child.poll() is not None:
            break
        time.sleep(0.05)
    sys.stderr.write("fixture site did not start; see %s\n" % os.path.join(state, "server.log"))
    stop_server(state)
    return 1


def main():
    parser = argparse.ArgumentParser(description="Lotwise fixture site")
    parser.add_argument("command", choices=("serve", "start", "stop"))
    parser.add_argument("--state", required=True, help="folder for port, pid, log and recorded requests")
    parser.add_argument("--root", help="folder served at /")
    parser.add_argument("--mount", action="append", default=[], help="/PREFIX=DIR, served under /PREFIX/")
    parser.add_argument("--port", type=int, default=0, help="port to use (default: a free one)")
    parser.add_argument("--lifetime", type=float, default=3600, help="seconds after which the server ends")
    args = parser.parse_args()
    if args.command == "serve":
        serve(args)
        return 0
    if args.command == "stop":
        stop_server(os.path.abspath(args.state))
        return 0
    return start(args, sys.argv[2:])


if __name__ == "__main__":
    sys.exit(main())

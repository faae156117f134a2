#!/usr/bin/env python3
"""The fixture site's own test: start and stop, files and mounts, scripted answers, the request log."""

import base64
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fixture_site.py")


def fetch(port, raw_request, host="127.0.0.1", timeout=10):
    """Sends raw request bytes; gives (answer bytes, error or None)."""
    with socket.create_connection((host, port), timeout=timeout) as sock:
        sock.sendall(raw_request)
        answer = b""
        try:
            while True:
                chunk = sock.recv(65536)
                if not chunk:
                    return answer, None
                answer += chunk
        except OSError as error:
            return answer, error


def get(port, target, host="127.0.0.1", headers=""):
    return fetch(port, ("GET %s HTTP/1.0\r\nHost: %s\r\n%s\r\n" % (target, host, headers)).encode(), host)[0]


def serving(pid):
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            return b"fixture_site.py" in f.read()
    except OSError:
        return False


def split(answer):
    head, _, body = answer.partition(b"\r\n\r\n")
    return head.decode("latin-1").split("\r\n"), body


class FixtureSiteTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="fixture_site_test.", dir=os.getcwd())
        cls.state = os.path.join(cls.work, "state")
        cls.root = os.path.join(cls.work, "www")
        cls.pages = os.path.join(cls.work, "pages")
        os.makedirs(os.path.join(cls.root, "sub"))
        os.makedirs(cls.pages)
        with open(os.path.join(cls.root, "page.html"), "wb") as f:
            f.write(b"<html>\r\nroot page\r\n</html>\r\n")
        with open(os.path.join(cls.pages, "result.html"), "wb") as f:
            f.write(b"mounted page\n")
        with open(os.path.join(cls.root, "sub", "recorded.http"), "wb") as f:
            f.write(b"HTTP/1.0 302 Found\r\nContent-Location: http://a/\r\nLocation: http://b/\r\n\r\n")
        with open(os.path.join(cls.root, "sub", "named.html.http"), "wb") as f:
            f.write(b"no status line at all\n")
        with open(os.path.join(cls.work, "secret.txt"), "wb") as f:
            f.write(b"outside the root")
        started = subprocess.run([sys.executable, SCRIPT, "start", "--state", cls.state, "--root", cls.root,
                                  "--mount", "/pages=" + cls.pages, "--lifetime", "120"],
                                 capture_output=True, timeout=30)
        if started.returncode != 0:
            raise RuntimeError("start failed: %r" % started)
        with open(os.path.join(cls.state, "port")) as f:
            cls.port = int(f.read())

    @classmethod
    def tearDownClass(cls):
        subprocess.run([sys.executable, SCRIPT, "stop", "--state", cls.state], timeout=30)
        shutil.rmtree(cls.work, ignore_errors=True)

    def take_requests(self):
        folder = os.path.join(self.state, "requests")
        names = sorted(n for n in os.listdir(folder) if n.endswith(".http"))
        requests = []
        for name in names:
            with open(os.path.join(folder, name), "rb") as f:
                requests.append((name.split("_", 1)[1][:-5], f.read()))
            os.remove(os.path.join(folder, name))
        return requests

    def setUp(self):
        self.take_requests()

    def test_serves_files_byte_for_byte_on_every_loopback_host(self):
        for host in ("127.0.0.1", "127.0.0.2", "127.0.0.3"):
            lines, body = split(get(self.port, "/page.html?q=1", host))
            self.assertEqual(lines[0], "HTTP/1.0 200 OK")
            self.assertIn("Content-Type: text/html", lines)
            self.assertIn("Content-Length: %d" % len(body), lines)
            self.assertEqual(body, b"<html>\r\nroot page\r\n</html>\r\n")
        self.assertEqual([host for host, _ in self.take_requests()], ["127.0.0.1", "127.0.0.2", "127.0.0.3"])

    def test_mounted_folder_and_proxy_form(self):
        self.assertEqual(split(get(self.port, "/pages/result.html"))[1], b"mounted page\n")
        self.assertEqual(split(get(self.port, "http://any.example:80/pages/result.html"))[1], b"mounted page\n")
        self.assertEqual(split(get(self.port, "http://any.example/page.html"))[1], b"<html>\r\nroot page\r\n</html>\r\n")

    def test_missing_and_outside_files_are_404(self):
        for target in ("/missing.html", "/../secret.txt", "/%2e%2e/secret.txt", "/pages/../../secret.txt"):
            self.assertEqual(split(get(self.port, target))[0][0], "HTTP/1.0 404 Not Found", target)

    def test_records_the_exact_request_bytes(self):
        raw = b"GET /page.html HTTP/1.0\r\nAccept: text/*\r\nUser-Agent: Lotwise\r\nHost: 127.0.0.1:1\r\n\r\n"
        fetch(self.port, raw)
        self.assertEqual(self.take_requests(), [("127.0.0.1", raw)])

    def test_recorded_answers_go_out_unchanged(self):
        self.assertEqual(get(self.port, "/sub/recorded.http"),
                         b"HTTP/1.0 302 Found\r\nContent-Location: http://a/\r\nLocation: http://b/\r\n\r\n")
        self.assertEqual(get(self.port, "/sub/named.html"), b"no status line at all\n")

    def test_scripted_status_and_redirect(self):
        lines, body = split(get(self.port, "/_/status?code=500&body=oops"))
        self.assertEqual((lines[0], body), ("HTTP/1.0 500 Internal Server Error", b"oops"))
        lines, body = split(get(self.port, "/_/status?code=404&file=page.html"))
        self.assertEqual((lines[0], body), ("HTTP/1.0 404 Not Found", b"<html>\r\nroot page\r\n</html>\r\n"))
        lines, _ = split(get(self.port, "/_/redirect?code=303&to=http%3A%2F%2Fb%2Fx&content-location=http://a/"))
        self.assertEqual(lines[:3], ["HTTP/1.0 303 See Other", "Content-Location: http://a/", "Location: http://b/x"])

    def test_basic_authentication(self):
        target = "/_/auth?user=u&password=p&file=page.html&realm=R"
        lines, _ = split(get(self.port, target))
        self.assertEqual(lines[0], "HTTP/1.0 401 Unauthorized")
        self.assertIn('WWW-Authenticate: Basic realm="R"', lines)
        good = "Authorization: Basic %s\r\n" % base64.b64encode(b"u:p").decode()
        lines, body = split(get(self.port, target, headers=good))
        self.assertEqual((lines[0], body), ("HTTP/1.0 200 OK", b"<html>\r\nroot page\r\n</html>\r\n"))
        bad = "Authorization: Basic %s\r\n" % base64.b64encode(b"u:x").decode()
        self.assertEqual(split(get(self.port, target, headers=bad))[0][0], "HTTP/1.0 401 Unauthorized")

    def test_slow_answer_trickles(self):
        start = time.monotonic()
        _, body = split(get(self.port, "/_/slow?file=page.html&pieces=3&pause=200"))
        self.assertEqual(body, b"<html>\r\nroot page\r\n</html>\r\n")
        self.assertGreaterEqual(time.monotonic() - start, 0.5)

    def test_dropped_and_hung_up_connections_are_reset(self):
        answer, error = fetch(self.port, b"GET /_/drop?file=page.html&after=5 HTTP/1.0\r\n\r\n")
        lines, body = split(answer)
        self.assertIn("Content-Length: 28", lines)
        self.assertEqual(body, b"<html")
        self.assertIsInstance(error, ConnectionResetError)
        answer, error = fetch(self.port, b"GET /_/hangup HTTP/1.0\r\n\r\n")
        self.assertEqual(answer, b"")
        self.assertIsInstance(error, ConnectionResetError)

    def test_a_sequence_answers_each_request_with_its_next_address(self):
        with open(os.path.join(self.root, "sub", "turns.html.sequence"), "wb") as f:
            f.write(b"/_/hangup\r\n/_/status?code=500&body=second\n\n/sub/turns.html\n/page.html\n")
        with open(os.path.join(self.root, "sub", "turns.html"), "wb") as f:
            f.write(b"as usual\n")
        self.assertIsInstance(fetch(self.port, b"GET /sub/turns.html HTTP/1.0\r\n\r\n")[1], ConnectionResetError)
        lines, body = split(get(self.port, "/sub/turns.html?q=2"))
        self.assertEqual((lines[0], body), ("HTTP/1.0 500 Internal Server Error", b"second"))
        self.assertEqual(split(get(self.port, "/sub/turns.html"))[1], b"as usual\n")  # its own path, no loop
        self.assertEqual(split(get(self.port, "/sub/turns.html"))[1], b"<html>\r\nroot page\r\n</html>\r\n")
        # Used up: the path answers as it would without a sequence.
        self.assertEqual(split(get(self.port, "/sub/turns.html"))[1], b"as usual\n")
        self.assertEqual(len(self.take_requests()), 5)

    def test_a_second_start_replaces_the_first_server(self):
        state = os.path.join(self.work, "second")
        pids = []
        for _ in range(2):
            subprocess.run([sys.executable, SCRIPT, "start", "--state", state, "--root", self.root, "--lifetime", "60"],
                           check=True, capture_output=True, timeout=30)
            with open(os.path.join(state, "pid")) as f:
                pids.append(int(f.read()))
        self.assertFalse(serving(pids[0]))
        self.assertTrue(serving(pids[1]))
        subprocess.run([sys.executable, SCRIPT, "stop", "--state", state], check=True, timeout=30)
        self.assertFalse(serving(pids[1]))
        self.assertFalse(os.path.exists(os.path.join(state, "pid")))

if __name__ == "__main__":
    unittest.main(verbosity=2)

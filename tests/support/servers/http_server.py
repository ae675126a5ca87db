"""HTTP server for tests: serves the files of ROOT on 127.0.0.1 at a free port, with the
behaviour chosen by the first part of the path:

  /files/NAME     Content-Length and Last-Modified (the file's modification time, GMT)
  /nolm/NAME      Content-Length, no Last-Modified
  /chunked/NAME   chunked, no Content-Length
  /slow/NAME      Content-Length, then one 4096-byte piece every 20 ms
  /stall/NAME     Content-Length, the first half, 8 s of silence, then the rest
  /short/NAME     Content-Length twice the size, the file, then the connection closes
  /gzip/NAME      compressed with Content-Encoding: gzip although not asked for (a request
                  that does ask with Accept-Encoding gets 400)
  /trickle/NAME   Content-Length, then one 4096-byte piece every half second: a download
                  that is still running when the user acts on it
  /status/CODE    that status with a short page, Content-Length and Last-Modified
  /redirect/N     302 to the address given as "?to=ADDRESS"
  /late/NAME      as /files/NAME, after LATE_SECONDS of silence (a server slow to answer)
  /silent         the connection is accepted and never answered
A request carrying an Authorization header gets 400, whatever its path.
  /agent          the request's User-Agent as the body

A second port accepts connections and never says a word (a silent FTP server). Prints
"PORT <http> <silent>". With --delay SECONDS every request waits that long before its
answer (a distant server). Every request is logged as "GET <path>\t<User-Agent>" and every
connection to the silent port as "ACCEPT" in the file given with --log; with --times, the
moment a request is taken up and the moment its answer is ready too, as "BEGIN <time>" and
"END <time>" (the system's monotonic clock, the same in every process).
"""
import argparse
import email.utils
import gzip
import os
import socket
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

from lifeline import exit_with_parent

FOREVER = threading.Event()
STALL_SECONDS = 8
# Well within the 5-second bound of a probe.
LATE_SECONDS = 3
LOG_LOCK = threading.Lock()


def log_line(path, text):
    with LOG_LOCK, open(path, "a", encoding="utf-8") as log:
        log.write(text + "\n")


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    root = "."
    log_path = os.devnull
    delay = 0.0
    log_times = False

    def log_message(self, format, *args):
        pass

    def do_GET(self):
        agent = self.headers.get("User-Agent", "")
        log_line(self.log_path, "GET %s\t%s" % (self.path, agent))
        if self.log_times:
            log_line(self.log_path, "BEGIN %.6f" % time.monotonic())
        time.sleep(self.delay)
        if self.log_times:
            # Before the answer, so that a request the client makes once it has the answer
            # always begins after.
            log_line(self.log_path, "END %.6f" % time.monotonic())
        url = urllib.parse.urlsplit(self.path)
        parts = url.path.split("/", 2)
        kind = parts[1] if len(parts) > 1 else ""
        rest = urllib.parse.unquote(parts[2]) if len(parts) > 2 else ""
        if self.headers.get("Authorization") is not None:
            self.answer(400, b"credentials were sent")
            return
        if kind == "silent":
            FOREVER.wait(120)
            return
        if kind == "agent":
            self.answer(200, agent.encode("utf-8"), modified=time.time())
        elif kind == "status":
            self.answer(int(rest), b"<html>error page</html>", modified=time.time())
        elif kind == "redirect":
            target = urllib.parse.parse_qs(url.query)["to"][0]
            self.answer(302, b"moved", location=target)
        elif kind == "late":
            time.sleep(LATE_SECONDS)
            self.serve_file("files", os.path.join(self.root, rest))
        elif kind in ("files", "nolm", "chunked", "slow", "trickle", "stall", "short", "gzip"):
            self.serve_file(kind, os.path.join(self.root, rest))
        else:
            self.answer(404, b"no such behaviour")

    def serve_file(self, kind, path):
        try:
            with open(path, "rb") as source:
                body = source.read()
        except OSError:
            self.answer(404, b"not found")
            return
        modified = None if kind == "nolm" else os.stat(path).st_mtime
        if kind == "chunked":
            self.send_chunked(body, modified)
        elif kind == "slow":
            self.answer(200, body, modified=modified, piece=4096, pause=0.02)
        elif kind == "stall":
            # Longer than a 5-second receive time-out, shorter than a rate averaged over it.
            self.answer(200, body, modified=modified, piece=(len(body) + 1) // 2,
                        pause=STALL_SECONDS)
        elif kind == "short":
            self.answer(200, body, modified=modified, length=len(body) * 2)
            self.close_connection = True
        elif kind == "gzip":
            if self.headers.get("Accept-Encoding") is not None:
                self.answer(400, b"compression was asked for")
            else:
                self.answer(200, gzip.compress(body), modified=modified, encoding="gzip")
        elif kind == "trickle":
            self.answer(200, body, modified=modified, piece=4096, pause=0.5)
        else:
            self.answer(200, body, modified=modified)

    def answer(self, code, body, modified=None, location=None, piece=None, pause=0,
               length=None, encoding=None):
        self.send_response(code)
        self.send_header("Content-Length", str(len(body) if length is None else length))
        if encoding is not None:
            self.send_header("Content-Encoding", encoding)
        if modified is not None:
            self.send_header("Last-Modified", email.utils.formatdate(modified, usegmt=True))
        if location is not None:
            self.send_header("Location", location)
        self.end_headers()
        piece = piece or max(len(body), 1)
        for start in range(0, len(body), piece):
            self.wfile.write(body[start:start + piece])
            self.wfile.flush()
            time.sleep(pause)

    def send_chunked(self, body, modified):
        self.send_response(200)
        self.send_header("Transfer-Encoding", "chunked")
        self.send_header("Last-Modified", email.utils.formatdate(modified, usegmt=True))
        self.end_headers()
        for start in range(0, len(body), 10000):
            chunk = body[start:start + 10000]
            self.wfile.write(b"%x\r\n%s\r\n" % (len(chunk), chunk))
        self.wfile.write(b"0\r\n\r\n")


class Server(ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        # A client that stops reading after the headers is expected here.
        if not isinstance(sys.exc_info()[1], ConnectionError):
            super().handle_error(request, client_address)


def hold_silent_connections(listener, log_path):
    held = []
    while True:
        connection, _ = listener.accept()
        held.append(connection)
        log_line(log_path, "ACCEPT")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("--log", default=os.devnull)
    parser.add_argument("--delay", type=float, default=0.0)
    parser.add_argument("--times", action="store_true")
    args = parser.parse_args()
    exit_with_parent()

    Handler.root = args.root
    Handler.log_path = args.log
    Handler.delay = args.delay
    Handler.log_times = args.times
    server = Server(("127.0.0.1", 0), Handler)

    silent = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    silent.bind(("127.0.0.1", 0))
    silent.listen(16)
    threading.Thread(target=hold_silent_connections, args=(silent, args.log),
                     daemon=True).start()

    print("PORT", server.server_address[1], silent.getsockname()[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()

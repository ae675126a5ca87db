"""FTP server for tests: serves ROOT on 127.0.0.1 at a free port, printed as "PORT <n>".

Logins: USER with PASSWORD, and anonymous; both read-only. A wrong password is refused at
once rather than after the usual pause, so the tests that try one stay quick.

Faults, chosen by the first word of the retrieved file's name:
- "stall-": the first 4096 bytes, then the data connection stays open and silent;
- "trickle-": 1024 bytes every half second up to 8192 bytes, then silence as "stall-";
- "mute-": RETR is never answered and no data connection is used;
- "unconfirmed-": the whole file, then the data connection closes and the transfer is
  never confirmed on the control connection.
"""
import argparse
import logging
import os

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer

from lifeline import exit_with_parent

TRICKLE_BYTES = 1024
TRICKLE_PAUSE = 0.5


class FaultScript:
    """What a faulty data connection sends: chunks, each followed by a pause, then either
    silence with the connection open or a close without the transfer's reply."""

    def __init__(self, chunks, pause, hold):
        self.chunks = list(chunks)
        self.pause = pause
        self.hold = hold


def fault_script(fault, content):
    if fault == "stall":
        return FaultScript([content[:4096]], 0, hold=True)
    if fault == "trickle":
        pieces = range(0, min(len(content), 8192), TRICKLE_BYTES)
        return FaultScript([content[i:i + TRICKLE_BYTES] for i in pieces], TRICKLE_PAUSE,
                           hold=True)
    return FaultScript([content], 0, hold=False)


class FaultyDTPHandler(DTPHandler):
    """Plays a fault script at its pace instead of sending a file as fast as it can."""

    script = None

    def push_with_producer(self, producer):
        if not isinstance(producer, FaultScript):
            return super().push_with_producer(producer)
        self.script = producer
        self._initialized = True
        self.next_chunk()

    def next_chunk(self):
        if self._closed:
            return
        if self.script.chunks:
            self.push(self.script.chunks.pop(0))
            self.call_later(self.script.pause, self.next_chunk)
        elif not self.script.hold:
            self.call_later(self.script.pause, self.close_unconfirmed)

    def close_unconfirmed(self):
        if not self.producer_fifo:
            self._resp = ()
            self.close()
        else:
            self.call_later(0.1, self.close_unconfirmed)

    def close_when_done(self):
        if self.script is None:
            super().close_when_done()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("--user", default="user")
    parser.add_argument("--password", default="secret")
    args = parser.parse_args()
    exit_with_parent()

    logger = logging.getLogger("pyftpdlib")
    logger.addHandler(logging.NullHandler())
    logger.setLevel(logging.ERROR)

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elr")
    authorizer.add_anonymous(args.root)

    class Handler(FTPHandler):
        dtp_handler = FaultyDTPHandler

        def ftp_RETR(self, file):
            fault = os.path.basename(file).split("-")[0]
            if fault not in ("stall", "trickle", "mute", "unconfirmed"):
                return super().ftp_RETR(file)
            if fault == "mute":
                return None
            with open(file, "rb") as source:
                script = fault_script(fault, source.read())
            self.push_dtp_data(script, isproducer=True, cmd="RETR")
            return file

    Handler.authorizer = authorizer
    Handler.auth_failed_timeout = 0

    server = FTPServer(("127.0.0.1", 0), Handler)
    print("PORT", server.socket.getsockname()[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()

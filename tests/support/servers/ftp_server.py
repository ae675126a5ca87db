"""FTP server for tests: serves ROOT on 127.0.0.1 at a free port, printed as "PORT <n>".

Logins: USER with PASSWORD, and anonymous; both read-only. A wrong password is refused at
once rather than after the usual pause, so the tests that try one stay quick.
"""
import argparse
import logging

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

from lifeline import exit_with_parent


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
        pass

    Handler.authorizer = authorizer
    Handler.auth_failed_timeout = 0

    server = FTPServer(("127.0.0.1", 0), Handler)
    print("PORT", server.socket.getsockname()[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()

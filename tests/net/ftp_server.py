#!/usr/bin/env python3
"""A throwaway FTP server for tests and benchmarks.

Listens on 127.0.0.1 on a free port, serves one user from the given home folder and prints
"PORT <number>" once it is ready. Stops when its standard input closes or it is killed.
"""
import argparse
import logging
import os
import socket
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer, MultiprocessFTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--home", required=True)
    parser.add_argument("--user", default="tester")
    parser.add_argument("--password", default="secret")
    parser.add_argument("--banner", default="Test server ready.",
                        help="greeting text; \\n makes it a multi-line greeting")
    parser.add_argument("--no-password-user", default="",
                        help="a user whose USER is answered with 230 at once")
    parser.add_argument("--perm", default="elradfmwMT",
                        help="the user's pyftpdlib permissions (without M: no SITE CHMOD)")
    parser.add_argument("--read-limit", type=int, default=0,
                        help="bytes per second the server reads from a data connection")
    parser.add_argument("--fork", action="store_true",
                        help="serve each connection in a process of its own")
    parser.add_argument("--refuse-replacing-rename", action="store_true",
                        help="RNTO onto an existing file is refused, as on some hosts")
    parser.add_argument("--chmod-reply", default="",
                        help="SITE CHMOD is answered with this line and changes nothing")
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.home, perm=args.perm)
    if args.no_password_user:
        authorizer.add_user(args.no_password_user, "", args.home, perm="elradfmwMT")

    greeting = args.banner.split("\\n")

    class Handler(FTPHandler):
        banner = greeting[-1]

        def handle(self):
            # Lines before the last make a multi-line greeting.
            for line in greeting[:-1]:
                self.push("220-%s\r\n" % line)
            FTPHandler.handle(self)

        def ftp_RNTO(self, path):
            if args.refuse_replacing_rename and os.path.exists(path):
                self.respond("550 Target exists.")
                return
            FTPHandler.ftp_RNTO(self, path)

        def ftp_SITE_CHMOD(self, path, mode):
            if args.chmod_reply:
                self.respond(args.chmod_reply)
                return
            FTPHandler.ftp_SITE_CHMOD(self, path, mode)

        def ftp_USER(self, line):
            if args.no_password_user and line == args.no_password_user and not self.authenticated:
                self.username = line
                self.ftp_PASS("")  # answers 230
                return
            FTPHandler.ftp_USER(self, line)

    Handler.authorizer = authorizer
    dtp = DTPHandler
    if args.read_limit:
        class Throttled(ThrottledDTPHandler):
            read_limit = args.read_limit

            def __init__(self, sock, cmd_channel):
                # A small window, as on a slow link: unread data waits at the sender.
                sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 64 * 1024)
                ThrottledDTPHandler.__init__(self, sock, cmd_channel)
        dtp = Throttled
    Handler.dtp_handler = dtp

    logging.basicConfig(level=logging.ERROR)
    logging.getLogger("pyftpdlib").setLevel(logging.ERROR)
    server = (MultiprocessFTPServer if args.fork else FTPServer)(("127.0.0.1", 0), Handler)
    print("PORT", server.socket.getsockname()[1], flush=True)

    def stop_when_stdin_closes():
        # os.read, not sys.stdin: a forked session closes sys.stdin, which would wait for ever
        # on the lock this thread holds while it reads.
        while os.read(0, 4096):
            pass
        os._exit(0)

    threading.Thread(target=stop_when_stdin_closes, daemon=True).start()
    server.serve_forever(handle_exit=False)


if __name__ == "__main__":
    main()

#!/usr/bin/python3
"""FTP server for the tests and the benchmark: pyftpdlib on a loopback port.

Prints the port it listens on as the first line of stdout (the fixture waits for it), then serves
until it is killed. Run with Debian's /usr/bin/python3, which sees python3-pyftpdlib.
"""
import argparse
import logging
import os
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--user", default="test")
    parser.add_argument("--password", default="test")
    parser.add_argument("--masquerade", help="address to announce in PASV replies (a server behind NAT)")
    args = parser.parse_args()

    logging.basicConfig(level=logging.WARNING, stream=sys.stderr)

    authorizer = DummyAuthorizer()
    # e l r a d f m w M T: every permission, so the tests can exercise every command.
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")

    # Bigger socket buffers than the 64 KiB default keep the server from being the bottleneck
    # when the benchmark compares clients.
    class Dtp(DTPHandler):
        ac_in_buffer_size = 1024 * 1024
        ac_out_buffer_size = 1024 * 1024

    # The settings below go on a subclass, not on pyftpdlib's own handler class.
    class Handler(FTPHandler):
        pass

    Handler.authorizer = authorizer
    Handler.dtp_handler = Dtp
    # pyftpdlib sleeps 3 s after a wrong password by default; failure tests need no brake.
    Handler.auth_failed_timeout = 0
    Handler.banner = "ferrolink test server ready."
    if args.masquerade:
        Handler.masquerade_address = args.masquerade

    server = FTPServer((args.host, args.port), Handler)
    print(server.address[1], flush=True)
    # The parent keeps our stdin open; when it ends (even by a crash) the pipe closes and we go
    # too, so no stray server outlives a test run.
    threading.Thread(target=lambda: (sys.stdin.read(), os._exit(0)), daemon=True).start()
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()

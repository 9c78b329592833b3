#!/usr/bin/python3
"""FTP server for the tests and the benchmark: pyftpdlib on a loopback port.

Prints the port it listens on as the first line of stdout (the fixture waits for it), followed by
the first and last passive port when it was given a passive range, then serves until it is killed.
Run with Debian's /usr/bin/python3, which sees python3-pyftpdlib and python3-openssl.
"""
import argparse
import logging
import os
import random
import socket
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler, TLS_DTPHandler, TLS_FTPHandler
from pyftpdlib.servers import FTPServer

try:
    from OpenSSL._util import lib as openssl
except ImportError:  # a plain server needs no TLS
    openssl = None


def free_port_range(hosts, count):
    """The first port of count consecutive ports that nothing listens on at any of hosts.

    Chosen below the kernel's ephemeral ports, so outgoing connections do not take them later.
    """
    for _ in range(200):
        first = random.randrange(20000, 32000 - count)
        probes = []
        try:
            for host in hosts:
                family = socket.AF_INET6 if ":" in host else socket.AF_INET
                for port in range(first, first + count):
                    probe = socket.socket(family, socket.SOCK_STREAM)
                    probes.append(probe)
                    probe.bind((host, port))
            return first
        except OSError:
            continue
        finally:
            for probe in probes:
                probe.close()
    sys.exit("ftpserver.py: no free passive port range")


def passive_range(text, host):
    """"FIRST-LAST", or "auto:COUNT" for a free range of COUNT ports (also free on 127.0.0.2,
    where the fixture's relay listens on the same ports)."""
    if text.startswith("auto:"):
        count = int(text[5:])
        first = free_port_range([host, "127.0.0.2"], count)
        return first, first + count - 1
    first, last = (int(port) for port in text.split("-"))
    return first, last


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--user", default="test")
    parser.add_argument("--password", default="test")
    parser.add_argument("--masquerade", help="address to announce in PASV replies (a server behind NAT)")
    parser.add_argument("--pasv", help="passive ports: FIRST-LAST, or auto:COUNT for a free range")
    parser.add_argument("--cert", help="PEM certificate: explicit FTPS (AUTH TLS), required on control and data")
    parser.add_argument("--key", help="PEM private key of --cert")
    parser.add_argument("--tls-optional", action="store_true", help="with --cert: plain sessions are served too")
    parser.add_argument("--tls-implicit", action="store_true", help="with --cert: TLS from the first byte")
    parser.add_argument("--tls-handshakes", help="with --cert: a file that gets a line per control connection "
                        "handshake, 'resumed' when it resumed an earlier session, else 'full'")
    parser.add_argument("--list-only", action="store_true",
                        help="no MLST/MLSD, LIST times on the server's own clock, as older servers list")
    args = parser.parse_args()

    logging.basicConfig(level=logging.WARNING, stream=sys.stderr)

    authorizer = DummyAuthorizer()
    # e l r a d f m w M T: every permission, so the tests can exercise every command.
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")

    # Bigger socket buffers than the 64 KiB default keep the server from being the bottleneck
    # when the benchmark compares clients.
    class Dtp(TLS_DTPHandler if args.cert else DTPHandler):
        ac_in_buffer_size = 1024 * 1024
        ac_out_buffer_size = 1024 * 1024

        def readable(self):
            # pyftpdlib closes a data connection that has bytes to read before its transfer
            # began, taking it for one the client gave up; a client's TLS handshake is no such.
            return getattr(self, "_ssl_accepting", False) or super().readable()

    # The settings below go on a subclass, not on pyftpdlib's own handler class.
    class Handler(TLS_FTPHandler if args.cert else FTPHandler):
        # Names that are not UTF-8 travel as the bytes the file system holds, both ways, as
        # vsftpd and proftpd pass them (pyftpdlib would replace them with "?" or U+FFFD).
        unicode_errors = "surrogateescape"

        def handle(self):
            # Implicit FTPS: the greeting already travels inside TLS.
            if args.tls_implicit:
                self.secure_connection(self.ssl_context)
            super().handle()

        def handle_ssl_established(self):
            super().handle_ssl_established()
            if args.tls_handshakes:
                # pyOpenSSL does not wrap SSL_session_reused(); its own binding has it.
                resumed = openssl.SSL_session_reused(self.socket._ssl)
                with open(args.tls_handshakes, "a") as log:
                    log.write("resumed\n" if resumed else "full\n")
        def push(self, data):
            # Replies name paths too (PWD, MKD); FTPHandler.push encodes them strictly.
            super(FTPHandler, self).push(data.encode("utf8", self.unicode_errors))

    if args.cert:
        Handler.certfile = args.cert
        Handler.keyfile = args.key
        Handler.tls_control_required = not args.tls_optional
        Handler.tls_data_required = not args.tls_optional
    Handler.authorizer = authorizer
    Handler.dtp_handler = Dtp
    # pyftpdlib sleeps 3 s after a wrong password by default; failure tests need no brake.
    Handler.auth_failed_timeout = 0
    Handler.banner = "ferrolink test server ready."
    if args.masquerade:
        Handler.masquerade_address = args.masquerade
    if args.list_only:
        # FEAT announces MLST only while the handler knows the command.
        Handler.proto_cmds = {name: facts for name, facts in Handler.proto_cmds.items() if name not in ("MLST", "MLSD")}
        Handler.use_gmt_times = False

    passive = passive_range(args.pasv, args.host) if args.pasv else None
    if passive:
        Handler.passive_ports = range(passive[0], passive[1] + 1)

    server = FTPServer((args.host, args.port), Handler)
    print(server.address[1], *(passive or ()), flush=True)
    # The parent keeps our stdin open; when it ends (even by a crash) the pipe closes and we go
    # too, so no stray server outlives a test run.
    threading.Thread(target=lambda: (sys.stdin.read(), os._exit(0)), daemon=True).start()
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()

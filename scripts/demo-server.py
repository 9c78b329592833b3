#!/usr/bin/python3
"""A local demo FTP server for trying Ferrolink: 127.0.0.1:2121, user demo, password demo.

Fills the given folder with sample files and subfolders first.
"""
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def fill(root):
    write(os.path.join(root, "readme.txt"), b"Welcome to the Ferrolink demo server.\r\n")
    write(os.path.join(root, "notes with blanks.txt"), b"A file name with blanks.\n")
    write(os.path.join(root, "Grüße.txt"), "Umlaute im Namen: äöü ß\n".encode())
    write(os.path.join(root, "index.html"), b"<html><body><h1>Demo</h1></body></html>\n")
    write(os.path.join(root, "data.bin"), os.urandom(256 * 1024))
    write(os.path.join(root, "pub", "docs", "manual.txt"), b"The manual.\n" * 200)
    write(os.path.join(root, "pub", "docs", "changes.md"), b"# Changes\n\n- first release\n")
    write(os.path.join(root, "pub", "images", "pixel.bmp"), b"BM" + bytes(64))
    write(os.path.join(root, "pub", "archive.tar.gz"), os.urandom(4096))
    os.makedirs(os.path.join(root, "upload"), exist_ok=True)


def main():
    root = sys.argv[1]
    fill(root)
    authorizer = DummyAuthorizer()
    authorizer.add_user("demo", "demo", root, perm="elradfmwMT")
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.auth_failed_timeout = 0
    handler.passive_ports = range(60000, 60100)
    server = FTPServer(("127.0.0.1", 2121), handler)
    server.serve_forever()


if __name__ == "__main__":
    main()

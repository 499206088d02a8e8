#!/usr/bin/env python3
"""A real SMTP server (aiosmtpd) on loopback for the sign-up mail tests.

Usage: smtp_server.py OUTPUT USER PASSWORD

Listens on a free port of 127.0.0.1, prints the port on its own line, accepts
one mail from a client that logged in with USER and PASSWORD (AUTH LOGIN or
PLAIN, no TLS), writes the envelope and the mail text exactly as received to
OUTPUT, and exits. Exits with 1 when no mail came within 30 seconds.
"""
import logging
import socket
import sys
import threading
import warnings

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


def main():
    # Plain-text AUTH is what the test is about: no warnings about it.
    warnings.simplefilter("ignore")
    logging.getLogger("mail.log").setLevel(logging.ERROR)
    output, user, password = sys.argv[1], sys.argv[2].encode(), sys.argv[3].encode()
    received = threading.Event()

    class Handler:
        async def handle_DATA(self, server, session, envelope):
            with open(output, "wb") as out:
                out.write(b"MAIL FROM:" + envelope.mail_from.encode() + b"\r\n")
                for rcpt in envelope.rcpt_tos:
                    out.write(b"RCPT TO:" + rcpt.encode() + b"\r\n")
                out.write(b"\r\n" + envelope.original_content)
            received.set()
            return "250 Message accepted for delivery"

    def authenticate(server, session, envelope, mechanism, auth_data):
        ok = isinstance(auth_data, LoginPassword) and (auth_data.login, auth_data.password) == (user, password)
        return AuthResult(success=ok)

    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
    controller = Controller(Handler(), hostname="127.0.0.1", port=port, authenticator=authenticate,
                            auth_required=True, auth_require_tls=False)
    controller.start()
    print(port, flush=True)
    ok = received.wait(30)
    controller.stop()
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()

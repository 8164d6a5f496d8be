#!/usr/bin/python3
"""A mail server for the tests, on 127.0.0.1 only.

It makes its own certificate authority and server certificate with openssl in --dir, offers
STARTTLS (unless --no-starttls) and requires a login when --user is given; --no-login offers
none, --refuse-sender refuses MAIL FROM for that address. Every message
received is written to --dir as msg-NNN.txt: the envelope lines ("MAIL", "RCPT", "TLS",
"LOGIN"), an empty line, then the message bytes as received. Events of the sessions go to
log.txt one a line. The chosen port is written to the file "port" once the server listens.
The server ends by itself after --lifetime seconds, so a test that dies never leaves it behind.
"""

import argparse
import asyncio
import os
import ssl
import subprocess

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


def make_certificates(directory):
    def openssl(*args):
        subprocess.run(["openssl", *args], cwd=directory, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30)

    ec = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"]
    openssl("req", "-x509", *ec, "-keyout", "ca.key", "-out", "ca.pem", "-days", "2",
            "-subj", "/CN=Test mail authority")
    openssl("req", *ec, "-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=127.0.0.1")
    with open(os.path.join(directory, "server.ext"), "w") as ext:
        ext.write("subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n")
    openssl("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
            "-CAcreateserial", "-out", "server.pem", "-days", "2", "-extfile", "server.ext")


def write_atomically(path, data):
    with open(path + ".tmp", "wb") as f:
        f.write(data)
    os.replace(path + ".tmp", path)


class Recorder:
    def __init__(self, args):
        self.args = args
        self.count = 0

    def log(self, line):
        with open(os.path.join(self.args.dir, "log.txt"), "a") as f:
            f.write(line + "\n")

    async def handle_MAIL(self, server, session, envelope, address, options):
        if address in self.args.refuse_sender:
            return "550 5.7.1 Sender not allowed here"
        envelope.mail_from = address
        envelope.mail_options.extend(options)
        return "250 OK"

    async def handle_RCPT(self, server, session, envelope, address, options):
        if address in self.args.hang:
            self.log("hang " + address)
            await asyncio.sleep(3600)
        if address in self.args.refuse:
            return "550 5.1.1 No such user here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        login = session.auth_data.login.decode() if isinstance(session.auth_data, LoginPassword) else ""
        head = ["MAIL " + envelope.mail_from] + ["RCPT " + r for r in envelope.rcpt_tos]
        head += ["TLS " + ("yes" if session.ssl is not None else "no"), "LOGIN " + login, ""]
        data = ("\r\n".join(head) + "\r\n").encode() + envelope.original_content
        write_atomically(os.path.join(self.args.dir, "msg-%03d.txt" % self.count), data)
        return "250 OK"


class LoggingSmtp(SMTP):
    async def push(self, status):
        # A server that offers no login leaves AUTH out of its EHLO answer.
        if self.event_handler.args.no_login and status.startswith("250-AUTH"):
            return
        await super().push(status)

    async def smtp_QUIT(self, arg):
        self.event_handler.log("quit")
        await super().smtp_QUIT(arg)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--user", default="")
    parser.add_argument("--password", default="")
    parser.add_argument("--no-starttls", action="store_true")
    parser.add_argument("--refuse", action="append", default=[])
    parser.add_argument("--hang", action="append", default=[])
    parser.add_argument("--refuse-sender", action="append", default=[])
    parser.add_argument("--no-login", action="store_true")
    parser.add_argument("--lifetime", type=float, default=120)
    args = parser.parse_args()

    make_certificates(args.dir)
    context = None
    if not args.no_starttls:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(os.path.join(args.dir, "server.pem"), os.path.join(args.dir, "server.key"))
    recorder = Recorder(args)

    def authenticate(server, session, envelope, mechanism, data):
        ok = isinstance(data, LoginPassword) and data.login.decode() == args.user and \
            data.password.decode() == args.password
        recorder.log("login %s %s %s" % (mechanism, data.login.decode() if data else "", "ok" if ok else "refused"))
        return AuthResult(success=ok, handled=False, auth_data=data if ok else None)

    def factory():
        recorder.log("connect")
        return LoggingSmtp(recorder, hostname="test.local", tls_context=context,
                           require_starttls=context is not None, auth_required=bool(args.user),
                           authenticator=authenticate, timeout=60)

    loop = asyncio.new_event_loop()
    server = loop.run_until_complete(loop.create_server(factory, host="127.0.0.1", port=0))
    port = server.sockets[0].getsockname()[1]
    write_atomically(os.path.join(args.dir, "port"), str(port).encode())
    loop.call_later(args.lifetime, loop.stop)
    loop.run_forever()


if __name__ == "__main__":
    main()

#!/usr/bin/python3
"""A real SMTP server (aiosmtpd) on a free loopback port that stores what it
receives: "<dir>/sink.port" holds the port once it listens; each message's
content (bytes, after the server removed the dot stuffing) goes to
"<dir>/msg-N.eml" and its envelope to "<dir>/msg-N.env"; "<dir>/msg-N.txt" (UTF-8)
holds what a strict receiver, Python's email package with its default policy,
reads from it: the From, To and Subject headers decoded, the count of defects found,
an empty line and the decoded text of the body. While "<dir>/sink.pause"
exists the server stops listening (connections are refused) and afterwards
listens again on the same port; "<dir>/sink.paused" is there exactly while it
does not listen, so a test can wait for the change. With --certs (a folder
with good.pem/good.key) two more listeners store into the same messages, both
demanding a sign-in as "user" with password "secret": one that takes mail only
after STARTTLS ("<dir>/sink.starttls.port") and one that speaks TLS from the
first byte ("<dir>/sink.smtps.port"). Both also take AUTH XOAUTH2 with an
access token that the test authorization server (oauth_server.py) has in
force; a sign-in with any other gets the reason as a challenge, then 535.
Ends by itself after --time-limit seconds.
"""
import argparse
import asyncio
import base64
import binascii
import email
import email.policy
import logging
import os
import ssl
import sys
import time
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


def as_received(content):
    try:
        message = email.message_from_bytes(content, policy=email.policy.default)
        headers = ["%s: %s" % (name, message[name]) for name in ("From", "To", "Subject")]
        defects = len(message.defects) + sum(len(getattr(message[name], "defects", ())) for name in message.keys())
        body = message.get_content().replace("\r\n", "\n") if not message.is_multipart() else ""
        return "\n".join(headers + ["Defects: %d" % defects, "", body])
    except Exception as error:  # what a strict receiver cannot read at all
        return "Unreadable: %r" % error


class Store:
    def __init__(self, directory):
        self.directory = directory
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.directory, "msg-%d" % self.count)
        with open(base + ".eml.tmp", "wb") as f:
            f.write(envelope.original_content)
        with open(base + ".txt", "w", encoding="utf-8", newline="") as f:
            f.write(as_received(envelope.original_content))
        with open(base + ".env", "w", encoding="latin-1") as f:
            f.write("MAIL FROM:%s\n" % envelope.mail_from)
            for rcpt in envelope.rcpt_tos:
                f.write("RCPT TO:%s\n" % rcpt)
        os.replace(base + ".eml.tmp", base + ".eml")
        return "250 Message accepted for delivery"

    async def auth_XOAUTH2(self, server, args):
        """OAuth 2.0: "user=<mailbox>^Aauth=Bearer <token>^A^A" with a token in force."""
        try:
            blob = base64.b64decode(args[1], validate=True) if len(args) > 1 else b""
        except binascii.Error:
            blob = b""
        fields = dict(part.split(b"=", 1) for part in blob.split(b"\x01") if b"=" in part)
        bearer = fields.get(b"auth", b"")
        token = bearer[7:].decode("ascii", "replace") if bearer.startswith(b"Bearer ") else ""
        ok = token in tokens_in_force(self.directory)
        with open(os.path.join(self.directory, "sink.signins"), "a") as f:
            f.write("xoauth2 accepted\n" if ok else "xoauth2 refused\n")
        if ok:
            return AuthResult(success=True, auth_data=fields.get(b"user"))
        await server.challenge_auth('{"status":"401","schemes":"bearer","scope":"https://mail.example.com/smtp"}')
        return AuthResult(success=False, handled=False)


def tokens_in_force(directory):
    """The access tokens of <dir>/oauth.tokens that have not expired."""
    try:
        with open(os.path.join(directory, "oauth.tokens")) as f:
            lines = [line.split() for line in f]
    except OSError:
        return set()
    return {fields[0] for fields in lines if len(fields) == 2 and float(fields[1]) > time.time()}


def signs_in(directory):
    """Takes "user" with "secret"; each attempt adds "accepted" or "refused" to <dir>/sink.signins."""
    def check(server, session, envelope, mechanism, data):
        ok = isinstance(data, LoginPassword) and data.login == b"user" and data.password == b"secret"
        with open(os.path.join(directory, "sink.signins"), "a") as f:
            f.write("accepted\n" if ok else "refused\n")
        return AuthResult(success=ok, handled=False)  # a refusal gets the standard 535 reply
    return check


def write_port(directory, name, port):
    temp = os.path.join(directory, name + ".tmp")
    with open(temp, "w") as f:
        f.write("%d\n" % port)
    os.replace(temp, os.path.join(directory, name))


async def listen_secure(loop, store, args):
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(os.path.join(args.certs, "good.pem"), os.path.join(args.certs, "good.key"))
    limit = 64 * 1024 * 1024
    starttls = await loop.create_server(
        lambda: SMTP(store, data_size_limit=limit, tls_context=context, require_starttls=True, auth_required=True,
                     authenticator=signs_in(args.dir)), "127.0.0.1", 0)
    # aiosmtpd counts only STARTTLS as encryption, so the implicit-TLS listener
    # must be told that sign-in needs no more of it (and not to warn about that).
    warnings.filterwarnings("ignore", "Requiring AUTH while not requiring TLS")
    logging.getLogger("mail.log").setLevel(logging.ERROR)  # its notes on its own deprecations
    smtps = await loop.create_server(
        lambda: SMTP(store, data_size_limit=limit, auth_required=True, auth_require_tls=False,
                     authenticator=signs_in(args.dir)), "127.0.0.1", 0, ssl=context)
    write_port(args.dir, "sink.starttls.port", starttls.sockets[0].getsockname()[1])
    write_port(args.dir, "sink.smtps.port", smtps.sockets[0].getsockname()[1])
    return [starttls, smtps]


async def run(args):
    loop = asyncio.get_running_loop()
    store = Store(args.dir)
    secure = await listen_secure(loop, store, args) if args.certs else []

    def listen(port):
        return loop.create_server(lambda: SMTP(store, data_size_limit=64 * 1024 * 1024),
                                  "127.0.0.1", port, reuse_address=True)

    server = await listen(0)
    port = server.sockets[0].getsockname()[1]
    write_port(args.dir, "sink.port", port)
    # Bounded: ends at the time limit, or as soon as the process that started it is gone.
    parent = None if args.keep_without_parent else os.getppid()
    deadline = loop.time() + args.time_limit
    stop = os.path.join(args.dir, "stop")
    pause = os.path.join(args.dir, "sink.pause")
    paused_flag = os.path.join(args.dir, "sink.paused")
    while loop.time() < deadline and (parent is None or os.getppid() == parent) and not os.path.exists(stop):
        paused = os.path.exists(pause)
        if paused and server is not None:
            server.close()
            await server.wait_closed()
            server = None
            with open(paused_flag, "w") as f:
                f.write("paused\n")
        elif not paused and server is None:
            server = await listen(port)
            os.remove(paused_flag)
        await asyncio.sleep(0.1)
    for listener in secure + [server]:
        if listener is not None:
            listener.close()
    with open(os.path.join(args.dir, "stopped"), "w") as f:
        f.write("stopped\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--certs", help="folder of the test certificates: also listen with TLS and sign-in")
    parser.add_argument("--time-limit", type=float, default=300)
    parser.add_argument("--keep-without-parent", action="store_true",
                        help="do not stop when the starting process goes (Wine starts it detached)")
    args = parser.parse_args()
    os.makedirs(args.dir, exist_ok=True)
    asyncio.run(run(args))


if __name__ == "__main__":
    sys.exit(main())

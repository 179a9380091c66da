#!/usr/bin/python3
"""SMTP server with scripted faults, for the SMTP client's tests.

Each scenario listens on its own loopback port (port 0: the system picks);
"<dir>/ports" lists "name port" lines once all are listening. Every line a
client sends is appended to "<dir>/<name>.log" before it is answered, so a test
that has its reply can read what the server got. DATA content goes to
"<dir>/<name>.data". The server ends by itself after --time-limit seconds.
"""
import argparse
import base64
import os
import socket
import ssl
import struct
import sys
import threading
import time

MAX_LINE = 64 * 1024


class Session:
    def __init__(self, conn, name, directory):
        self.conn = conn
        self.name = name
        self.directory = directory
        self.reader = conn.makefile("rb")
        self.quits = 0

    def log(self, text):
        with open(os.path.join(self.directory, self.name + ".log"), "a", encoding="latin-1") as f:
            f.write(text + "\n")

    def send(self, data):
        if isinstance(data, str):
            data = data.encode("latin-1")
        self.conn.sendall(data)

    def reply(self, *lines):
        self.send("".join(line + "\r\n" for line in lines))

    def read_line(self):
        line = self.reader.readline(MAX_LINE)
        if not line:
            return None
        text = line.decode("latin-1").rstrip("\r\n")
        self.log("C: " + text)
        return text

    def read_data(self):
        data = bytearray()
        while True:
            line = self.reader.readline(MAX_LINE)
            if not line:
                return None
            if line == b".\r\n":
                break
            data += line
        with open(os.path.join(self.directory, self.name + ".data"), "wb") as f:
            f.write(bytes(data))
        self.log("D: %d bytes" % len(data))
        return bytes(data)

    def reset(self):
        # An abortive close: the client sees "connection reset".
        self.conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.conn.close()

    def hold(self, seconds):
        self.conn.settimeout(seconds)
        try:
            while self.conn.recv(4096):
                pass
        except OSError:
            pass

    def dialogue(self, greeting=("220 fault ready",), helo=None, bare_helo=None, rcpt=None, data=None,
                 quit_replies=("221 bye",), data_delay=0, extra=None):
        """A plain session; the arguments replace the usual replies."""
        self.reply(*greeting)
        while True:
            line = self.read_line()
            if line is None:
                return
            verb = line.split(" ", 1)[0].upper()
            if extra and extra(line):
                continue
            if line.upper().startswith("HELO "):
                self.reply(*(helo or ("250 hello",)))
            elif line.upper() == "HELO":
                self.reply(*(bare_helo or ("250 hello, whoever you are",)))
            elif verb == "MAIL":
                self.reply("250 sender ok")
            elif verb == "RCPT":
                self.reply(*(rcpt(line) if rcpt else ("250 recipient ok",)))
            elif verb == "DATA":
                if data:
                    self.reply(*data)
                    continue
                self.reply("354 go ahead")
                if self.read_data() is None:
                    return
                time.sleep(data_delay)
                self.reply("250 queued")
            elif verb == "QUIT":
                index = min(self.quits, len(quit_replies) - 1)
                self.quits += 1
                self.reply(quit_replies[index])
                if quit_replies[index].startswith("2"):
                    return
            else:
                self.reply("502 unknown command")


# The client tests' stand-in for a TLS handshake: "HELLO" in, "WELCOME" out; the
# bytes stay as they are afterwards, so the dialogue goes on readable.
def stand_in_handshake(s):
    hello = s.reader.read(5)
    if not hello:
        return  # the client went away instead
    s.log("C: <handshake %s>" % hello.decode("latin-1"))
    s.send("WELCOME")


# Certificates for the real TLS scenarios ("tls_*"), when --certs names a folder
# that holds them (the Windows harness makes them with a test CA).
CERTS = {}


def real_handshake(s, cert):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.minimum_version = ssl.TLSVersion.TLSv1_2
    context.load_cert_chain(*CERTS[cert])
    s.conn = context.wrap_socket(s.conn, server_side=True)
    s.reader = s.conn.makefile("rb")
    s.log("C: <tls %s>" % s.conn.version())


def esmtp(s, starttls=True, auth="PLAIN LOGIN", implicit=False, cert=None, starttls_refusal=None,
          auth_refusal="535 5.7.8 Authentication credentials invalid", quit_replies=("221 bye",),
          injected=False):
    """EHLO, STARTTLS and sign-in (user "user", password "secret"), then the plain dialogue."""
    secure = [implicit]

    def extra(line):
        upper = line.upper()
        if upper.startswith("EHLO "):
            offers = ["250-fault esmtp"]
            if starttls and not secure[0]:
                offers.append("250-STARTTLS")
            if auth:
                offers.append("250-AUTH " + auth)
            s.reply(*(offers + ["250 8BITMIME"]))
        elif upper == "STARTTLS" and starttls_refusal:
            s.reply(starttls_refusal)
        elif upper == "STARTTLS":
            # injected: a line after the yes, in the same segment, that a
            # client must not take for a reply from inside the secure channel.
            s.reply(*(("220 go ahead", "250 injected") if injected else ("220 go ahead",)))
            if cert:
                real_handshake(s, cert)
            else:
                stand_in_handshake(s)
            secure[0] = True
        elif upper.startswith("AUTH XOAUTH2 "):
            # Only the current token signs in; any other gets the reason as a
            # challenge, and the refusal after the client's empty line.
            if base64.b64decode(line[13:]) == b"user=user\x01auth=Bearer current-token\x01\x01":
                s.reply("235 2.7.0 Accepted")
            else:
                s.reply("334 " + base64.b64encode(
                    b'{"status":"401","schemes":"bearer","scope":"https://mail.google.com/"}').decode())
                s.read_line()
                s.reply("535 5.7.8 Username and Password not accepted")
        elif upper.startswith("AUTH PLAIN "):
            good = base64.b64decode(line[11:]) == b"\0user\0secret"
            s.reply("235 signed in" if good else auth_refusal)
        elif upper == "AUTH LOGIN":
            s.reply("334 VXNlcm5hbWU6")
            user = s.read_line()
            s.reply("334 UGFzc3dvcmQ6")
            password = s.read_line()
            good = (user, password) == ("dXNlcg==", "c2VjcmV0")
            s.reply("235 signed in" if good else "535 5.7.8 Authentication credentials invalid")
        else:
            return False
        return True

    if implicit:
        if cert:
            real_handshake(s, cert)
        else:
            stand_in_handshake(s)
    s.dialogue(greeting=("220 fault esmtp ready",), extra=extra, quit_replies=quit_replies)


def reject_bad(line):
    if "bad" in line:
        return ("550 No such user here: " + line[8:],)
    return ("250 recipient ok",)


SCENARIOS = {
    "normal": lambda s: s.dialogue(),
    "greet554": lambda s: s.dialogue(greeting=("554 No SMTP service here",)),
    "helo_retry": lambda s: s.dialogue(helo=("501 Syntax: HELO hostname",)),
    "helo_refused": lambda s: s.dialogue(helo=("501 Syntax: HELO hostname",),
                                         bare_helo=("502 HELO refused as well",)),
    "rcpt_reject": lambda s: s.dialogue(rcpt=reject_bad),
    "data_250": lambda s: s.dialogue(data=("250 no data wanted",)),
    "multiline": lambda s: s.dialogue(greeting=("220-first line", "220-second line", "220 third line")),
    "three_digits": lambda s: (s.reply("220-first line", "220"), s.hold(30)),
    "odd_endings": lambda s: s.dialogue(greeting=("220 cr cr lf\r",), helo=("250 bare lf",)),
    "line_1024": lambda s: s.dialogue(greeting=("220 " + "x" * (1024 - 6),)),
    "line_1025": lambda s: s.dialogue(greeting=("220 " + "x" * (1025 - 6),)),
    "reset": lambda s: (s.send("220-partial\r\n220 hal"), time.sleep(0.2), s.reset()),
    "silence": lambda s: s.hold(30),
    # The greeting stops half-way and the server closes its side.
    "cut_greeting": lambda s: (s.send("220 partial"), s.conn.shutdown(socket.SHUT_WR), s.hold(5)),
    # A continuation line, then the close: a cut reply, not a greeting.
    "cut_continuation": lambda s: (s.send("220-first line\r\n"), s.conn.shutdown(socket.SHUT_WR), s.hold(5)),
    # A reply whose continuation lines never end (bounded here at 1,200).
    "endless_reply": lambda s: (s.send("".join("220-more\r\n" for _ in range(1200))), s.hold(3)),
    "quit_fail": lambda s: s.dialogue(quit_replies=("500 not now", "221 bye")),
    # Takes 8 seconds over the message, longer than the shortest scan interval.
    "slow_data": lambda s: s.dialogue(data_delay=8),
    # Holds its reply to the message far beyond any test's wait.
    "held_data": lambda s: s.dialogue(data_delay=45),
    "esmtp": esmtp,
    "esmtp_no_starttls": lambda s: esmtp(s, starttls=False),
    "esmtp_starttls_454": lambda s: esmtp(s, starttls_refusal="454 4.7.0 TLS not available due to temporary reason"),
    "esmtp_login_only": lambda s: esmtp(s, auth="LOGIN"),
    "esmtp_auth_454": lambda s: esmtp(s, auth_refusal="454 4.7.0 Temporary authentication failure"),
    "esmtp_no_auth": lambda s: esmtp(s, auth=None),
    "esmtp_xoauth2": lambda s: esmtp(s, auth="PLAIN XOAUTH2"),
    # A Microsoft 365 tenant that has turned password sign-in off.
    "esmtp_basic_disabled": lambda s: esmtp(
        s, auth="LOGIN PLAIN XOAUTH2",
        auth_refusal="535 5.7.139 Authentication unsuccessful, basic authentication is disabled."),
    "esmtps": lambda s: esmtp(s, starttls=False, implicit=True),
    # The last reply and the secure channel's close in one segment (the stand-in's close is \x04).
    "esmtps_bye_close": lambda s: esmtp(s, starttls=False, implicit=True, quit_replies=("221 bye\r\n\x04",)),
    "esmtp_starttls_injected": lambda s: esmtp(s, injected=True),
    "tls_starttls": lambda s: esmtp(s, cert="good"),
    "tls_starttls_injected": lambda s: esmtp(s, cert="good", injected=True),
    "tls_smtps": lambda s: esmtp(s, starttls=False, implicit=True, cert="good"),
    "tls_unknown_ca": lambda s: esmtp(s, cert="unknown_ca"),
}

BARE_LF = {"odd_endings"}


class BareLfSession(Session):
    def reply(self, *lines):
        # The greeting brings its own CR; afterwards every reply ends in LF alone.
        self.send("".join(line + "\n" for line in lines))


def serve(listener, name, directory):
    while True:
        try:
            conn, _ = listener.accept()
        except OSError:
            return
        conn.settimeout(60)

        def run(conn=conn):
            cls = BareLfSession if name in BARE_LF else Session
            session = cls(conn, name, directory)
            session.log("--- connection")
            try:
                SCENARIOS[name](session)
            except OSError:
                pass
            finally:
                try:
                    conn.close()
                except OSError:
                    pass

        threading.Thread(target=run, daemon=True).start()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--time-limit", type=float, default=300)
    parser.add_argument("--certs", help="folder with good.pem/good.key and unknown_ca.pem/unknown_ca.key")
    args = parser.parse_args()
    if args.certs:
        for name in ("good", "unknown_ca"):
            CERTS[name] = (os.path.join(args.certs, name + ".pem"), os.path.join(args.certs, name + ".key"))
    os.makedirs(args.dir, exist_ok=True)
    ports = []
    for name in SCENARIOS:
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind(("127.0.0.1", 0))
        listener.listen(8)
        ports.append("%s %d\n" % (name, listener.getsockname()[1]))
        threading.Thread(target=serve, args=(listener, name, args.dir), daemon=True).start()
    temp = os.path.join(args.dir, "ports.tmp")
    with open(temp, "w") as f:
        f.writelines(ports)
    os.replace(temp, os.path.join(args.dir, "ports"))
    # Bounded: ends at the time limit, or as soon as the process that started it is gone.
    parent = os.getppid()
    deadline = time.monotonic() + args.time_limit
    while time.monotonic() < deadline and os.getppid() == parent:
        time.sleep(0.25)
    os._exit(0)


if __name__ == "__main__":
    sys.exit(main())

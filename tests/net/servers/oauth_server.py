#!/usr/bin/python3
"""An OAuth 2.0 authorization server of our own on a free loopback port, over
HTTPS with the test CA's certificate for localhost ("<dir>/oauth.port" holds
the port once it listens):
  GET  /authorize  approves at once (a scripted browser follows the redirect):
                   302 to the loopback redirect_uri with a code and the state,
                   or error=access_denied while "<dir>/oauth.deny" exists;
  POST /token      authorization_code (the PKCE verifier checked against the
                   challenge, the redirect_uri against the authorization's) and
                   refresh_token (each refresh gives a new refresh token and
                   ends the old one; all end while "<dir>/oauth.revoke" exists:
                   invalid_grant).
Access tokens live "<dir>/oauth.lifetime" seconds (default 3600); the ones in
force are written to "<dir>/oauth.tokens" (token, expiry as Unix time, a line
each), which the SMTP sink reads to take XOAUTH2. Each request adds a line to
"<dir>/oauth.log". Ends by itself after --time-limit seconds.
"""
import argparse
import base64
import hashlib
import http.server
import json
import os
import secrets
import ssl
import sys
import threading
import time
import urllib.parse


class State:
    def __init__(self, directory):
        self.directory = directory
        self.lock = threading.Lock()
        self.codes = {}  # code -> (challenge, redirect_uri, client_id)
        self.refresh = set()
        self.access = {}  # token -> expiry

    def path(self, name):
        return os.path.join(self.directory, name)

    def log(self, line):
        with open(self.path("oauth.log"), "a") as f:
            f.write(line + "\n")

    def lifetime(self):
        try:
            with open(self.path("oauth.lifetime")) as f:
                return int(f.read().strip())
        except (OSError, ValueError):
            return 3600

    def issue(self):
        """A new access and refresh token; the tokens file is rewritten."""
        access, refresh = "at-" + secrets.token_urlsafe(12), "rt-" + secrets.token_urlsafe(12)
        lifetime = self.lifetime()
        self.access[access] = time.time() + lifetime
        self.refresh.add(refresh)
        temp = self.path("oauth.tokens.tmp")
        with open(temp, "w") as f:
            for token, expiry in self.access.items():
                f.write("%s %f\n" % (token, expiry))
        os.replace(temp, self.path("oauth.tokens"))
        return {"access_token": access, "token_type": "Bearer", "expires_in": lifetime, "refresh_token": refresh,
                "scope": "https://mail.example.com/smtp"}


def handler_for(state):
    class Handler(http.server.BaseHTTPRequestHandler):
        def log_message(self, *args):
            pass

        def answer(self, status, body, headers=()):
            data = json.dumps(body).encode() if isinstance(body, dict) else body.encode()
            self.send_response(status)
            for name, value in headers:
                self.send_header(name, value)
            self.send_header("Content-Type", "application/json" if isinstance(body, dict) else "text/plain")
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            self.wfile.write(data)

        def do_GET(self):
            url = urllib.parse.urlsplit(self.path)
            if url.path != "/authorize":
                return self.answer(404, "not here")
            q = dict(urllib.parse.parse_qsl(url.query))
            redirect = q.get("redirect_uri", "")
            if not redirect.startswith("http://127.0.0.1:") or q.get("code_challenge_method") != "S256":
                state.log("authorize refused")
                return self.answer(400, "bad authorization request")
            if os.path.exists(state.path("oauth.deny")):
                state.log("authorize denied")
                target = {"error": "access_denied", "error_description": "The user declined",
                          "state": q.get("state", "")}
            else:
                code = "code-" + secrets.token_urlsafe(8)
                with state.lock:
                    state.codes[code] = (q.get("code_challenge"), redirect, q.get("client_id"))
                state.log("authorize %s for %s" % (q.get("client_id"), q.get("login_hint", "")))
                target = {"code": code, "state": q.get("state", "")}
            self.answer(302, "", [("Location", redirect + "?" + urllib.parse.urlencode(target))])

        def do_POST(self):
            if urllib.parse.urlsplit(self.path).path != "/token":
                return self.answer(404, "not here")
            length = min(int(self.headers.get("Content-Length", "0")), 65536)
            form = dict(urllib.parse.parse_qsl(self.rfile.read(length).decode("ascii", "replace")))
            grant = form.get("grant_type")
            with state.lock:
                if grant == "authorization_code":
                    challenge, redirect, client = state.codes.pop(form.get("code", ""), (None, None, None))
                    verifier = form.get("code_verifier", "").encode()
                    computed = base64.urlsafe_b64encode(hashlib.sha256(verifier).digest()).rstrip(b"=").decode()
                    if challenge is None or computed != challenge or form.get("redirect_uri") != redirect or \
                            form.get("client_id") != client:
                        state.log("token authorization_code invalid_grant")
                        return self.answer(400, {"error": "invalid_grant", "error_description": "Bad code"})
                    state.log("token authorization_code ok")
                    return self.answer(200, state.issue())
                if grant == "refresh_token":
                    token = form.get("refresh_token", "")
                    if os.path.exists(state.path("oauth.revoke")) or token not in state.refresh:
                        state.log("token refresh_token invalid_grant")
                        return self.answer(400, {"error": "invalid_grant",
                                                 "error_description": "Token has been expired or revoked."})
                    state.refresh.discard(token)
                    state.log("token refresh_token ok")
                    return self.answer(200, state.issue())
            state.log("token %s unsupported" % grant)
            return self.answer(400, {"error": "unsupported_grant_type"})

    return Handler


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--certs", required=True, help="folder with good.pem/good.key (for localhost)")
    parser.add_argument("--time-limit", type=float, default=300)
    args = parser.parse_args()
    state = State(args.dir)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler_for(state))
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(os.path.join(args.certs, "good.pem"), os.path.join(args.certs, "good.key"))
    server.socket = context.wrap_socket(server.socket, server_side=True)
    server.timeout = 0.2
    temp = os.path.join(args.dir, "oauth.port.tmp")
    with open(temp, "w") as f:
        f.write("%d\n" % server.server_address[1])
    os.replace(temp, os.path.join(args.dir, "oauth.port"))
    # Bounded: ends at the time limit, or as soon as the process that started it is gone.
    parent = os.getppid()
    deadline = time.time() + args.time_limit
    stop = os.path.join(args.dir, "stop")
    while time.time() < deadline and os.getppid() == parent and not os.path.exists(stop):
        server.handle_request()
    server.server_close()


if __name__ == "__main__":
    sys.exit(main())

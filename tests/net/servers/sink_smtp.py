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
does not listen, so a test can wait for the change. Ends by itself after
--time-limit seconds.
"""
import argparse
import asyncio
import email
import email.policy
import os
import sys

from aiosmtpd.smtp import SMTP


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


async def run(args):
    loop = asyncio.get_running_loop()
    store = Store(args.dir)

    def listen(port):
        return loop.create_server(lambda: SMTP(store, data_size_limit=64 * 1024 * 1024),
                                  "127.0.0.1", port, reuse_address=True)

    server = await listen(0)
    port = server.sockets[0].getsockname()[1]
    temp = os.path.join(args.dir, "sink.port.tmp")
    with open(temp, "w") as f:
        f.write("%d\n" % port)
    os.replace(temp, os.path.join(args.dir, "sink.port"))
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
    if server is not None:
        server.close()
    with open(os.path.join(args.dir, "stopped"), "w") as f:
        f.write("stopped\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--time-limit", type=float, default=300)
    parser.add_argument("--keep-without-parent", action="store_true",
                        help="do not stop when the starting process goes (Wine starts it detached)")
    args = parser.parse_args()
    os.makedirs(args.dir, exist_ok=True)
    asyncio.run(run(args))


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""The baseline of the SMTP benchmark: Python's smtplib sends the same message
bytes to the same server; the elapsed seconds (connect to QUIT) go to a file.
With a CA file it goes to localhost, checks the certificate against that CA
after STARTTLS and signs in as "user" with "secret", as the secure row asks.
Usage: bench_smtp_baseline.py <port> <message file> <result file> [<CA file>]
"""
import os
import smtplib
import ssl
import sys
import time


def main():
    port, message_file, result_file = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    ca_file = sys.argv[4] if len(sys.argv) > 4 else None
    with open(message_file, "rb") as f:
        data = f.read()
    start = time.perf_counter()
    client = smtplib.SMTP("localhost" if ca_file else "127.0.0.1", port, timeout=60)
    if ca_file:
        client.starttls(context=ssl.create_default_context(cafile=ca_file))
        client.login("user", "secret")
    client.sendmail("monitor@example.com", ["reader@example.com"], data)
    client.quit()
    elapsed = time.perf_counter() - start
    with open(result_file + ".tmp", "w") as f:
        f.write("%.6f\n" % elapsed)
    os.replace(result_file + ".tmp", result_file)


if __name__ == "__main__":
    sys.exit(main())

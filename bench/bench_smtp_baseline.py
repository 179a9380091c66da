#!/usr/bin/python3
"""The baseline of the SMTP benchmark: Python's smtplib sends the same message
bytes to the same server; the elapsed seconds (connect to QUIT) go to a file.
Usage: bench_smtp_baseline.py <port> <message file> <result file>
"""
import os
import smtplib
import sys
import time


def main():
    port, message_file, result_file = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    with open(message_file, "rb") as f:
        data = f.read()
    start = time.perf_counter()
    client = smtplib.SMTP("127.0.0.1", port, timeout=60)
    client.sendmail("monitor@example.com", ["reader@example.com"], data)
    client.quit()
    elapsed = time.perf_counter() - start
    with open(result_file + ".tmp", "w") as f:
        f.write("%.6f\n" % elapsed)
    os.replace(result_file + ".tmp", result_file)


if __name__ == "__main__":
    sys.exit(main())

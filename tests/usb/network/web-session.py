#!/usr/bin/env python3
"""qma7 web on a node that goes silent, driven with plain requests on loopback.

    web-session.py stale|stop NODE_PID QMA7 WEB_ARGS...

Starts QMA7 WEB_ARGS, enters the page with the printed token, then stops the test node
(SIGTERM to NODE_PID, the caller's own process) and opens a tab from the page, whose calls
then wait for the node.
  stale: the pushed state must come to name the silent node with the time it went silent, and
         mark the page's values stale; then qma7 is stopped.
  stop:  while a call waits, SIGTERM must end qma7, by that signal, within a second.
Exit status 0 when so; else a line saying what went wrong."""
import http.client
import json
import os
import re
import signal
import subprocess
import sys
import time

STOP_WITHIN_S = 1.0


def request(port, method, path, headers, body=None):
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=5)
    connection.request(method, path, body=body, headers=headers)
    answer = connection.getresponse()
    answer.read()
    connection.close()
    return answer


def address(web, out):
    for _ in range(100):
        out.seek(0)
        found = re.search(r"http://127\.0\.0\.1:(\d+)/\?token=([0-9a-f]+)", out.read())
        if found or web.poll() is not None:
            break
        time.sleep(0.1)
    if not found:
        sys.exit("FAIL: qma7 web printed no address: " + open("web.err").read())
    return int(found.group(1)), found.group(2)


def states(port, jar, seconds):
    """The states the page is pushed, for a while."""
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=seconds)
    connection.request("GET", "/events", headers=jar)
    stream = connection.getresponse()
    deadline = time.monotonic() + seconds
    event = None
    while time.monotonic() < deadline:
        line = stream.fp.readline().decode()
        if line.startswith("event: "):
            event = line[7:].strip()
        elif line.startswith("data: ") and event == "state":
            yield json.loads(line[6:])


def main():
    mode, node, command = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    out = open("web.out", "w+")
    web = subprocess.Popen(command, stdout=out, stderr=open("web.err", "w"))
    try:
        port, token = address(web, out)
        entry = request(port, "GET", "/?token=" + token, {})
        cookies = "; ".join(c.split(";", 1)[0] for c in entry.headers.get_all("Set-Cookie") or [])
        jar = {"Cookie": cookies, "Origin": "http://127.0.0.1:%d" % port}
        if request(port, "GET", "/", jar).status != 200:
            sys.exit("FAIL: the page is not served")
        os.kill(node, signal.SIGTERM)
        time.sleep(1)
        answer = request(port, "POST", "/input", jar, b'{"type":"tab","index":3,"level":0}')
        if answer.status // 100 != 2:
            sys.exit("FAIL: the tab input was refused with %d" % answer.status)
        if mode == "stale":
            for state in states(port, jar, 10):
                problem = state["status"]["problem"]
                # Stale exactly while the link has a problem; a retry may show it before the
                # node counts as silent, without the time.
                if bool(problem) != state.get("stale"):
                    sys.exit("FAIL: stale %s with the problem \"%s\"" % (state.get("stale"), problem))
                if re.fullmatch(r"no answer from 51/35/12 since \d\d:\d\d:\d\d", problem):
                    print("ok: the page shows \"%s\", its values stale" % problem)
                    return
            sys.exit("FAIL: in 10 s no state said the node is silent")
        time.sleep(1)
        if web.poll() is not None:
            sys.exit("FAIL: qma7 web ended before it was stopped: " + open("web.err").read())
        started = time.monotonic()
        web.send_signal(signal.SIGTERM)
        web.wait(15)
        took = time.monotonic() - started
        print("qma7 web ended %.2f s after SIGTERM, status %d" % (took, web.returncode))
        if took > STOP_WITHIN_S or web.returncode != -signal.SIGTERM:
            sys.exit("FAIL: that is not within a second by SIGTERM")
    finally:
        if web.poll() is None:
            web.terminate()
            web.wait(15)


if __name__ == "__main__":
    main()

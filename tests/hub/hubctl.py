"""Starts and stops the loopback test hub (hub.py) from Python tests.

    from hubctl import run_hub, records

    with run_hub(script=["rejected"], tls=True) as (port, ca, record_dir):
        ...  # point the client at https://127.0.0.1:<port>/Service.svc, trusting `ca`
        for r in records(record_dir):
            r.raw, r.connection, r.sequence, r.reply

The hub lives exactly as long as the `with` block: it is stopped on leaving
it, and it also ends by itself if this process dies (its standard input is a
pipe from here).
"""

import collections
import contextlib
import json
import os
import selectors
import shutil
import subprocess
import sys
import tempfile

HUB = os.path.join(os.path.dirname(os.path.abspath(__file__)), "hub.py")

Hub = collections.namedtuple("Hub", "port ca record_dir")
Record = collections.namedtuple("Record", "raw connection sequence reply")

START_TIMEOUT = 30.0
STOP_TIMEOUT = 5.0


@contextlib.contextmanager
def run_hub(record_dir=None, tls=False, tls_wrong_host=False, script=None, tls_expired=False,
            record=True):
    """Runs a hub; yields Hub(port, ca, record_dir).

    record_dir: where requests are recorded; a temporary directory (removed
        afterwards) when None.
    record: False records nothing (record_dir is then None), so that timing
        runs do not include writing large requests to disk.
    tls / tls_wrong_host: serve HTTPS with a certificate for 127.0.0.1 and
        localhost, or for another host name (tls_expired: the right name,
        but expired); `ca` is then the CA's PEM file
        (valid while the hub runs), otherwise None.
    script: a list of replies (see hub.py), or the path of a JSON script file;
        None accepts every request.
    Raises RuntimeError if the hub does not start.
    """
    temp = tempfile.mkdtemp(prefix="vorn-hubctl-")
    try:
        if not record:
            record_dir = None
        elif record_dir is None:
            record_dir = os.path.join(temp, "records")
        args = [sys.executable, HUB] + (["--record-dir", record_dir] if record else [])
        if tls_wrong_host:
            args.append("--tls-wrong-host")
        elif tls_expired:
            args.append("--tls-expired")
        elif tls:
            args.append("--tls")
        if script is not None:
            if not isinstance(script, (str, os.PathLike)):
                path = os.path.join(temp, "script.json")
                with open(path, "w") as f:
                    json.dump(list(script), f)
                script = path
            args += ["--script", os.fspath(script)]
        proc = subprocess.Popen(args, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        try:
            ready = _ready_line(proc)
            yield Hub(ready["port"], ready["ca"], record_dir)
        finally:
            _stop(proc)
    finally:
        shutil.rmtree(temp, ignore_errors=True)


def records(record_dir):
    """The requests recorded so far, in arrival order."""
    result = []
    n = 1
    while True:
        base = os.path.join(record_dir, "req-%04d" % n)
        if not os.path.exists(base + ".bin"):
            return result
        with open(base + ".json") as f:
            meta = json.load(f)
        with open(base + ".bin", "rb") as f:
            raw = f.read()
        result.append(Record(raw, meta["connection"], meta["sequence"], meta["reply"]))
        n += 1


def _ready_line(proc):
    with selectors.DefaultSelector() as sel:
        sel.register(proc.stdout, selectors.EVENT_READ)
        if not sel.select(START_TIMEOUT):
            raise RuntimeError("the hub did not start in time")
    line = proc.stdout.readline()
    if not line:
        raise RuntimeError("the hub ended before it was ready (status %s)" % proc.wait())
    return json.loads(line)


def _stop(proc):
    try:
        proc.stdin.close()
    except OSError:
        pass
    proc.terminate()
    try:
        proc.wait(STOP_TIMEOUT)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()
    proc.stdout.close()

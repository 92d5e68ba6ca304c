#!/usr/bin/env python3
"""Loopback HTTP(S) hub for the transport and end-to-end tests.

    python3 hub.py [--record-dir DIR] [--tls | --tls-wrong-host | --tls-expired]
                   [--script FILE]
                   [--port N] [--lifetime SECONDS] [--ignore-stdin]

Listens on 127.0.0.1 (port 0 by default: the system picks one) and, when
ready, prints one JSON line on stdout: {"port": N, "ca": "/path/ca.pem"} (ca is
null without TLS). Serves until SIGTERM, until its standard input closes
(unless --ignore-stdin), or until --lifetime seconds have passed (default 900).

--tls makes a throw-away CA and a server certificate for 127.0.0.1 and
localhost with the openssl command; --tls-wrong-host makes the certificate for
another host name (the CA stays the same kind of throw-away CA);
--tls-expired makes it for the right host but already expired.

Every complete request is recorded in DIR, numbered in arrival order:
  req-0001.bin   the request exactly as received: request line, headers, body
  req-0001.json  {"connection": C, "sequence": S, "reply": NAME}; C numbers the
                 connections in accept order, S the requests on one connection
The .json file is written first and the .bin file appears (atomically) last,
before the reply is sent. Nothing is recorded for a connection on which no
complete request arrived (a failed TLS handshake, for one).

The script is a JSON list of replies used in order, the last one repeating
(default: ["accepted"]). A reply is a preset name, or an object:
  {"status": 200, "reason": "OK", "headers": {"Content-Type": "text/xml"},
   "body": "...", "body_size": N, "content_length": true}
with "preset": NAME to start from a preset, "body_size" for a body of N
bytes of 'x' instead of "body", and "content_length": false for a body
delimited by closing the connection. Other forms:
  {"preset": "stall", "seconds": N}  read the request, send nothing for N
                                     seconds, then close
  {"preset": "cut", "body_bytes": N} read the request head and N bytes of its
                                     body, then close the connection with the
                                     rest unread (nothing is recorded)
  {"raw": "..."}                     send these bytes as they are, then close
Hostile forms, for the tests of a client's limits:
  "drip": SECONDS                    (with any reply, raw included) send the
                                     reply one byte at a time, SECONDS apart
  "body_repeat": {"head": H, "unit": U, "count": N, "tail": T}
                                     a body of H, then U N times, then T;
                                     "{n}" in U becomes 0, 1, 2...
Any reply may also hold "delay": N, to wait N seconds before it is sent.
Presets: accepted, rejected, fault, notfound, html, plain, no-content-type,
empty, drop, stall, cut.
"""

import argparse
import json
import os
import shutil
import signal
import socket
import ssl
import struct
import subprocess
import sys
import tempfile
import threading
import time
from http import HTTPStatus

IDLE_TIMEOUT = 30.0  # seconds a connection may stay silent
MAX_REQUESTS_PER_CONNECTION = 100000
MAX_HEADER_BYTES = 1 << 20
MAX_BODY_BYTES = 1 << 30
MAX_STALL_SECONDS = 600.0
RECV_CHUNK = 1 << 20

_SOAP_HEAD = ('<s:Envelope xmlns:s="http://schemas.xmlsoap.org/soap/envelope/"><s:Body>'
              '<InviaDocumentoRawResponse xmlns="http://tempuri.org/">'
              '<InviaDocumentoRawResult '
              'xmlns:a="http://schemas.datacontract.org/2004/07/VornMirtel.FE.WebService" '
              'xmlns:i="http://www.w3.org/2001/XMLSchema-instance">')
_SOAP_TAIL = '</InviaDocumentoRawResult></InviaDocumentoRawResponse></s:Body></s:Envelope>'
_ARRAYS = 'xmlns:b="http://schemas.microsoft.com/2003/10/Serialization/Arrays"'

ACCEPTED_BODY = (_SOAP_HEAD + '<a:Errors ' + _ARRAYS + '/><a:Filename i:nil="true"/>'
                 '<a:Id>0</a:Id><a:Success>true</a:Success><a:Xml i:nil="true"/>' + _SOAP_TAIL)

REJECTED_BODY = (_SOAP_HEAD + '<a:Errors ' + _ARRAYS + '>'
                 '<b:string>00404: Fattura duplicata</b:string>'
                 '<b:string>00305: IdFiscaleIVA del cessionario non valido</b:string>'
                 '</a:Errors><a:Filename i:nil="true"/><a:Id>0</a:Id>'
                 '<a:Success>false</a:Success>'
                 '<a:Xml>&lt;Esito&gt;Scartato&lt;/Esito&gt;</a:Xml>' + _SOAP_TAIL)

FAULT_BODY = ('<s:Envelope xmlns:s="http://schemas.xmlsoap.org/soap/envelope/"><s:Body>'
              '<s:Fault><faultcode>s:Client</faultcode>'
              '<faultstring xml:lang="it-IT">Credenziali non valide</faultstring>'
              '</s:Fault></s:Body></s:Envelope>')

XML_TYPE = {"Content-Type": "text/xml; charset=utf-8"}

PRESETS = {
    "accepted": {"status": 200, "reason": "OK", "headers": XML_TYPE, "body": ACCEPTED_BODY},
    "rejected": {"status": 200, "reason": "OK", "headers": XML_TYPE, "body": REJECTED_BODY},
    "fault": {"status": 500, "reason": "Internal Server Error", "headers": XML_TYPE,
              "body": FAULT_BODY},
    "notfound": {"status": 404, "reason": "Not Found",
                 "headers": {"Content-Type": "text/html"},
                 "body": "<html><body><h1>404 Not Found</h1></body></html>"},
    "html": {"status": 200, "reason": "OK", "headers": {"Content-Type": "text/html"},
             "body": "<html><head><title>Errore</title></head>"
                     "<body><h1>Servizio non disponibile</h1></body></html>"},
    "plain": {"status": 200, "reason": "OK", "headers": {"Content-Type": "text/plain"},
              "body": "Servizio non disponibile"},
    "no-content-type": {"status": 202, "reason": "Accepted", "headers": {}, "body": ""},
    "empty": {"status": 200, "reason": "OK", "headers": XML_TYPE, "body": ""},
    "drop": {"action": "drop"},
    "stall": {"action": "stall", "seconds": 5},
    "cut": {"action": "cut", "body_bytes": 0},
}


class ScriptError(Exception):
    pass


def resolve_reply(item):
    """Turns a script entry into a complete reply description."""
    if isinstance(item, str):
        item = {"preset": item}
    if not isinstance(item, dict):
        raise ScriptError("a reply must be a preset name or an object: %r" % (item,))
    reply = {}
    name = item.get("preset")
    if name is not None:
        if name not in PRESETS:
            raise ScriptError("unknown preset %r" % (name,))
        reply.update(PRESETS[name])
    reply.update({k: v for k, v in item.items() if k != "preset"})
    reply["name"] = name or ("raw" if "raw" in reply else "custom")
    return reply


class Script:
    """Replies in order; the last one repeats."""

    def __init__(self, items):
        self._replies = [resolve_reply(i) for i in (items or ["accepted"])]
        self._next = 0
        self._lock = threading.Lock()

    def next(self):
        with self._lock:
            reply = self._replies[min(self._next, len(self._replies) - 1)]
            self._next += 1
            return reply

    def peek(self):
        with self._lock:
            return self._replies[min(self._next, len(self._replies) - 1)]


class Recorder:
    def __init__(self, directory):
        self._dir = directory
        self._count = 0
        self._lock = threading.Lock()
        if directory:
            os.makedirs(directory, exist_ok=True)

    def record(self, connection, sequence, head, body, reply_name):
        if not self._dir:
            return
        with self._lock:
            self._count += 1
            number = self._count
        base = os.path.join(self._dir, "req-%04d" % number)
        meta = {"connection": connection, "sequence": sequence, "reply": reply_name}
        _write_atomically(base + ".json", json.dumps(meta).encode("utf-8"))
        _write_atomically(base + ".bin", head, body)


def _write_atomically(path, *parts):
    tmp = path + ".part"
    with open(tmp, "wb") as f:
        for part in parts:
            f.write(part)
    os.replace(tmp, path)


def make_certificates(directory, wrong_host, expired=False):
    """Creates ca.pem and server.pem/server.key; returns their paths."""
    ca_key, ca = os.path.join(directory, "ca.key"), os.path.join(directory, "ca.pem")
    key, csr = os.path.join(directory, "server.key"), os.path.join(directory, "server.csr")
    cert, ext = os.path.join(directory, "server.pem"), os.path.join(directory, "server.ext")
    host = "wrong-host.vorn.invalid" if wrong_host else "127.0.0.1"
    names = "DNS:wrong-host.vorn.invalid" if wrong_host else "IP:127.0.0.1,DNS:localhost"
    with open(ext, "w") as f:
        f.write("basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\n"
                "extendedKeyUsage=serverAuth\nsubjectAltName=%s\n" % names)
    ec = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"]
    _openssl(["req", "-x509"] + ec + ["-keyout", ca_key, "-out", ca, "-days", "2",
              "-subj", "/CN=Vorn test hub CA",
              "-addext", "basicConstraints=critical,CA:TRUE",
              "-addext", "keyUsage=critical,keyCertSign,cRLSign"])
    _openssl(["req"] + ec + ["-keyout", key, "-out", csr, "-subj", "/CN=" + host])
    _openssl(["x509", "-req", "-in", csr, "-CA", ca, "-CAkey", ca_key,
              "-set_serial", str(int.from_bytes(os.urandom(8), "big")),
              # -1 day: valid until a day before it was made, so expired.
              "-days", "-1" if expired else "2",
              "-extfile", ext, "-out", cert])
    return ca, cert, key


def _openssl(args):
    subprocess.run(["openssl"] + args, check=True, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=60)


def _recv_more(sock, buf):
    chunk = sock.recv(RECV_CHUNK)
    if not chunk:
        return False
    buf += chunk
    return True


def read_request(sock, buf, body_limit=None):
    """Reads one request; returns (head, body, headers, request line) or None.

    `buf` holds bytes already received and keeps whatever follows the request.
    With `body_limit`, reads at most that many bytes of the body and returns
    None.
    """
    searched = 0
    while True:
        end = buf.find(b"\r\n\r\n", max(0, searched - 3))
        if end >= 0:
            break
        searched = len(buf)
        if searched > MAX_HEADER_BYTES or not _recv_more(sock, buf):
            return None
    head = bytes(buf[:end + 4])
    del buf[:end + 4]
    lines = head.decode("latin-1").split("\r\n")
    headers = {}
    for line in lines[1:]:
        name, sep, value = line.partition(":")
        if sep:
            headers.setdefault(name.strip().lower(), value.strip())
    if "chunked" in headers.get("transfer-encoding", "").lower():
        sock.sendall(b"HTTP/1.1 501 Not Implemented\r\nContent-Length: 0\r\n"
                     b"Connection: close\r\n\r\n")
        return None
    length = int(headers.get("content-length", "0") or "0")
    if length < 0 or length > MAX_BODY_BYTES:
        return None
    if headers.get("expect", "").lower() == "100-continue":
        sock.sendall(b"HTTP/1.1 100 Continue\r\n\r\n")
    if body_limit is not None:
        _read_body(sock, buf, min(length, body_limit))
        return None
    body = _read_body(sock, buf, length)
    if body is None:
        return None
    return head, body, headers, lines[0]


def _read_body(sock, buf, length):
    if len(buf) >= length:
        body = bytes(buf[:length])
        del buf[:length]
        return body
    body = bytearray(length)
    have = len(buf)
    body[:have] = buf
    buf.clear()
    view = memoryview(body)
    while have < length:
        n = sock.recv_into(view[have:], min(RECV_CHUNK * 4, length - have))
        if n == 0:
            return None
        have += n
    return body


def reply_bytes(reply):
    """The bytes of a reply (status line, headers, body) and whether the
    connection must close after it."""
    status = int(reply.get("status", 200))
    if "reason" in reply:
        reason = reply["reason"]
    else:
        try:
            reason = HTTPStatus(status).phrase
        except ValueError:
            reason = ""
    if "body_size" in reply:
        body = b"x" * int(reply["body_size"])
    elif "body_repeat" in reply:
        r = reply["body_repeat"]
        unit, count = r.get("unit", ""), int(r.get("count", 0))
        if "{n}" in unit:
            middle = "".join(unit.replace("{n}", str(i)) for i in range(count)).encode("utf-8")
        else:
            middle = unit.encode("utf-8") * count
        body = b"".join([r.get("head", "").encode("utf-8"), middle,
                         r.get("tail", "").encode("utf-8")])
    else:
        body = reply.get("body", "").encode("utf-8")
    headers = dict(reply.get("headers", {}))
    close = not reply.get("content_length", True)
    if close:
        headers["Connection"] = "close"
    elif not any(k.lower() == "content-length" for k in headers):
        headers["Content-Length"] = str(len(body))
    lines = ["HTTP/1.1 %d %s" % (status, reason)]
    lines += ["%s: %s" % (k, v) for k, v in headers.items()]
    return ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1") + body, close


def for_action(reply, action):
    """The typed operation's answer names its own response and result elements."""
    if action.strip('"').endswith("/InviaDocumento") and "body" in reply:
        reply = dict(reply, body=reply["body"].replace("InviaDocumentoRaw", "InviaDocumento"))
    return reply


def wants_close(request_line, headers):
    connection = headers.get("connection", "").lower()
    if request_line.endswith("HTTP/1.0"):
        return "keep-alive" not in connection
    return "close" in connection


class Hub:
    def __init__(self, args):
        self.stop = threading.Event()
        self.script = Script(_load_script(args.script))
        self.recorder = Recorder(args.record_dir)
        self.tls = None

    def serve_connection(self, sock, connection):
        try:
            sock.settimeout(IDLE_TIMEOUT)
            sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            if self.tls is not None:
                sock = self.tls.wrap_socket(sock, server_side=True)
            buf = bytearray()
            for sequence in range(1, MAX_REQUESTS_PER_CONNECTION + 1):
                if self.script.peek().get("action") == "cut":
                    limit = int(self.script.next().get("body_bytes", 0))
                    read_request(sock, buf, body_limit=limit)
                    # Unread bytes make the close a reset the client notices.
                    sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                    return
                request = read_request(sock, buf)
                if request is None:
                    return
                head, body, headers, request_line = request
                reply = for_action(self.script.next(), headers.get("soapaction", ""))
                self.recorder.record(connection, sequence, head, body, reply["name"])
                if not self.answer(sock, reply) or wants_close(request_line, headers):
                    return
        except (OSError, ssl.SSLError, ValueError):
            pass
        finally:
            try:
                sock.close()
            except OSError:
                pass

    def answer(self, sock, reply):
        """Sends the reply; returns whether the connection stays open."""
        action = reply.get("action")
        delay = float(reply.get("delay", 0))
        if delay > 0:
            self.stop.wait(min(delay, MAX_STALL_SECONDS))
        if action == "drop":
            return False
        if action == "stall":
            self.stop.wait(min(float(reply.get("seconds", 5)), MAX_STALL_SECONDS))
            return False
        if "raw" in reply:
            data, close = reply["raw"].encode("latin-1"), True
        else:
            data, close = reply_bytes(reply)
        if "drip" in reply:
            return self.drip(sock, data, float(reply["drip"])) and not close
        sock.sendall(data)
        return not close

    def drip(self, sock, data, seconds):
        """Sends `data` one byte at a time; stops when the client goes or the
        hub stops. Returns whether everything was sent."""
        deadline = time.monotonic() + MAX_STALL_SECONDS
        for i in range(len(data)):
            if i and self.stop.wait(seconds):
                return False
            if time.monotonic() > deadline:
                return False
            sock.sendall(data[i:i + 1])
        return True


def _load_script(path):
    if not path:
        return None
    with open(path, "rb") as f:
        items = json.load(f)
    if not isinstance(items, list):
        raise ScriptError("the script must be a JSON list")
    return items


def _watch_stdin(stop):
    try:
        while sys.stdin.buffer.read(65536):
            pass
    except (OSError, ValueError):
        pass
    stop.set()


def main():
    parser = argparse.ArgumentParser(description="Loopback HTTP(S) test hub.")
    parser.add_argument("--record-dir")
    parser.add_argument("--tls", action="store_true")
    parser.add_argument("--tls-wrong-host", action="store_true")
    parser.add_argument("--tls-expired", action="store_true")
    parser.add_argument("--script")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--lifetime", type=float, default=900.0)
    parser.add_argument("--ignore-stdin", action="store_true")
    args = parser.parse_args()

    hub = Hub(args)
    temp = tempfile.mkdtemp(prefix="vorn-hub-tls-")
    try:
        ca = None
        if args.tls or args.tls_wrong_host or args.tls_expired:
            ca, cert, key = make_certificates(temp, args.tls_wrong_host, args.tls_expired)
            hub.tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            hub.tls.load_cert_chain(cert, key)
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind(("127.0.0.1", args.port))
        listener.listen(128)
        listener.settimeout(0.2)
        signal.signal(signal.SIGTERM, lambda *_: hub.stop.set())
        if not args.ignore_stdin:
            threading.Thread(target=_watch_stdin, args=(hub.stop,), daemon=True).start()
        sys.stdout.write(json.dumps({"port": listener.getsockname()[1], "ca": ca}) + "\n")
        sys.stdout.flush()
        accept_loop(hub, listener, time.monotonic() + args.lifetime)
    finally:
        shutil.rmtree(temp, ignore_errors=True)
    sys.stdout.flush()
    os._exit(0)  # daemon threads (stalled replies) end with the process


def accept_loop(hub, listener, deadline):
    connection = 0
    while not hub.stop.is_set() and time.monotonic() < deadline:
        try:
            sock, _ = listener.accept()
        except socket.timeout:
            continue
        except InterruptedError:
            continue
        connection += 1
        threading.Thread(target=hub.serve_connection, args=(sock, connection),
                         daemon=True).start()
    listener.close()


if __name__ == "__main__":
    main()

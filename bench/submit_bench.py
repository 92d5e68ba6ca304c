#!/usr/bin/env python3
"""Whole-submission benchmark: the vorn binary against curl, side by side.

    python3 submit_bench.py --vorn PATH [--repeat 20,10,5] [--sizes 10240,1048576,5242880]

Starts the loopback test hub, then for each invoice size:
  1. writes an invoice file of that size (CR LF lines, accented letters);
  2. runs vorn once against the hub and takes the request it sent from the
     hub's record: body bytes and headers;
  3. runs curl once with those very bytes and headers, and checks that the
     hub received the same body and the same headers (Host and
     Content-Length aside, which both set from the URL and the body);
  4. runs vorn and curl alternately N times each, and measures every run:
     wall time (spawn to reap) and CPU time (user + sys of the child, from
     wait4); then N more runs of each under /usr/bin/time for the peak
     resident size.
Prints medians per size and the ratios vorn/curl. Python standard library
only; only 127.0.0.1 is contacted.

Why the peak goes through /usr/bin/time: a child's ru_maxrss also counts the
resident size of the process image it replaced at exec, which for a child
spawned from here is this Python process (about 15 MiB), so wait4's figure
would be this script's size for any small program. GNU time forks from a
process of about 1 MiB, so its figure is the program's own peak (with that
floor). Without /usr/bin/time the wait4 figure is printed and marked.
"""

import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "hub"))
from hubctl import records, run_hub  # noqa: E402

GOAL = 1.2  # vorn within this factor of curl's wall and CPU time
RUN_TIMEOUT = 120.0  # seconds one child may take
GNU_TIME = "/usr/bin/time" if os.access("/usr/bin/time", os.X_OK) else None

DESCRIPTIONS = [
    "Caffè espresso in grani, miscela arabica 100% - confezione da 1 kg",
    "Consulenza tecnica per l'attività di manutenzione ordinaria (giovedì)",
    "Più ore di lavoro straordinario: intervento urgente già concordato",
    "Servizio di pulizia locali &amp; sanificazione - canone mensile",
    "Fornitura carta A4 80 g/m², qualità extra bianca, risma da 500 fogli",
    "Trasporto merce a destinazione: Forlì → Città di Castello",
    "Noleggio attrezzatura per caffè bar, perché richiesto dal cliente",
    "Spese di spedizione e imballaggio (€ 12,50 forfettarie)",
]


def invoice_bytes(target):
    """An electronic invoice of close to `target` bytes of UTF-8 (not more,
    unless the fixed parts alone are larger), every line ended by CR LF."""
    head = "\r\n".join([
        '<?xml version="1.0" encoding="UTF-8"?>',
        '<p:FatturaElettronica versione="FPR12" '
        'xmlns:ds="http://www.w3.org/2000/09/xmldsig#" '
        'xmlns:p="http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2" '
        'xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">',
        "  <FatturaElettronicaHeader>",
        "    <DatiTrasmissione>",
        "      <IdTrasmittente>",
        "        <IdPaese>IT</IdPaese>",
        "        <IdCodice>01234567890</IdCodice>",
        "      </IdTrasmittente>",
        "      <ProgressivoInvio>00042</ProgressivoInvio>",
        "      <FormatoTrasmissione>FPR12</FormatoTrasmissione>",
        "      <CodiceDestinatario>0000000</CodiceDestinatario>",
        "    </DatiTrasmissione>",
        "    <CedentePrestatore>",
        "      <DatiAnagrafici>",
        "        <Anagrafica>",
        "          <Denominazione>Torrefazione Nicolò &amp; Figli S.r.l.</Denominazione>",
        "        </Anagrafica>",
        "        <RegimeFiscale>RF01</RegimeFiscale>",
        "      </DatiAnagrafici>",
        "      <Sede>",
        "        <Indirizzo>Via Città di Castello 12</Indirizzo>",
        "        <CAP>47121</CAP>",
        "        <Comune>Forlì</Comune>",
        "        <Nazione>IT</Nazione>",
        "      </Sede>",
        "    </CedentePrestatore>",
        "  </FatturaElettronicaHeader>",
        "  <FatturaElettronicaBody>",
        "    <DatiGenerali>",
        "      <DatiGeneraliDocumento>",
        "        <TipoDocumento>TD01</TipoDocumento>",
        "        <Divisa>EUR</Divisa>",
        "        <Data>2024-03-15</Data>",
        "        <Numero>2024/0815</Numero>",
        "        <Causale>Fornitura come da ordine n° 77 &lt;urgente&gt;</Causale>",
        "      </DatiGeneraliDocumento>",
        "    </DatiGenerali>",
        "    <DatiBeniServizi>",
        "",
    ]).encode("utf-8")
    tail = "\r\n".join([
        "    </DatiBeniServizi>",
        "  </FatturaElettronicaBody>",
        "</p:FatturaElettronica>",
        "",
    ]).encode("utf-8")
    parts = [head]
    size = len(head) + len(tail)
    n = 1
    while True:
        qty = 1 + n % 9
        price = 125 + (n * 37) % 9000
        line = "\r\n".join([
            "      <DettaglioLinee>",
            "        <NumeroLinea>%d</NumeroLinea>" % n,
            "        <Descrizione>%s</Descrizione>" % DESCRIPTIONS[n % len(DESCRIPTIONS)],
            "        <Quantita>%d.00</Quantita>" % qty,
            "        <UnitaMisura>pz</UnitaMisura>",
            "        <PrezzoUnitario>%d.%02d</PrezzoUnitario>" % divmod(price, 100),
            "        <PrezzoTotale>%d.%02d</PrezzoTotale>" % divmod(price * qty, 100),
            "        <AliquotaIVA>22.00</AliquotaIVA>",
            "      </DettaglioLinee>",
            "",
        ]).encode("utf-8")
        if size + len(line) > target:
            break
        parts.append(line)
        size += len(line)
        n += 1
    parts.append(tail)
    return b"".join(parts)


def split_request(raw):
    """(request line, [(name, value)] in order, body) of a recorded request."""
    head, _, body = raw.partition(b"\r\n\r\n")
    lines = head.decode("latin-1").split("\r\n")
    headers = []
    for line in lines[1:]:
        name, sep, value = line.partition(":")
        if sep:
            headers.append((name.strip(), value.strip()))
    return lines[0], headers, body


# Headers curl sets itself from the URL and the body, and those it must not
# send because vorn does not.
OWN_HEADERS = {"host", "content-length"}
SUPPRESSED = ("Accept", "Expect")


def curl_args(url, body_path, headers):
    args = ["curl", "-s", "-S", "-o", "/dev/null", "--data-binary", "@" + body_path]
    names = {n.lower() for n, _ in headers}
    for name, value in headers:
        if name.lower() not in OWN_HEADERS:
            args += ["-H", "%s: %s" % (name, value)]
    for name in SUPPRESSED:
        if name.lower() not in names:
            args += ["-H", name + ":"]  # "Name:" removes a header curl would add
    return args + [url]


def child_env(url):
    env = {k: v for k, v in os.environ.items()
           if k.lower() not in ("http_proxy", "https_proxy", "all_proxy", "no_proxy")}
    env.update({"VORN_URL": url, "LC_ALL": "C.UTF-8", "NO_PROXY": "127.0.0.1"})
    return env


class Run:
    def __init__(self, wall, cpu, maxrss_kib, status):
        self.wall, self.cpu, self.maxrss_kib, self.status = wall, cpu, maxrss_kib, status


def run_child(argv, env):
    """Runs argv with standard input and output on /dev/null; measures it
    through wait4."""
    actions = [(os.POSIX_SPAWN_OPEN, 0, os.devnull, os.O_RDONLY, 0),
               (os.POSIX_SPAWN_OPEN, 1, os.devnull, os.O_WRONLY, 0)]
    start = time.perf_counter()
    pid = os.posix_spawnp(argv[0], argv, env, file_actions=actions)
    timer = threading.Timer(RUN_TIMEOUT, os.kill, (pid, signal.SIGKILL))
    timer.start()
    try:
        _, status, usage = os.wait4(pid, 0)
    finally:
        timer.cancel()
    wall = time.perf_counter() - start
    if os.WIFSIGNALED(status) and os.WTERMSIG(status) == signal.SIGKILL:
        raise RuntimeError("%s was stopped after %.0f s" % (argv[0], RUN_TIMEOUT))
    return Run(wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss,
               os.waitstatus_to_exitcode(status))


def peak_kib(argv, env, work):
    """The peak resident size of one run of argv, through GNU time."""
    out = os.path.join(work, "peak.txt")
    r = run_child([GNU_TIME, "-f", "%M", "-o", out, "--"] + argv, env)
    if r.status != 0:
        raise RuntimeError("%s exited with %d" % (argv[0], r.status))
    with open(out) as f:
        return int(f.read().split()[-1])


def wait_for_records(record_dir, count):
    """The hub's records once there are `count` of them (it writes each one
    before replying, so this is a safety net), or what there is after 5 s."""
    deadline = time.monotonic() + 5
    while True:
        recs = records(record_dir)
        if len(recs) >= count or time.monotonic() > deadline:
            return recs
        time.sleep(0.01)


def fmt_time(seconds):
    if seconds >= 1:
        return "%.3f s" % seconds
    return "%.2f ms" % (seconds * 1e3)


def fmt_size(n):
    if n >= 1 << 20:
        return "%.2f MiB" % (n / (1 << 20))
    return "%.1f KiB" % (n / 1024)


def load_average():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def bench_size(hub, url, work, size, repeat, vorn):
    env = child_env(url)
    invoice = os.path.join(work, "invoice-%d.xml" % size)
    with open(invoice, "wb") as f:
        f.write(invoice_bytes(size))
    vorn_argv = [vorn, "utente", "segreta", invoice, "0", "1", "IT01234567890", "42"]

    # The request vorn sends, as the hub received it.
    seen = len(records(hub.record_dir))
    first = subprocess.run(vorn_argv, env=env, stdin=subprocess.DEVNULL, capture_output=True,
                           timeout=RUN_TIMEOUT)
    recs = wait_for_records(hub.record_dir, seen + 1)
    if first.returncode != 0 or len(recs) != seen + 1:
        raise RuntimeError("vorn failed against the hub (exit %d, %d requests recorded): %r %r"
                           % (first.returncode, len(recs) - seen, first.stdout, first.stderr))
    line, headers, body = split_request(recs[-1].raw)
    body_path = os.path.join(work, "envelope-%d.xml" % size)
    with open(body_path, "wb") as f:
        f.write(body)
    curl_argv = curl_args(url, body_path, headers)

    # curl must put the very same request on the wire.
    check = run_child(curl_argv, env)
    recs = wait_for_records(hub.record_dir, seen + 2)
    if check.status != 0 or len(recs) != seen + 2:
        raise RuntimeError("curl failed against the hub (exit %d)" % check.status)
    c_line, c_headers, c_body = split_request(recs[-1].raw)
    strip = lambda hs: sorted((n.lower(), v) for n, v in hs if n.lower() != "host")
    if c_line != line or c_body != body or strip(c_headers) != strip(headers):
        raise RuntimeError("curl's request differs from vorn's:\n  %s %r\n  %s %r"
                           % (line, strip(headers), c_line, strip(c_headers)))

    # Timed runs, alternating, each program first in every other round.
    programs = [("vorn", vorn_argv), ("curl", curl_argv)]
    runs = {"vorn": [], "curl": []}
    peaks = {"vorn": [], "curl": []}
    for i in range(repeat):
        for name, argv in programs if i % 2 == 0 else reversed(programs):
            r = run_child(argv, env)
            if r.status != 0:
                raise RuntimeError("%s exited with %d" % (name, r.status))
            runs[name].append(r)
    if GNU_TIME:
        for i in range(repeat):
            for name, argv in programs if i % 2 == 0 else reversed(programs):
                peaks[name].append(peak_kib(argv, env, work))
    else:
        for name in runs:
            peaks[name] = [r.maxrss_kib for r in runs[name]]
    return os.path.getsize(invoice), len(body), headers, runs, peaks


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--vorn", required=True, help="the vorn binary (a Release build)")
    parser.add_argument("--sizes", default="10240,1048576,5242880",
                        help="invoice sizes in bytes, comma-separated")
    parser.add_argument("--repeat", default="20,10,5",
                        help="runs of each program per size, comma-separated")
    args = parser.parse_args()
    sizes = [int(s) for s in args.sizes.split(",")]
    repeats = [int(s) for s in args.repeat.split(",")]
    repeats += [repeats[-1]] * (len(sizes) - len(repeats))
    if shutil.which("curl") is None:
        print("curl is not installed on this machine: nothing to compare with")
        return 1
    vorn = os.path.abspath(args.vorn)

    print("vorn submission benchmark: the vorn binary and curl posting the same envelope")
    print("bytes with the same headers to the loopback test hub (plain HTTP, 127.0.0.1),")
    print("alternately. Figures are medians per run: wall = spawn to exit, cpu = user+sys")
    print("of the child, peak = its maximum resident size.")
    print("load average at start: %s (machine has %d CPUs)" % (load_average(), os.cpu_count()))
    work = tempfile.mkdtemp(prefix="vorn-bench-")
    results = []
    try:
        for size, repeat in zip(sizes, repeats):
            # A hub per size, so that its records of large requests go with it.
            with run_hub(record_dir=os.path.join(work, "records-%d" % size)) as hub:
                url = "http://127.0.0.1:%d/Service.svc" % hub.port
                results.append((repeat,) + bench_size(hub, url, work, size, repeat, vorn))
            shutil.rmtree(os.path.join(work, "records-%d" % size), ignore_errors=True)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    headers = results[0][3]
    print("request headers (vorn's, given to curl as they are): " +
          "; ".join("%s: %s" % h for h in headers if h[0].lower() not in OWN_HEADERS))
    print("at every size the hub received the same request line, headers (Host aside) and "
          "body bytes from both")
    if GNU_TIME:
        print("peak: GNU time's maximum resident size, separate runs (floor about 1 MiB)")
    else:
        print("peak: /usr/bin/time is missing; this is wait4's ru_maxrss, which here is at "
              "least this script's own resident size")
    print()
    print("%-10s %-9s %4s %10s %10s %10s %10s %10s" % (
        "invoice", "envelope", "runs", "program", "wall", "cpu", "peak", "wall min"))
    ratios = []
    for repeat, invoice_size, body_size, _, runs, peaks in results:
        med = {}
        for name in ("vorn", "curl"):
            rs = runs[name]
            med[name] = (statistics.median(r.wall for r in rs),
                         statistics.median(r.cpu for r in rs),
                         statistics.median(peaks[name]) * 1024,
                         min(r.wall for r in rs))
        for i, name in enumerate(("vorn", "curl")):
            wall, cpu, peak, best = med[name]
            print("%-10s %-9s %4s %10s %10s %10s %10s %10s" % (
                fmt_size(invoice_size) if i == 0 else "", fmt_size(body_size) if i == 0 else "",
                repeat if i == 0 else "", name, fmt_time(wall), fmt_time(cpu), fmt_size(peak),
                fmt_time(best)))
        r = tuple(v / c for v, c in zip(med["vorn"], med["curl"]))
        ratios.append((invoice_size, r))
        print("%-10s %-9s %4s %10s %9.2fx %9.2fx %9.2fx %9.2fx" % ("", "", "", "vorn/curl", *r))
    print("load average at end: %s" % load_average())
    print()
    print("goal: vorn within %.1fx of curl's wall and CPU time at every size (medians)" % GOAL)
    for size, (wall, cpu, peak, _) in ratios:
        verdict = "met" if wall <= GOAL and cpu <= GOAL else "MISSED"
        print("  %-10s wall %.2fx  cpu %.2fx  -> %s   (peak memory %.2fx)"
              % (fmt_size(size), wall, cpu, verdict, peak))
    return 0


if __name__ == "__main__":
    sys.exit(main())

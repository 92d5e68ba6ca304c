#!/usr/bin/env python3
"""Whole-submission benchmark: the vorn binary against curl, side by side.

    python3 submit_bench.py --vorn PATH [--repeat 20,10,5,3]
                            [--sizes 10240,1048576,5242880,52428800]

Starts the loopback test hub, then for each invoice size:
  1. writes an invoice file of that size (CR LF lines, accented letters);
  2. runs vorn once against a recording hub and takes the request it sent
     from the hub's record: body bytes and headers;
  3. runs curl twice with those very bytes and headers, and checks that the
     hub received the same body and the same headers (Host and
     Content-Length aside, which both set from the URL and the body):
       curl     --data-binary @envelope  (reads the file whole, then posts it)
       curl -T  envelope -X POST         (streams the file as it posts it)
  4. against a hub that records nothing (so that no run includes writing the
     request to disk), runs the three programs in turn N times each, and
     measures every run: wall time (spawn to reap) and CPU time (user + sys
     of the child, from wait4); then N more runs of each under /usr/bin/time
     for the peak resident size.
Before the sizes, a usage-only run of vorn (no arguments: it prints its
usage and ends) is measured the same way: its peak is what vorn holds
before any work, and memory is compared above it.

Prints medians per size, every ratio, and a table of the goals with each
figure. Python standard library only; only 127.0.0.1 is contacted.

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

# The goals: vorn's wall and CPU time at most TIME_GOAL times curl's
# (SMALL_TIME_GOAL at the smallest size); at the largest size, wall time at
# most STREAM_GOAL times curl -T's; peak memory above the usage-only run at
# most MEMORY_GOAL times the invoice from MEMORY_FROM bytes on; wall time per
# invoice byte at the largest size at most LINEAR_GOAL times that at
# MEMORY_FROM bytes (no more than 10% dearer per byte).
TIME_GOAL = 1.0
SMALL_TIME_GOAL = 1.05
STREAM_GOAL = 1.3
MEMORY_GOAL = 1.2
MEMORY_FROM = 5 << 20
LINEAR_GOAL = 1.10
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


def curl_args(url, body_path, headers, stream=False):
    args = ["curl", "-s", "-S", "-o", "/dev/null"]
    if stream:
        args += ["-T", body_path, "-X", "POST"]
    else:
        args += ["--data-binary", "@" + body_path]
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


def peak_kib(argv, env, work, status=0):
    """The peak resident size of one run of argv, through GNU time."""
    out = os.path.join(work, "peak.txt")
    r = run_child([GNU_TIME, "-f", "%M", "-o", out, "--"] + argv, env)
    if r.status != status:
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


PROGRAMS = ("vorn", "curl", "curl -T")


def check_same_request(hub, url, env, argv, name, expected, seen):
    """Runs argv once against the recording hub; fails unless the hub got
    `expected` (request line, headers with Host aside, body)."""
    check = run_child(argv, env)
    recs = wait_for_records(hub.record_dir, seen + 1)
    if check.status != 0 or len(recs) != seen + 1:
        raise RuntimeError("%s failed against the hub (exit %d)" % (name, check.status))
    got = split_request(recs[-1].raw)
    strip = lambda hs: sorted((n.lower(), v) for n, v in hs if n.lower() != "host")
    if got[0] != expected[0] or got[2] != expected[2] or strip(got[1]) != strip(expected[1]):
        raise RuntimeError("%s's request differs from vorn's:\n  %s %r\n  %s %r"
                           % (name, expected[0], strip(expected[1]), got[0], strip(got[1])))


def measure(programs, env, work, repeat):
    """Runs each (name, argv) in turn `repeat` times, rotating the order;
    then as many runs of each under GNU time. Returns ({name: [Run]},
    {name: [peak KiB]})."""
    runs = {name: [] for name, _ in programs}
    peaks = {name: [] for name, _ in programs}
    for i in range(repeat):
        k = i % len(programs)
        for name, argv in programs[k:] + programs[:k]:
            r = run_child(argv, env)
            if r.status != 0:
                raise RuntimeError("%s exited with %d" % (name, r.status))
            runs[name].append(r)
    for i in range(repeat):
        k = i % len(programs)
        for name, argv in programs[k:] + programs[:k]:
            if GNU_TIME:
                peaks[name].append(peak_kib(argv, env, work))
    if not GNU_TIME:
        peaks = {name: [r.maxrss_kib for r in runs[name]] for name in runs}
    return runs, peaks


def bench_size(work, size, repeat, vorn):
    invoice = os.path.join(work, "invoice-%d.xml" % size)
    with open(invoice, "wb") as f:
        f.write(invoice_bytes(size))
    vorn_argv = [vorn, "utente", "segreta", invoice, "0", "1", "IT01234567890", "42"]

    # The request vorn sends, as a recording hub received it; curl must put
    # the very same request on the wire, both ways.
    with run_hub(record_dir=os.path.join(work, "records-%d" % size)) as hub:
        url = "http://127.0.0.1:%d/Service.svc" % hub.port
        env = child_env(url)
        first = subprocess.run(vorn_argv, env=env, stdin=subprocess.DEVNULL, capture_output=True,
                               timeout=RUN_TIMEOUT)
        recs = wait_for_records(hub.record_dir, 1)
        if first.returncode != 0 or len(recs) != 1:
            raise RuntimeError("vorn failed against the hub (exit %d, %d requests recorded): %r %r"
                               % (first.returncode, len(recs), first.stdout, first.stderr))
        expected = split_request(recs[-1].raw)
        body_path = os.path.join(work, "envelope-%d.xml" % size)
        with open(body_path, "wb") as f:
            f.write(expected[2])
        headers = expected[1]
        check_same_request(hub, url, env, curl_args(url, body_path, headers), "curl",
                           expected, 1)
        check_same_request(hub, url, env, curl_args(url, body_path, headers, stream=True),
                           "curl -T", expected, 2)
    shutil.rmtree(os.path.join(work, "records-%d" % size), ignore_errors=True)

    with run_hub(record=False) as hub:
        url = "http://127.0.0.1:%d/Service.svc" % hub.port
        programs = [("vorn", vorn_argv), ("curl", curl_args(url, body_path, headers)),
                    ("curl -T", curl_args(url, body_path, headers, stream=True))]
        runs, peaks = measure(programs, child_env(url), work, repeat)
    return os.path.getsize(invoice), len(expected[2]), headers, runs, peaks


def medians(runs, peaks):
    """{name: (wall, cpu, peak bytes, best wall)}"""
    return {name: (statistics.median(r.wall for r in rs), statistics.median(r.cpu for r in rs),
                   statistics.median(peaks[name]) * 1024, min(r.wall for r in rs))
            for name, rs in runs.items()}


def verdict(ok):
    return "met" if ok else "MISSED"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--vorn", required=True, help="the vorn binary (a Release build)")
    parser.add_argument("--sizes", default="10240,1048576,5242880,52428800",
                        help="invoice sizes in bytes, comma-separated")
    parser.add_argument("--repeat", default="20,10,5,3",
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
    print("in turn. curl reads the envelope file whole (--data-binary @file); curl -T")
    print("streams it as it posts it. Figures are medians per run: wall = spawn to exit,")
    print("cpu = user+sys of the child, peak = its maximum resident size.")
    print("load average at start: %s (machine has %d CPUs)" % (load_average(), os.cpu_count()))
    work = tempfile.mkdtemp(prefix="vorn-bench-")
    results = []
    try:
        # The usage-only run: what vorn holds and costs before any work.
        usage_runs = {"vorn usage": []}
        usage_peaks = {"vorn usage": []}
        env = child_env("http://127.0.0.1:9/Service.svc")
        for _ in range(max(repeats)):
            usage_runs["vorn usage"].append(run_child([vorn], env))
            if GNU_TIME:
                usage_peaks["vorn usage"].append(peak_kib([vorn], env, work, status=2))
        if not GNU_TIME:
            usage_peaks["vorn usage"] = [r.maxrss_kib for r in usage_runs["vorn usage"]]
        usage = medians(usage_runs, usage_peaks)["vorn usage"]
        for size, repeat in zip(sizes, repeats):
            results.append((size, repeat) + bench_size(work, size, repeat, vorn))
    finally:
        shutil.rmtree(work, ignore_errors=True)

    headers = results[0][4]
    print("request headers (vorn's, given to curl as they are): " +
          "; ".join("%s: %s" % h for h in headers if h[0].lower() not in OWN_HEADERS))
    print("at every size the hub received the same request line, headers (Host aside) and "
          "body bytes from all three")
    if GNU_TIME:
        print("peak: GNU time's maximum resident size, separate runs (floor about 1 MiB)")
    else:
        print("peak: /usr/bin/time is missing; this is wait4's ru_maxrss, which here is at "
              "least this script's own resident size")
    print("usage-only run of vorn (no arguments): wall %s, cpu %s, peak %s"
          % (fmt_time(usage[0]), fmt_time(usage[1]), fmt_size(usage[2])))
    print()
    print("%-10s %-9s %4s %10s %10s %10s %10s %10s %12s" % (
        "invoice", "envelope", "runs", "program", "wall", "cpu", "peak", "wall min",
        "peak-usage"))
    rows = []
    for requested, repeat, invoice_size, body_size, _, runs, peaks in results:
        med = medians(runs, peaks)
        for i, name in enumerate(PROGRAMS):
            wall, cpu, peak, best = med[name]
            print("%-10s %-9s %4s %10s %10s %10s %10s %10s %12s" % (
                fmt_size(invoice_size) if i == 0 else "", fmt_size(body_size) if i == 0 else "",
                repeat if i == 0 else "", name, fmt_time(wall), fmt_time(cpu), fmt_size(peak),
                fmt_time(best), fmt_size(peak - usage[2]) if name == "vorn" else ""))
        for other in ("curl", "curl -T"):
            r = tuple(v / c for v, c in zip(med["vorn"], med[other]))
            print("%-10s %-9s %4s %10s %9.2fx %9.2fx %9.2fx %9.2fx" % (
                "", "", "", "vorn/" + other.split()[-1] if other == "curl" else "vorn/-T", *r))
        t = med["curl -T"][0] / med["curl"][0]
        print("%-10s %-9s %4s %10s %9.2fx %20s %9.2fx" % (
            "", "", "", "-T/curl", t, "", med["curl -T"][2] / med["curl"][2]))
        rows.append((requested, invoice_size, med))
    print("load average at end: %s" % load_average())

    # The goals, one line each, with the figure that decides it.
    print()
    print("%-58s %9s %7s  %s" % ("goal", "figure", "limit", "verdict"))
    smallest, largest = rows[0][0], rows[-1][0]
    for requested, size, med in rows:
        limit = SMALL_TIME_GOAL if requested == smallest and len(rows) > 1 else TIME_GOAL
        for i, what in ((0, "wall"), (1, "cpu")):
            f = med["vorn"][i] / med["curl"][i]
            print("%-58s %8.2fx %6.2fx  %s" % ("time: %s, vorn/curl %s" % (fmt_size(size), what), f,
                                               limit, verdict(f <= limit)))
    big = rows[-1][2]
    f = big["vorn"][0] / big["curl -T"][0]
    print("%-58s %8.2fx %6.2fx  %s" % ("streaming: %s, vorn wall / curl -T wall" % fmt_size(rows[-1][1]),
                                       f, STREAM_GOAL, verdict(f <= STREAM_GOAL)))
    for requested, size, med in rows:
        if requested < MEMORY_FROM:
            continue
        f = (med["vorn"][2] - usage[2]) / size
        print("%-58s %8.2fx %6.2fx  %s" % ("memory: %s, (vorn peak - usage-only peak) / invoice"
                                           % fmt_size(size), f, MEMORY_GOAL,
                                           verdict(f <= MEMORY_GOAL)))
    ref = [(size, med) for requested, size, med in rows if requested >= MEMORY_FROM]
    if len(ref) >= 2:
        (s0, m0), (s1, m1) = ref[0], ref[-1]
        per0, per1 = m0["vorn"][0] / s0 * 1e9, m1["vorn"][0] / s1 * 1e9
        f = per1 / per0
        print("%-58s %8.2fx %6.2fx  %s" % (
            "linearity: wall ns/byte %s (%.1f) / %s (%.1f)" % (fmt_size(s1), per1, fmt_size(s0),
                                                              per0), f, LINEAR_GOAL,
            verdict(f <= LINEAR_GOAL)))
        # For comparison: the same per byte beyond the smallest size (whose
        # time is start-up and connection), for vorn and for curl -T.
        small = rows[0][2]
        for name in ("vorn", "curl -T", "vorn cpu"):
            i = 1 if name == "vorn cpu" else 0
            prog = "vorn" if name == "vorn cpu" else name
            net0 = (m0[prog][i] - small[prog][i]) / (s0 - rows[0][1]) * 1e9
            net1 = (m1[prog][i] - small[prog][i]) / (s1 - rows[0][1]) * 1e9
            print("  beyond %s, %-8s ns/byte: %s %.1f, %s %.1f (%.2fx)" % (
                fmt_size(rows[0][1]), name, fmt_size(s1), net1, fmt_size(s0), net0, net1 / net0))
    return 0


if __name__ == "__main__":
    sys.exit(main())

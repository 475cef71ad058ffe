#!/usr/bin/env python3
"""Load and abuse figures for brinehold-scored, on loopback only.

Every simulated client connects from its own address in 127.0.0.0/8
(127.0.0.2, 127.0.0.3, ...), so the server's per-address limits see
different clients. Every loop is bounded in count and in time.

  bench/scored_load.py [--scored build/game/brinehold-scored] [--seconds 10]
                       [--only throughput,flood,slow,kill]

Phases:
  throughput  64 keep-alive clients doing version-then-submit pairs, for
              SQLite (1 process) and PostgreSQL (1 and 4 processes on one
              port); submissions per second, p50/p99 latency, 4:1 ratio.
  flood       one address floods version requests as fast as it can while
              24 other clients submit at a player's pace under the default
              limits: every submission must succeed, p99 <= 200 ms.
  slow        256 connections each send one byte a second; a real client's
              request must be answered within 1 s.
  kill        kill -9 of one of 4 server processes during the load: every
              submission answered OK must be in the database.

PostgreSQL runs as a throw-away cluster in a temporary folder (owned by
nobody when run as root), listening on 127.0.0.1 only, with fsync on.
"""

import argparse
import asyncio
import glob
import multiprocessing
import os
import pwd
import shutil
import signal
import socket
import sqlite3
import subprocess
import sys
import tempfile
import time

ALPHABET = "ABCDEFGHJKLMNPQRSTUVWXY123456789"
VERSION = b"GET /cgi/version.pl?version&prg=Brinehold HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"
MAX_REQUESTS_PER_CLIENT = 100000


def encode(text):
    data = text.encode("cp1251")
    data += b"0" * ((5 - len(data) % 5) % 5)
    bits = "".join(format(b, "08b") for b in data)
    bits = "0" * ((5 - len(bits) % 5) % 5) + bits
    return "".join(ALPHABET[int(bits[i:i + 5], 2)] for i in range(0, len(bits), 5))


def submit_request(name, score, token):
    text = "type=0|name=%s|score=%d|key=B|p=%s|add=ru|z=" % (name, score, token)
    code = encode(text)
    return ("GET /cgi/version.pl?hs&prg=Brinehold&inf=%s HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"
            % code).encode()


def address(n):
    """The n-th client address, from 127.0.0.2 on."""
    n += 2
    return "127.%d.%d.%d" % ((n >> 16) & 255, (n >> 8) & 255, n & 255)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def percentile(values, p):
    if not values:
        return float("nan")
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(p / 100.0 * (len(ordered) - 1))))]


class Connection:
    def __init__(self, port, source):
        self.port, self.source = port, source
        self.reader = self.writer = None

    async def open(self):
        self.reader, self.writer = await asyncio.open_connection(
            "127.0.0.1", self.port, local_addr=(self.source, 0))

    def close(self):
        if self.writer:
            self.writer.close()
            self.writer = None

    async def request(self, raw, timeout=10.0):
        """(status, body) of one request on the kept connection."""
        if self.writer is None:
            await self.open()
        try:
            self.writer.write(raw)
            head = await asyncio.wait_for(self.reader.readuntil(b"\r\n\r\n"), timeout)
            lines = head.decode("latin-1").split("\r\n")
            status = int(lines[0].split()[1])
            length, close = 0, False
            for line in lines[1:]:
                key, _, value = line.partition(":")
                if key.lower() == "content-length":
                    length = int(value)
                elif key.lower() == "connection" and value.strip().lower() == "close":
                    close = True
            body = await asyncio.wait_for(self.reader.readexactly(length), timeout)
            if close:
                self.close()
            return status, body.decode("latin-1")
        except Exception:
            self.close()
            raise


class Postgres:
    """A throw-away cluster; fsync stays on so the figures are honest."""

    def __init__(self):
        bins = sorted(glob.glob("/usr/lib/postgresql/*/bin/initdb"))
        if not bins:
            raise RuntimeError("PostgreSQL is not installed (package postgresql)")
        self.bin = os.path.dirname(bins[-1])
        self.dir = tempfile.mkdtemp(prefix="brinehold-pgbench-")
        self.user = None
        if os.geteuid() == 0:
            self.user = pwd.getpwnam("nobody")
            os.chown(self.dir, self.user.pw_uid, self.user.pw_gid)
        self.port = free_port()
        self.log = open(os.path.join(self.dir, "command.log"), "ab")
        self.run([self.bin + "/initdb", "-D", self.dir + "/data", "-U", "brinehold", "-A",
                  "trust", "-E", "UTF8", "--locale=C"])
        self.server = subprocess.Popen(
            [self.bin + "/postgres", "-D", self.dir + "/data", "-c", "listen_addresses=127.0.0.1",
             "-p", str(self.port), "-k", self.dir, "-c", "max_connections=200"],
            stdout=self.log, stderr=self.log, preexec_fn=self.demote)
        deadline = time.time() + 30
        while subprocess.call([self.bin + "/pg_isready", "-q", "-h", "127.0.0.1", "-p",
                               str(self.port)]) != 0:
            if time.time() > deadline or self.server.poll() is not None:
                raise RuntimeError("PostgreSQL did not start, see " + self.dir)
            time.sleep(0.2)
        self.count = 0

    def demote(self):
        if self.user:
            os.setgroups([])
            os.setgid(self.user.pw_gid)
            os.setuid(self.user.pw_uid)

    def run(self, words):
        subprocess.check_call(words, stdout=self.log, stderr=self.log, preexec_fn=self.demote)

    def new_database(self):
        self.count += 1
        name = "bench%d" % self.count
        subprocess.check_call([self.bin + "/createdb", "-h", "127.0.0.1", "-p", str(self.port),
                               "-U", "brinehold", name])
        return "postgresql://brinehold@127.0.0.1:%d/%s" % (self.port, name)

    def names(self, location):
        out = subprocess.check_output([self.bin + "/psql", "-At", "-d", location, "-c",
                                       "SELECT name FROM scores"])
        return set(out.decode().split())

    def stop(self):
        self.server.send_signal(signal.SIGINT)
        try:
            self.server.wait(30)
        except subprocess.TimeoutExpired:
            self.server.kill()
        shutil.rmtree(self.dir, ignore_errors=True)


class Servers:
    """N brinehold-scored processes sharing one port (SO_REUSEPORT)."""

    def __init__(self, program, database, count, workdir, options=()):
        self.port = free_port()
        self.processes = []
        for i in range(count):
            log = os.path.join(workdir, "access-%d.log" % i)
            words = [program, "--listen", "127.0.0.1:%d" % self.port, "--db", database,
                     "--share-port", "--access-log", log, "--exit-after", "600"] + list(options)
            process = subprocess.Popen(words, stdout=subprocess.PIPE, stderr=sys.stderr)
            line = process.stdout.readline().decode()
            if not line.startswith("listening on"):
                raise RuntimeError("the server did not start: " + line)
            self.processes.append(process)

    def stop(self):
        for process in self.processes:
            if process.poll() is None:
                process.terminate()
        for process in self.processes:
            try:
                process.wait(30)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()


NO_LIMITS = ["--version-rate", "0", "--submit-rate", "0", "--connections-per-address", "0"]


async def pair_client(port, index, deadline, stats, pause=0.0, max_pairs=MAX_REQUESTS_PER_CLIENT):
    """Version-then-submit pairs until the deadline; records latencies and OK'd names."""
    connection = Connection(port, address(index))
    for k in range(max_pairs):
        if time.monotonic() >= deadline:
            break
        started = time.monotonic()
        try:
            status, body = await connection.request(VERSION)
            if status != 200 or not body.startswith("OK"):
                stats["errors"][body[:40]] = stats["errors"].get(body[:40], 0) + 1
                continue
            token = body.split("|")[4]
            name = "%03d%07d" % (index % 1000, k)
            sent = time.monotonic()
            status, body = await connection.request(submit_request(name, k % 65536, token))
            done = time.monotonic()
        except Exception as error:
            stats["errors"][type(error).__name__] = stats["errors"].get(type(error).__name__, 0) + 1
            await asyncio.sleep(0.01)
            continue
        if body == "OK":
            stats["ok"].append(name)
            stats["submit"].append(done - sent)
            stats["pair"].append(done - started)
        else:
            stats["errors"][body[:40]] = stats["errors"].get(body[:40], 0) + 1
        if pause:
            # A player sends a score now and then: a fresh connection each time.
            connection.close()
            await asyncio.sleep(pause)
    connection.close()


def new_stats():
    return {"ok": [], "submit": [], "pair": [], "errors": {}}


async def run_pairs(port, clients, seconds, first_index=0, pause=0.0, max_pairs=MAX_REQUESTS_PER_CLIENT,
                    during=None):
    stats = new_stats()
    deadline = time.monotonic() + seconds
    tasks = [pair_client(port, first_index + i, deadline, stats, pause, max_pairs)
             for i in range(clients)]
    if during:
        tasks.append(during)
    started = time.monotonic()
    await asyncio.gather(*tasks)
    stats["seconds"] = time.monotonic() - started
    return stats


def pairs_worker(port, clients, seconds, first_index, queue):
    queue.put(asyncio.run(run_pairs(port, clients, seconds, first_index)))


def run_pairs_in_processes(port, clients, seconds, processes, during=None):
    """The clients split over several processes, so one Python loop does not cap the load."""
    queue = multiprocessing.Queue()
    share = clients // processes
    workers = [multiprocessing.Process(target=pairs_worker,
                                       args=(port, share, seconds, i * share, queue))
               for i in range(processes)]
    for worker in workers:
        worker.start()
    if during:
        during()
    results = [queue.get(timeout=seconds + 120) for _ in workers]
    for worker in workers:
        worker.join(30)
    stats = new_stats()
    for result in results:
        for key in ("ok", "submit", "pair"):
            stats[key] += result[key]
        for key, count in result["errors"].items():
            stats["errors"][key] = stats["errors"].get(key, 0) + count
    stats["seconds"] = max(result["seconds"] for result in results)
    return stats


def report(label, stats):
    ok = len(stats["ok"])
    rate = ok / stats["seconds"] if stats["seconds"] else 0
    print("%-34s %7d OK %8.0f subm/s  submit p50 %6.1f ms  p99 %6.1f ms  pair p50 %6.1f ms"
          "  p99 %6.1f ms  errors %s" % (
              label, ok, rate, 1000 * percentile(stats["submit"], 50),
              1000 * percentile(stats["submit"], 99), 1000 * percentile(stats["pair"], 50),
              1000 * percentile(stats["pair"], 99), stats["errors"] or "none"))
    sys.stdout.flush()
    return rate


def database_for(backend, postgres, workdir, tag):
    if backend == "postgres":
        return postgres.new_database()
    return os.path.join(workdir, "%s.sqlite" % tag)


def stored_names(backend, postgres, location):
    if backend == "postgres":
        return postgres.names(location)
    with sqlite3.connect(location) as db:
        return {row[0] for row in db.execute("SELECT name FROM scores")}


def throughput(args, postgres, workdir):
    print("== 64 keep-alive clients in %d processes, version-then-submit pairs, %d s each,"
          " %d server threads (limits off)" % (args.client_processes, args.seconds, args.threads))
    rates = {}
    for backend, processes in (("sqlite", 1), ("sqlite", 4), ("postgres", 1), ("postgres", 4)):
        if backend == "postgres" and postgres is None:
            continue
        location = database_for(backend, postgres, workdir, "throughput-%d" % processes)
        servers = Servers(args.scored, location, processes, workdir,
                          NO_LIMITS + ["--threads", str(args.threads)])
        try:
            stats = run_pairs_in_processes(servers.port, 64, args.seconds, args.client_processes)
        finally:
            servers.stop()
        rates[(backend, processes)] = report("%s, %d process%s" % (
            backend, processes, "" if processes == 1 else "es"), stats)
    for backend in ("sqlite", "postgres"):
        if (backend, 1) in rates and (backend, 4) in rates and rates[(backend, 1)]:
            print("%s: 4 processes / 1 process = %.2f" % (
                backend, rates[(backend, 4)] / rates[(backend, 1)]))


async def flooder(port, source, deadline, counts, connections=8):
    async def one():
        connection = Connection(port, source)
        for _ in range(MAX_REQUESTS_PER_CLIENT):
            if time.monotonic() >= deadline:
                break
            try:
                status, body = await connection.request(VERSION)
                key = "%d %s" % (status, body[:24] if status != 200 else "OK")
                counts[key] = counts.get(key, 0) + 1
            except Exception as error:
                counts[type(error).__name__] = counts.get(type(error).__name__, 0) + 1
                await asyncio.sleep(0.01)
        connection.close()
    await asyncio.gather(*(one() for _ in range(connections)))


def flood_process(port, source, seconds, queue):
    counts = {}
    asyncio.run(flooder(port, source, time.monotonic() + seconds, counts))
    queue.put(counts)


def flood(args, postgres, workdir):
    seconds = max(args.seconds, 30)
    print("== flood: 24 players (127.0.0.3...) submit one pair every 6 s for %d s, default limits;"
          " first alone, then while 127.0.0.2 floods version requests on 8 connections" % seconds)
    for flooded in (False, True):
        servers = Servers(args.scored, os.path.join(workdir, "flood-%d.sqlite" % flooded), 1,
                          workdir)
        # The flooder runs in a process of its own, so its loop does not delay the players'.
        queue = multiprocessing.Queue()
        flooding = multiprocessing.Process(target=flood_process,
                                           args=(servers.port, address(0), seconds, queue))
        counts = {}
        try:
            if flooded:
                flooding.start()
                time.sleep(1.0)  # the flood is under way before the first player comes
            stats = asyncio.run(run_pairs(servers.port, 24, seconds - 2, first_index=1,
                                          pause=6.0, max_pairs=seconds // 6 + 1))
            if flooded:
                counts = queue.get(timeout=60)
                flooding.join(30)
        finally:
            if flooding.is_alive():
                flooding.kill()
            servers.stop()
        report("players, %s" % ("during the flood" if flooded else "alone"), stats)
        failed = sum(stats["errors"].values())
        p99 = 1000 * percentile(stats["submit"], 99)
        if flooded:
            total = sum(counts.values())
            print("flooder: %d answers in %d s (%.0f/s): %s" % (
                total, seconds, total / seconds, counts))
        print("players: %d of %d submissions OK, submit p99 %.1f ms%s" % (
            len(stats["ok"]), len(stats["ok"]) + failed, p99,
            (" -> " + ("PASS" if failed == 0 and p99 <= 200 else "FAIL")) if flooded else ""))


async def slow_clients(args, port):
    seconds = max(args.seconds, 20)
    request = VERSION
    sockets = []
    for i in range(256):
        reader, writer = await asyncio.open_connection("127.0.0.1", port, local_addr=(address(100 + i), 0))
        sockets.append((reader, writer))
    deadline = time.monotonic() + seconds

    async def trickle(writer):
        for k in range(min(len(request), seconds + 1)):
            if time.monotonic() >= deadline:
                break
            writer.write(request[k:k + 1])
            await asyncio.sleep(1.0)

    latencies, failures = [], []

    async def real_client():
        await asyncio.sleep(2.0)  # every slow connection is open and trickling
        connection = Connection(port, address(1))
        for _ in range(1000):
            if time.monotonic() >= deadline:
                break
            started = time.monotonic()
            try:
                status, body = await connection.request(VERSION, timeout=5.0)
                if status == 200 and body.startswith("OK"):
                    latencies.append(time.monotonic() - started)
                else:
                    failures.append(body[:40])
            except Exception as error:
                failures.append(type(error).__name__)
            connection.close()
            await asyncio.sleep(0.25)
        connection.close()

    await asyncio.gather(real_client(), *(trickle(w) for _, w in sockets))
    for _, writer in sockets:
        writer.close()
    return latencies, failures, seconds


def slow(args, postgres, workdir):
    print("== slow: 256 connections (127.0.0.102...) each send one byte a second; a real client"
          " asks every 0.25 s on a new connection (request limits off)")
    servers = Servers(args.scored, os.path.join(workdir, "slow.sqlite"), 1, workdir,
                      ["--version-rate", "0"])
    try:
        latencies, failures, seconds = asyncio.run(slow_clients(args, servers.port))
    finally:
        servers.stop()
    worst = 1000 * max(latencies) if latencies else float("nan")
    print("real client: %d answered in %d s, p50 %.1f ms, max %.1f ms, failures %s -> %s" % (
        len(latencies), seconds, 1000 * percentile(latencies, 50), worst, failures or "none",
        "PASS" if latencies and not failures and worst <= 1000 else "FAIL"))


def kill_phase(args, postgres, workdir):
    print("== kill -9 of one of 4 processes after 40%% of a %d s load, 64 clients" % args.seconds)
    for backend in ("sqlite", "postgres"):
        if backend == "postgres" and postgres is None:
            continue
        location = database_for(backend, postgres, workdir, "kill")
        servers = Servers(args.scored, location, 4, workdir, NO_LIMITS)

        def killer():
            time.sleep(args.seconds * 0.4)
            os.kill(servers.processes[0].pid, signal.SIGKILL)

        try:
            stats = run_pairs_in_processes(servers.port, 64, args.seconds, args.client_processes,
                                           during=killer)
        finally:
            servers.stop()
        report("%s, 4 processes, one killed" % backend, stats)
        stored = stored_names(backend, postgres, location)
        missing = [name for name in stats["ok"] if name not in stored]
        print("%s: %d answered OK, %d in the database, %d OK'd but missing -> %s" % (
            backend, len(stats["ok"]), len(stored), len(missing), "PASS" if not missing else "FAIL"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--scored", default=os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "build", "game", "brinehold-scored"))
    parser.add_argument("--seconds", type=int, default=10)
    parser.add_argument("--threads", type=int, default=4)
    parser.add_argument("--client-processes", type=int, default=2)
    parser.add_argument("--only", default="throughput,flood,slow,kill")
    args = parser.parse_args()
    args.seconds = max(1, min(args.seconds, 120))
    phases = args.only.split(",")
    workdir = tempfile.mkdtemp(prefix="brinehold-scored-bench-")
    postgres = None
    try:
        if "throughput" in phases or "kill" in phases:
            try:
                postgres = Postgres()
            except Exception as error:
                print("PostgreSQL phases skipped: %s" % error)
        print("machine: %d cores, load average %s" % (os.cpu_count(), os.getloadavg()))
        for phase, run in (("throughput", throughput), ("flood", flood), ("slow", slow),
                           ("kill", kill_phase)):
            if phase in phases:
                run(args, postgres, workdir)
    finally:
        if postgres:
            postgres.stop()
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    main()

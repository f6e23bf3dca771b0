#!/usr/bin/env python3
"""measure.py NAME FOLDER COMMAND...: runs COMMAND in a session of its own and
appends a line "NAME seconds private-MiB rss-MiB load files status" to
FOLDER/../results. Memory is sampled every 100 ms over every process of the
session: the peak of the sum of their private memory (what the run alone
costs; shared libraries left out) and of the sum of their RSS (each process's
shared libraries counted again: an upper bound). PSS is not used: on a machine
where other programs map the same engine libraries it changes with them.
measure.py --summary OUT prints best and median per NAME."""
import os
import statistics
import subprocess
import sys
import time


def session_memory_kib(session):
    private = rss = 0
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            if os.getsid(int(pid)) != session:
                continue
            with open(f"/proc/{pid}/smaps_rollup") as rollup:
                for line in rollup:
                    field, value = line.split()[:2] if ":" in line else ("", 0)
                    if field in ("Private_Clean:", "Private_Dirty:"):
                        private += int(value)
                    elif field == "Rss:":
                        rss += int(value)
        except (OSError, ProcessLookupError, ValueError):
            pass
    return private, rss


def measure(name, folder, command):
    load = os.getloadavg()[0]
    start = time.monotonic()
    process = subprocess.Popen(command, start_new_session=True,
                               stdout=subprocess.DEVNULL)
    peak_private = peak_rss = 0
    while process.poll() is None:
        private, rss = session_memory_kib(process.pid)
        peak_private, peak_rss = max(peak_private, private), max(peak_rss, rss)
        time.sleep(0.1)
    seconds = time.monotonic() - start
    files = len([f for f in os.listdir(folder) if f.endswith(".png")])
    line = (f"{name} {seconds:.2f} {peak_private / 1024:.0f} {peak_rss / 1024:.0f} "
            f"{load:.2f} {files} {process.returncode}")
    print(line, flush=True)
    with open(os.path.join(os.path.dirname(folder), "results"), "a") as results:
        results.write(line + "\n")


def summary(out):
    runs = {}
    with open(os.path.join(out, "results")) as results:
        for line in results:
            name, seconds, private, rss, load, files, status = line.split()
            runs.setdefault(name, []).append(
                (float(seconds), int(private), int(rss), float(load)))
    print("run       best s  median s  private MiB  RSS MiB  load before")
    for name, values in runs.items():
        times = [v[0] for v in values]
        print(f"{name:8} {min(times):7.1f} {statistics.median(times):9.1f} "
              f"{max(v[1] for v in values):12} {max(v[2] for v in values):8}  "
              f"{' '.join(f'{v[3]:.1f}' for v in values)}")


if __name__ == "__main__":
    if sys.argv[1] == "--summary":
        summary(sys.argv[2])
    else:
        measure(sys.argv[1], sys.argv[2], sys.argv[3:])

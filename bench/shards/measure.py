#!/usr/bin/env python3
"""measure.py NAME FOLDER COMMAND...: runs COMMAND in a session of its own and
appends a line "NAME seconds peak-MiB load files" to FOLDER/../results, where
the peak is the largest sum of the PSS of every process of the session seen
in 100 ms samples. measure.py --summary OUT prints best and median per NAME."""
import os
import statistics
import subprocess
import sys
import time


def session_pss_kib(session):
    total = 0
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            if os.getsid(int(pid)) != session:
                continue
            with open(f"/proc/{pid}/smaps_rollup") as rollup:
                for line in rollup:
                    if line.startswith("Pss:"):
                        total += int(line.split()[1])
        except (OSError, ProcessLookupError):
            pass
    return total


def measure(name, folder, command):
    load = os.getloadavg()[0]
    start = time.monotonic()
    process = subprocess.Popen(command, start_new_session=True,
                               stdout=subprocess.DEVNULL)
    peak = 0
    while process.poll() is None:
        peak = max(peak, session_pss_kib(process.pid))
        time.sleep(0.1)
    seconds = time.monotonic() - start
    files = len([f for f in os.listdir(folder) if f.endswith(".png")])
    line = f"{name} {seconds:.2f} {peak / 1024:.0f} {load:.2f} {files} {process.returncode}"
    print(line, flush=True)
    with open(os.path.join(os.path.dirname(folder), "results"), "a") as results:
        results.write(line + "\n")


def summary(out):
    runs = {}
    with open(os.path.join(out, "results")) as results:
        for line in results:
            name, seconds, peak, load, files, status = line.split()
            runs.setdefault(name, []).append((float(seconds), int(peak), float(load)))
    print("run       best s  median s  peak MiB  load before")
    for name, values in runs.items():
        times = [v[0] for v in values]
        print(f"{name:8} {min(times):7.1f} {statistics.median(times):9.1f} "
              f"{max(v[1] for v in values):9} "
              f"{' '.join(f'{v[2]:.1f}' for v in values):>12}")


if __name__ == "__main__":
    if sys.argv[1] == "--summary":
        summary(sys.argv[2])
    else:
        measure(sys.argv[1], sys.argv[2], sys.argv[3:])

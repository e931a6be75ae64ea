#!/usr/bin/env python3
"""Start-up of tnews against the floor program: time from exec to the start page loaded, and
the memory of the whole process tree (the program and the web engine's helper processes) at
that moment. Runs the two alternately; prints medians and the ratios tnews/floor.

Usage (on a display): bench/startup.py BUILD_BIN_FOLDER [RUNS]
"""
import os
import statistics
import subprocess
import sys
import time


def descendants(pid):
    """pid and every process below it."""
    children = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as stat:
                    parent = int(stat.read().rsplit(")", 1)[1].split()[1])
                children.setdefault(parent, []).append(int(entry))
            except (OSError, IndexError, ValueError):
                pass
    tree, todo = [], [pid]
    while todo:
        current = todo.pop()
        tree.append(current)
        todo.extend(children.get(current, []))
    return tree


def memory_kib(pids):
    """(Rss, Pss) summed over the processes, in KiB, from smaps_rollup."""
    rss = pss = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/smaps_rollup") as rollup:
                for line in rollup:
                    if line.startswith("Rss:"):
                        rss += int(line.split()[1])
                    elif line.startswith("Pss:"):
                        pss += int(line.split()[1])
        except OSError:
            pass
    return rss, pss


def run_once(program, settle):
    start = time.monotonic_ns()
    process = subprocess.Popen([program], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                               text=True)
    try:
        line = process.stdout.readline()
        if not line.startswith("start-page-loaded "):
            raise RuntimeError(f"{program} did not report its start page")
        loaded = int(line.split()[1])
        time.sleep(settle)  # let the helper processes finish what the load started
        rss, pss = memory_kib(descendants(process.pid))
        return (loaded - start) / 1e6, rss / 1024, pss / 1024
    finally:
        for pid in reversed(descendants(process.pid)):
            try:
                os.kill(pid, 9)
            except OSError:
                pass
        process.wait()


def main():
    folder = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    programs = {"tnews": os.path.join(folder, "tnews_startup_bench"),
                "floor": os.path.join(folder, "floor_startup_bench")}
    results = {name: [] for name in programs}
    for _ in range(runs):
        for name, program in programs.items():
            results[name].append(run_once(program, settle=1.0))

    medians = {}
    print(f"start-up, {runs} runs each, alternating; medians:")
    for name, samples in results.items():
        medians[name] = [statistics.median(column) for column in zip(*samples)]
        ms, rss, pss = medians[name]
        print(f"  {name:5}  exec to start page {ms:7.1f} ms   Rss {rss:6.1f} MiB   "
              f"Pss {pss:6.1f} MiB")
    ratios = [t / f for t, f in zip(medians["tnews"], medians["floor"])]
    print(f"  ratio tnews/floor: time {ratios[0]:.2f}, Rss {ratios[1]:.2f}, Pss {ratios[2]:.2f}")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Runs a command that hands work to a running player, then follows the player's CPU use in
/proc until it has been idle for a while; prints how long the work took.

  until_idle.py PID QUIET_SECONDS LIMIT_SECONDS COMMAND...

Prints "wall=SECONDS cpu=SECONDS": wall from just before COMMAND starts until the player last
ran for more than a sliver of a sampling step (each thread's run time from
/proc/PID/task/*/schedstat, in nanoseconds), cpu the player's user + system time over the same
span (/proc/PID/stat, in clock ticks, dead threads included) plus COMMAND's own. Ends with
status 1 when the player is not idle within LIMIT_SECONDS of the start."""
import os
import resource
import subprocess
import sys
import time

STEP = 0.005   # seconds between two looks at /proc
SLIVER = 5e5   # nanoseconds of run time in one step that still count as idle (timers, wake-ups)


def run_ns(pid):
    total = 0
    try:
        tasks = os.listdir(f"/proc/{pid}/task")
    except FileNotFoundError:
        sys.exit(f"until_idle: process {pid} is gone")
    for tid in tasks:
        try:
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                total += int(f.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass  # a thread that ended between the listing and the read
    return total


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime, stime


def main():
    pid, quiet, limit = int(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3])
    command = sys.argv[4:]
    hz = os.sysconf("SC_CLK_TCK")
    children = resource.getrusage(resource.RUSAGE_CHILDREN)
    ticks0 = cpu_ticks(pid)
    start = time.monotonic()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    last_busy = time.monotonic()
    before = run_ns(pid)
    while True:
        time.sleep(STEP)
        now = time.monotonic()
        ran = run_ns(pid)
        if ran - before > SLIVER:
            last_busy = now
        before = ran
        if now - last_busy >= quiet:
            break
        if now - start > limit:
            sys.exit(f"until_idle: process {pid} still busy after {limit} s")
    used = resource.getrusage(resource.RUSAGE_CHILDREN)
    own = used.ru_utime + used.ru_stime - children.ru_utime - children.ru_stime
    cpu = (cpu_ticks(pid) - ticks0) / hz + own
    print(f"wall={last_busy - start:.3f} cpu={cpu:.3f}")


main()

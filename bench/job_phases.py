"""One row of bench/job_bench: the whole job's median time from filmhost's
log, the waits the library slept through from its phase spans (when the
tree records them), and the ratio of the rest to plain writes.

Exits 1 when the log holds no timed job or the plain writes gave no figure."""
import argparse
import re
import statistics
import sys


def job_intervals(log_path):
    origin = None
    starts, spans = [], []
    with open(log_path, errors="replace") as log:
        for line in log:
            m = re.search(r"run clock origin (\d+)", line)
            if m:
                origin = int(m.group(1))
            m = re.search(r"mark (start|scan-finished) at ([0-9.]+) s", line)
            if not m:
                continue
            if m.group(1) == "start":
                starts.append(float(m.group(2)))
            elif starts:
                spans.append((starts.pop(), float(m.group(2))))
    return origin, spans


def read_phases(path):
    try:
        with open(path, errors="replace") as f:
            first = f.readline().split()
            if len(first) != 2 or first[0] != "frequency":
                return None, []
            events = []
            for line in f:
                parts = line.split()
                if len(parts) == 3:
                    events.append((parts[0], int(parts[1]), int(parts[2])))
            return int(first[1]), events
    except OSError:
        return None, []


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--log", required=True)
    ap.add_argument("--phases", required=True)
    ap.add_argument("--format", required=True)
    ap.add_argument("--bytes", type=int, required=True)
    ap.add_argument("--plain", required=True)
    ap.add_argument("--target", type=float, required=True)
    ap.add_argument("--show-phases", type=int, default=0)
    a = ap.parse_args()

    origin, jobs = job_intervals(a.log)
    plain = [float(x) for x in a.plain.split()]
    if not jobs or not plain or a.bytes <= 0:
        print(f"{a.format:<7} no figure: {len(jobs)} timed jobs, {len(plain)} plain writes, {a.bytes} bytes")
        print(f"row|whole job {a.format}|-|plain writes, 256 KB buffer|-|-|{a.target:.0f}|FAILED")
        return 1
    frequency, events = read_phases(a.phases)
    per_job = []   # {name: (seconds, count)} per job
    waits = []
    if frequency and origin is not None:
        for start, end in jobs:
            lo, hi = origin + start * frequency, origin + end * frequency
            sums = {}
            for name, s, e in events:
                if s >= lo and e <= hi:
                    t, n = sums.get(name, (0.0, 0))
                    sums[name] = (t + (e - s) / frequency, n + 1)
            per_job.append(sums)
            waits.append(sums.get("ClockSleep", (0.0, 0))[0])
    job = statistics.median(e - s for s, e in jobs)
    wait = statistics.median(waits) if waits else 0.0
    net = statistics.median((e - s) - w for (s, e), w in zip(jobs, waits)) if waits else job
    floor = statistics.median(plain)
    ratio = net / floor
    verdict = "ok" if ratio <= a.target else "OVER"
    wait_text = f"{wait:9.3f}" if waits else f"{'n/a':>9}"
    print(f"{a.format:<7} {a.bytes:11d} {job:9.3f} {wait_text} {net:9.3f} {floor:9.3f} {ratio:7.2f} "
          f"{a.target:6.0f}x {verdict}  ({len(jobs)} jobs)")
    target = "%.0f" % a.target
    if waits:
        print(f"row|whole job {a.format} less the prescribed waits|{net:.3f} s|plain writes, 256 KB buffer|"
              f"{floor:.3f} s|{ratio:.2f}|{target}|{verdict}")
        print(f"row|  waits slept in the job {a.format}|{wait:.3f} s|-|-|-|-|info")
    else:
        print(f"row|whole job {a.format} (waits not recorded)|{net:.3f} s|plain writes, 256 KB buffer|"
              f"{floor:.3f} s|{ratio:.2f}|{target}|{verdict}")
    if a.show_phases and per_job:
        names = sorted({n for j in per_job for n in j})
        rows = []
        for name in names:
            t = statistics.median(j.get(name, (0.0, 0))[0] for j in per_job)
            n = statistics.median(j.get(name, (0.0, 0))[1] for j in per_job)
            rows.append((t, name, n))
        for t, name, n in sorted(rows, reverse=True):
            print(f"  {name:<28} {t:8.3f} s {n:8.0f} calls")
    return 0


if __name__ == "__main__":
    sys.exit(main())

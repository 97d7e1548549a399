"""scripts/bench's one table: every figure of the run, its limit measured in
the same run, the ratio and the target it is held to, and a verdict.

Inputs: Google Benchmark JSON files (every run becomes a figure; a run that
reported an error is FAILED) and text files whose "row|" lines carry
figure|value|limit|limit value|ratio|target|verdict (bench_writers,
scan_pipeline_bench, job_bench). Exits 1 when a row FAILED or is MISSING."""
import json
import sys


def figure_rows(path):
    with open(path) as f:
        data = json.load(f)
    rows = []
    for b in data.get("benchmarks", []):
        name = b.get("name", "?")
        if b.get("error_occurred"):
            rows.append((name, "-", "-", "-", "-", "-", "FAILED"))
            continue
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        unit = b.get("time_unit", "ns")
        value = "%.4g %s" % (b.get("real_time", 0), unit)
        if "bytes_per_second" in b:
            value += ", %.3g GB/s" % (b["bytes_per_second"] / 1e9)
        rows.append((name, value, "-", "-", "-", "-", "info"))
    return rows


def text_rows(path):
    rows = []
    with open(path, errors="replace") as f:
        for line in f:
            if line.startswith("row|"):
                parts = line.rstrip("\n").split("|")[1:]
                if len(parts) == 7:
                    rows.append(tuple(parts))
    return rows


def main(paths):
    rows = []
    for path in paths:
        try:
            rows += figure_rows(path) if path.endswith(".json") else text_rows(path)
        except (OSError, ValueError) as error:
            rows.append((path, "-", "-", "-", "-", "-", "FAILED: %s" % error))
    head = ("figure", "value", "limit", "limit value", "ratio", "target", "verdict")
    widths = [max(len(str(r[i])) for r in rows + [head]) for i in range(len(head))]
    for row in [head] + rows:
        print("  ".join(str(c).ljust(w) for c, w in zip(row, widths)).rstrip())
    bad = [r for r in rows if r[6].startswith(("FAILED", "MISSING"))]
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

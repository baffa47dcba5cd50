#!/usr/bin/env python3
"""Sums up the test cases of every suite from the XML reports the suites wrote.

    test-summary.py RESULTS_DIR SUITE...

Prints one line per reason a test was skipped (with how many tests it skipped), one line per suite
that left no report (it crashed or did not run: counted as failed), and last the closing line
"tests: N passed, N failed, N skipped". Exits 1 when any case failed or any report is missing.
"""
import collections
import pathlib
import re
import sys
import xml.etree.ElementTree as ElementTree

LOCATION = re.compile(r"^\S+:\d+$")


def skip_reason(message):
    """The reason a test gave for skipping, without the source location the framework puts first."""
    lines = [line.strip() for line in message.splitlines() if line.strip()]
    lines = [line for line in lines if not LOCATION.match(line) and line != "Skipped"]
    return " ".join(lines) or "no reason given"


def read_report(path, counts, reasons):
    for case in ElementTree.parse(path).iter("testcase"):
        if case.get("status", "run") != "run":
            continue
        if case.find("failure") is not None or case.find("error") is not None:
            counts["failed"] += 1
        elif case.get("result") == "skipped" or case.find("skipped") is not None:
            counts["skipped"] += 1
            skipped = case.find("skipped")
            reasons[skip_reason(skipped.get("message", "") if skipped is not None else "")] += 1
        else:
            counts["passed"] += 1


def main(argv):
    if len(argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    results = pathlib.Path(argv[1])
    counts = collections.Counter(passed=0, failed=0, skipped=0)
    reasons = collections.Counter()
    missing = []
    for suite in argv[2:]:
        report = results / (suite + ".xml")
        try:
            read_report(report, counts, reasons)
        except (OSError, ElementTree.ParseError):
            missing.append(suite)
    for reason, count in sorted(reasons.items(), key=lambda item: (-item[1], item[0])):
        print("skipped: %s (%d %s)" % (reason, count, "test" if count == 1 else "tests"))
    for suite in missing:
        print("no report: suite %s crashed or did not run" % suite)
    counts["failed"] += len(missing)
    print("tests: %(passed)d passed, %(failed)d failed, %(skipped)d skipped" % counts)
    return 1 if counts["failed"] else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

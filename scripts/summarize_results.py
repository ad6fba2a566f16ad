#!/usr/bin/env python3
"""Adds up the JUnit reports and fuzz results of one test run into one closing line."""
import pathlib
import sys
import xml.etree.ElementTree as ET


def junit_counts(path):
    passed = failed = skipped = 0
    root = ET.parse(path).getroot()
    for case in root.iter("testcase"):
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        elif case.find("skipped") is not None:
            skipped += 1
        else:
            passed += 1
    return passed, failed, skipped


def main(results_dir):
    results = pathlib.Path(results_dir)
    passed = failed = skipped = 0
    for report in sorted(results.glob("*.xml")):
        p, f, s = junit_counts(report)
        print(f"{report.stem}: {p} passed, {f} failed, {s} skipped")
        passed, failed, skipped = passed + p, failed + f, skipped + s
    fuzz = results / "fuzz.txt"
    if fuzz.exists():
        lines = fuzz.read_text().split()
        p, f = lines.count("pass"), lines.count("fail")
        print(f"fuzz: {p} passed, {f} failed")
        passed, failed = passed + p, failed + f
    print(f"{passed} passed, {failed} failed, {skipped} skipped")
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))

#!/usr/bin/env python3
"""Prints one closing line for the whole test run from the result files:
GoogleTest's XML reports (one test case each) and the fuzzers' CTest entries.

Usage: summarize_results.py RESULTS_DIR [GTEST_REPORTS]   (reports expected, default 2)"""
import sys
import xml.etree.ElementTree as ET
from pathlib import Path


def main(results: Path, expected_reports: int) -> int:
    passed = failed = 0
    gtest_reports = 0
    for report in sorted(results.glob("*.xml")):
        root = ET.parse(report).getroot()
        if root.tag == "testsuites" and report.name != "native-ctest.xml":
            gtest_reports += 1
            for case in root.iter("testcase"):
                if case.get("result", "completed") == "skipped" or case.find("skipped") is not None:
                    continue
                if case.find("failure") is not None:
                    failed += 1
                else:
                    passed += 1
    ctest = results / "native-ctest.xml"
    if ctest.exists():
        # GoogleTest binaries are counted case by case above; count the rest here.
        for case in ET.parse(ctest).getroot().iter("testcase"):
            if case.get("name", "").endswith("_fuzz"):
                if case.get("status") == "run" and case.find("failure") is None:
                    passed += 1
                else:
                    failed += 1
    if gtest_reports < expected_reports:
        print(f"missing test reports: found {gtest_reports} of {expected_reports} (a test binary did not finish)")
        failed += 1
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(Path(sys.argv[1]), int(sys.argv[2]) if len(sys.argv) > 2 else 2))

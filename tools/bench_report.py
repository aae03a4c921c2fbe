# Prints the figures that tools/bench.sh gathered as one table: each figure beside its comparison from the same run and its goal.
"""Usage: python3 tools/bench_report.py FIGURES NATIVE_JSON [--markdown]

FIGURES holds "figure NAME VALUE" lines from the Windows benchmark programs
and curl; NATIVE_JSON is Google Benchmark's JSON output. A goal is only
reported as met or missed; the exit status says nothing about goals.
"""
import json
import sys


def read_figures(path):
    figures = {}
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            words = line.split()
            if len(words) == 3 and words[0] == "figure":
                try:
                    figures[words[1]] = float(words[2])
                except ValueError:
                    pass
    return figures


def read_native(path, figures):
    """Adds the medians of the native benchmarks, in milliseconds and microseconds."""
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1000.0}
    with open(path, encoding="utf-8") as f:
        for bench in json.load(f).get("benchmarks", []):
            if bench.get("aggregate_name") != "median":
                continue
            ms = bench["real_time"] * scale[bench.get("time_unit", "ns")]
            figures["native." + bench["run_name"]] = ms


def rows(f):
    """(figure, hobrin, beside it in the same run, goal, met) for every figure that was measured."""
    def have(*names):
        return all(n in f for n in names)

    if have("native.BM_FillGameTableFromFile", "native.BM_FillGameTableFromFileUtf8"):
        ms, utf8 = f["native.BM_FillGameTableFromFile"], f["native.BM_FillGameTableFromFileUtf8"]
        yield ("listing scan, 4999 games (native)", "%.2f ms" % ms, "-", "< 2 ms", ms < 2)
        yield ("listing scan, 4999 UTF-8 titles converted (native)", "%.2f ms" % utf8,
               "the ASCII listing above %.2f ms; conversion adds %.2f ms" % (ms, utf8 - ms), "< 2 ms", utf8 < 2)
    if have("native.BM_FillGameTableFromFile45294SortedByName"):
        ms = f["native.BM_FillGameTableFromFile45294SortedByName"]
        yield ("listing scan and sort by name, 45294 games (native)", "%.1f ms" % ms, "-", "-", None)
    if have("native.BM_FindTitleWordNearTheEnd"):
        ms = f["native.BM_FindTitleWordNearTheEnd"]
        yield ("Find by a title's word near the end, 39446 titles (native)", "%.2f ms" % ms, "-", "< 5 ms", ms < 5)
    if have("found.to_all_ms", "found.to_found_ms", "found.bare_all_ms", "found.bare_found_ms", "found.games"):
        for label, ms, bare, lines in (("all", f["found.to_all_ms"], f["found.bare_all_ms"], f["found.games"]),
                                       ("found", f["found.to_found_ms"], f["found.bare_found_ms"], f["found.found"])):
            yield ("Only games I have: to %s, %d lines" % (label, lines), "%.1f ms" % ms,
                   "a bare list box filled with as many %.1f ms" % bare, "<= %.1f ms (+ 30 ms)" % (bare + 30),
                   ms <= bare + 30)
    if have("native.BM_CountRefusesEndlessData"):
        ms = f["native.BM_CountRefusesEndlessData"]
        yield ("check refuses data that inflates without end (native)", "%.0f ms" % ms, "-", "-", None)
    if have("native.BM_FrameFindingsTwoMinutes"):
        ms = f["native.BM_FrameFindingsTwoMinutes"]
        yield ("analysis of two minutes of frames with its verdict (native)", "%.2f ms" % ms, "-", "< 50 ms", ms < 50)
    if have("native.BM_WalkRecentUploadsFeed"):
        us = 1000 * f["native.BM_WalkRecentUploadsFeed"]
        yield ("recent-uploads walk, 20480 bytes (native)", "%.0f µs" % us, "-", "< 200 µs", us < 200)
    if have("startup.hobrin_ms", "startup.bare_ms", "startup.emulator_ms"):
        floor = f["startup.bare_ms"] + f["startup.emulator_ms"]
        # The median of each round's own difference, when there is one.
        added = f.get("startup.added_ms", f["startup.hobrin_ms"] - floor)
        yield ("start to visible main window, 4999 games", "%.0f ms" % f["startup.hobrin_ms"],
               "bare dialog %.0f ms + emulator listing %.0f ms = %.0f ms; hobrin adds %.0f ms"
               % (f["startup.bare_ms"], f["startup.emulator_ms"], floor, added),
               "adds < 60 ms", added < 60)
    if have("today.hobrin_ms", "today.bare_ms", "today.added_ms", "today.games",
            "today.bare_themed_ms", "today.added_themed_ms"):
        games = "%d games (MAME 0.251's listing, emulator known)" % f["today.games"]
        yield ("start to visible main window, " + games, "%.0f ms" % f["today.hobrin_ms"],
               "bare dialog running the one listing %.0f ms in today's look, %.0f ms in the classic one; "
               "hobrin adds %.0f / %.0f ms"
               % (f["today.bare_themed_ms"], f["today.bare_ms"], f["today.added_themed_ms"], f["today.added_ms"]),
               "adds <= 60 ms (aim 0)", f["today.added_themed_ms"] <= 60)
    for name, label in (("today", "start to visible main window, MAME 0.251's listing"),
                        ("check", "check of the Pong recording")):
        if have(name + ".baseline_ms", name + ".over_baseline_ms", name + ".hobrin_ms"):
            base, over = f[name + ".baseline_ms"], f[name + ".over_baseline_ms"]
            yield (label + ", against the baseline build", "%.0f ms" % f[name + ".hobrin_ms"],
                   "the baseline build %.0f ms; this build's difference, round by round, %+.0f ms" % (base, over),
                   "no slower (within 2%)", over <= 0.02 * base)
    if have("check.table_baseline_ms", "check.table_ms"):
        yield ("check all, against the baseline build", "%.0f ms" % f["check.table_ms"],
               "the baseline build %.0f ms" % f["check.table_baseline_ms"], "no slower (within 2%)",
               f["check.table_ms"] <= 1.02 * f["check.table_baseline_ms"])
    if have("today.refresh_ms", "today.refresh_emulator_ms", "today.refresh_added_ms", "today.games"):
        yield ('"Refresh game list" to the shown window, %d games' % f["today.games"], "%.0f ms" % f["today.refresh_ms"],
               "emulator listing %.0f ms; hobrin adds %.0f ms"
               % (f["today.refresh_emulator_ms"], f["today.refresh_added_ms"]),
               "adds <= 120 ms", f["today.refresh_added_ms"] <= 120)
    if have("check.hobrin_ms", "check.mame_ms", "check.added_ms", "check.length_s"):
        ratio = f["check.hobrin_ms"] / f["check.mame_ms"] if f["check.mame_ms"] > 0 else float("inf")
        yield ("check of a %d:%02d Pong recording, picture included" % (f["check.length_s"] // 60, f["check.length_s"] % 60),
               "%.0f ms" % f["check.hobrin_ms"],
               "MAME's own headless playback %.0f ms; hobrin adds %.0f ms, %.2fx" % (f["check.mame_ms"], f["check.added_ms"], ratio),
               "adds <= 1 s", f["check.added_ms"] <= 1000)
    if have("check.table_ms", "check.four_in_turn_ms", "check.four_two_at_once_ms", "check.processors",
            "check.hobrin_ms"):
        # N recordings on C processors: at most 1.15 x ceil(N / C) x one check.
        rounds = -(-4 // max(1, int(f["check.processors"])))
        goal = 1.15 * rounds * f["check.hobrin_ms"]
        yield ("check all: a table of four of those recordings on %d processors" % f["check.processors"],
               "%.0f ms" % f["check.table_ms"],
               "four MAME playbacks in turn %.0f ms (%.2fx faster), two at a time %.0f ms"
               % (f["check.four_in_turn_ms"], f["check.four_in_turn_ms"] / f["check.table_ms"],
                  f["check.four_two_at_once_ms"]),
               "<= %.0f ms (1.15 x %d checks)" % (goal, rounds), f["check.table_ms"] <= goal)
    if have("check.table_answer_ms"):
        yield ("check all: the window's slowest answer while the checks run", "%.0f ms" % f["check.table_answer_ms"],
               "-", "< 100 ms", 0 <= f["check.table_answer_ms"] < 100)
    for key, label in (("high", '"Get high scores" to the 100th line'),
                       ("recent", '"Get recent uploads" to the 100th line')):
        name = "scores.%s_ms" % key
        if have(name, "scores.%s_curl_ms" % key, "scores.%s_wininet_ms" % key):
            yield (label, "%.1f ms" % f[name],
                   "curl %.1f ms, bare WinINet fetch %.1f ms"
                   % (f["scores.%s_curl_ms" % key], f["scores.%s_wininet_ms" % key]),
                   "< 40 ms", f[name] < 40)
    if have("memory.startup_private_mib", "memory.startup_working_mib", "memory.bare_private_mib"):
        private = f["memory.startup_private_mib"]
        yield ("private bytes after start-up, 4999 games", "%.1f MiB" % private,
               "working set %.1f MiB; bare dialog %.1f MiB private, %.1f MiB working set"
               % (f["memory.startup_working_mib"], f["memory.bare_private_mib"], f.get("memory.bare_working_mib", -1)),
               "< 10 MiB", 0 <= private < 10)
    if have("memory.today_private_mib", "memory.today_working_mib", "today.games"):
        private = f["memory.today_private_mib"]
        yield ("private bytes after start-up, %d games" % f["today.games"], "%.1f MiB" % private,
               "working set %.1f MiB" % f["memory.today_working_mib"], "<= 24 MiB", 0 <= private <= 24)
    if have("memory.fetch10_private_mib", "memory.fetch100_private_mib", "memory.bare_fetch_growth_mib"):
        tenth, last = f["memory.fetch10_private_mib"], f["memory.fetch100_private_mib"]
        growth = 1024 * (last - tenth)
        # Wine's WinINet keeps some bytes per request; the program's own
        # growth is what it adds to that, to the page (4 KiB) that a
        # reading can tell.
        bare = 1024 * f["memory.bare_fetch_growth_mib"]
        yield ("private bytes after the 10th / 100th fetch", "%.2f / %.2f MiB" % (tenth, last),
               "growth %+.0f KiB, bare WinINet fetches %+.0f KiB; working set %.1f / %.1f MiB"
               % (growth, bare, f.get("memory.fetch10_working_mib", -1), f.get("memory.fetch100_working_mib", -1)),
               "< 10 MiB, no growth of its own", 0 <= last < 10 and bare >= 0 and growth <= max(bare, 0) + 4)
    for size, label in (("1m", "1 MiB download, worker start to complete"), ("16m", "16 MiB download, worker start to complete")):
        name = "download.%s_ms" % size
        loop = "download.%s_loop_ms" % size
        if have(name, loop, "download.%s_curl_ms" % size):
            ratio = f[name] / f[loop] if f[loop] > 0 else float("inf")
            met = ratio <= 1.5 and (size != "1m" or f[name] < 150)
            yield (label, "%.0f ms" % f[name],
                   "curl %.1f ms, bare WinINet loop %.0f ms; %.2fx the loop"
                   % (f["download.%s_curl_ms" % size], f[loop], ratio),
                   "<= 1.5x loop" + (", < 150 ms" if size == "1m" else ""), met)


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    if len(args) != 2:
        sys.exit(__doc__)
    figures = read_figures(args[0])
    read_native(args[1], figures)
    table = [(label, value, beside, goal, "-" if met is None else "met" if met else "missed")
             for label, value, beside, goal, met in rows(figures)]
    header = ("figure (medians)", "hobrin", "beside it, same run", "goal", "")
    if "--markdown" in sys.argv:
        print("| %s |" % " | ".join(header))
        print("|" + "---|" * len(header))
        for row in table:
            print("| %s |" % " | ".join(row))
        return
    widths = [max(len(r[i]) for r in table + [header]) for i in range(len(header))]
    for row in [header] + table:
        print("  ".join(cell.ljust(widths[i]) for i, cell in enumerate(row)).rstrip())


if __name__ == "__main__":
    main()

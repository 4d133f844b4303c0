"""Results of script tests: named cases, run one by one or all, written as JUnit XML."""
import contextlib
import html
import os
import sys
import time


class Results:
    """Collects named cases of a script test and writes them as JUnit XML."""

    def __init__(self, suite):
        self.suite = suite
        self.cases = []

    @contextlib.contextmanager
    def case(self, name):
        start = time.time()
        try:
            yield
        except Exception as error:  # a failed check or a broken scenario fails the case
            import traceback
            self.cases.append((name, time.time() - start, traceback.format_exc()))
            print(f"[  FAILED  ] {self.suite}.{name}\n{traceback.format_exc()}", flush=True)
        else:
            self.cases.append((name, time.time() - start, None))
            print(f"[       OK ] {self.suite}.{name}", flush=True)

    def failed(self):
        return sum(1 for c in self.cases if c[2])

    def write(self, path):
        if not path:
            return
        os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
        # html's escaping, as xml.sax brings urllib: a third of this harness's start-up.
        def q(text):
            return '"' + html.escape(text) + '"'
        with open(path, "w") as out:
            out.write(f'<?xml version="1.0"?>\n<testsuites tests="{len(self.cases)}" '
                      f'failures="{self.failed()}">\n<testsuite name={q(self.suite)}>\n')
            for name, seconds, failure in self.cases:
                out.write(f'<testcase name={q(name)} classname={q(self.suite)} time="{seconds:.2f}"')
                if failure:
                    out.write(f'>\n<failure message="failed">{html.escape(failure, quote=False)}'
                              f'</failure>\n</testcase>\n')
                else:
                    out.write("/>\n")
            out.write("</testsuite>\n</testsuites>\n")


def run_cases(suite, cases, argv):
    """Runs a script test's cases and writes their results; the script's exit code.

    cases: (name, function) pairs, each function taking no argument. With --list the
    names are printed (the build registers one test per case, so that they run side by
    side); with --case NAME only that case runs.
    """
    if "--list" in argv:
        print("\n".join(name for name, _ in cases))
        return 0
    only = argv[argv.index("--case") + 1] if "--case" in argv else None
    if only is not None and only not in dict(cases):
        print(f"{suite}: no case {only}", file=sys.stderr)
        return 1
    results = Results(suite)
    for name, function in cases:
        if only in (None, name):
            with results.case(name):
                function()
    results.write(results_path_from_args(argv))
    return 1 if results.failed() else 0


def results_path_from_args(argv):
    """The path after --results on a script test's command line, or None."""
    for i, arg in enumerate(argv):
        if arg == "--results" and i + 1 < len(argv):
            return argv[i + 1]
    return None

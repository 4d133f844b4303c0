#!/usr/bin/python3
"""make bench: the set-up beside an NSIS 3 installer of the same job and a program that only
shows one window, measured in one run under Wine and Xvfb, each in fresh prefixes.

  bench.py [--build build/win32] [--disc DIR] [--run-disc DIR] [--starts 5]
           [--idle 200,300] [--rounds 3] [--seconds 30]

Prints sizes, the median time from start to the first window, the CPU that the installer
process and the prefix's wineserver use over 20 s while a package runs (with no other
process in the prefix, and with each number of idle processes asked for), and the
installer's peak resident memory, with ratios. Each CPU figure is the median of its rounds,
the set-up and NSIS taking turns (the first of a round changing each round), so that a busy
moment of the machine does not decide a ratio; even so, the ratios say more than the
absolute figures. Sizes are the 32-bit product's. Where the kernel runs no 32-bit programs,
the running figures come from 64-bit builds of all three (--run-disc: the 64-bit build's
disc) under Wine's 64-bit loader.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(HERE)), "tests", "support"))
import winetest  # noqa: E402

SAMPLE_PACKAGE_KEY = r"HKEY_LOCAL_MACHINE\Software\VORDA\OrvalisToolKit\SamplePackage"
CPU_WINDOW = 20.0


# -- what gets measured ---------------------------------------------------------------------
def build_nsis(work, source_disc, disc, amd64=False):
    """The NSIS installer, in a copy of the disc beside setup.exe."""
    licences = os.path.join(work, "licences")
    os.makedirs(licences, exist_ok=True)
    for lang in ("en", "fr"):
        with open(os.path.join(source_disc, "licence", f"license_{lang}.txt"), "rb") as f:
            text = f.read().decode("cp1252")
        with open(os.path.join(licences, f"license_{lang}.txt"), "wb") as f:
            f.write(b"\xef\xbb\xbf" + text.encode("utf-8"))
    out = os.path.join(disc, "nsis-setup.exe")
    subprocess.run(["makensis", "-V2", f"-DLICENCES={licences}", f"-DOUT={out}"] +
                   (["-DAMD64"] if amd64 else []) + [os.path.join(HERE, "orvalis_nsis.nsi")],
                   check=True,
                   env=dict(os.environ, LC_ALL="C.UTF-8"))
    return out


def build_one_window(work, cpu="i686"):
    out = os.path.join(work, cpu, "one_window.exe")
    os.makedirs(os.path.dirname(out), exist_ok=True)
    subprocess.run([f"{cpu}-w64-mingw32-gcc-win32", "-Os", "-s", "-mwindows", "-o", out,
                    os.path.join(HERE, "one_window.c")], check=True)
    return out


def processes_with(text):
    """Linux pids whose command line contains text (Wine shows the Windows program there)."""
    found = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                if text.encode() in f.read():
                    found.append(int(pid))
        except OSError:
            pass
    return found


def wineserver_of(prefix):
    for pid in processes_with("wineserver"):
        try:
            with open(f"/proc/{pid}/environ", "rb") as f:
                if ("WINEPREFIX=" + prefix.path).encode() + b"\0" in f.read() + b"\0":
                    return pid
        except OSError:
            pass
    return None


def cpu_seconds(pid):
    """CPU time of a process, all its threads, in nanosecond resolution (schedstat): the
    clock ticks of /proc/PID/stat are 10 ms, as much as a whole figure here."""
    try:
        with open(f"/proc/{pid}/schedstat") as f:
            return int(f.read().split()[0]) / 1e9
    except (OSError, IndexError, ValueError):
        return 0.0


def peak_memory_kb(pid):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def visible_windows(display):
    """X windows on the screen (the set-up's hidden main window sits off its corner)."""
    shown = set()
    for window in winetest.find_windows(display, "."):
        try:
            x, y, w, h = winetest.window_geometry(display, window)
        except RuntimeError:
            continue
        if x > -900:
            shown.add(window)
    return shown


def start_times(program, cwd, starts):
    """Seconds from starting the program to its first window, each start in the same warm
    prefix (its wineserver kept running), the program ended after each."""
    times = []
    with winetest.Display() as display, winetest.Prefix(display=display) as prefix:
        subprocess.run(["wineserver", "-p"], env=prefix.env(), check=True)
        prefix.run(["cmd", "/c", "exit"], timeout=120)  # the prefix's first start is slower
        for _ in range(starts):
            before = visible_windows(display)
            began = time.monotonic()
            proc = prefix.start([program], cwd=cwd)
            while time.monotonic() - began < 60 and proc.poll() is None:
                if visible_windows(display) - before:
                    times.append(time.monotonic() - began)
                    break
                time.sleep(0.02)
            proc.kill()
            proc.wait()
            time.sleep(0.5)
    return times


class Sampler:
    """CPU of a process and the prefix's wineserver over a window of time; peak memory."""

    def __init__(self, pid, prefix):
        self.pid, self.prefix, self.peak = pid, prefix, 0

    def watch(self, seconds, until_exit=None):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            self.peak = max(self.peak, peak_memory_kb(self.pid))
            if until_exit is not None and until_exit.poll() is not None:
                return
            time.sleep(0.25)

    def cpu_percent(self):
        server = wineserver_of(self.prefix)
        first = cpu_seconds(self.pid) + (cpu_seconds(server) if server else 0)
        began = time.monotonic()
        self.watch(CPU_WINDOW)
        last = cpu_seconds(self.pid) + (cpu_seconds(server) if server else 0)
        return 100.0 * (last - first) / (time.monotonic() - began)


def start_idle(prefix, one_window, count):
    procs = [prefix.start([one_window, "idle"]) for _ in range(count)]
    end = time.monotonic() + 300
    while len(processes_with("one_window.exe")) < count and time.monotonic() < end:
        time.sleep(1)
    time.sleep(2)
    return procs


def wait_package(prefix, timeout=60):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if prefix.running("OrvalisKit.exe"):  # started with " -r -s" alone: not by name
            return True
        time.sleep(0.1)
    return False


def while_package_runs(proc, prefix, seconds, idlers):
    """CPU over CPU_WINDOW seconds once the package runs, then peak memory of the whole run."""
    sampler = Sampler(proc.pid, prefix)
    if not wait_package(prefix):
        raise RuntimeError("the installer did not start the package")
    time.sleep(1)
    cpu = sampler.cpu_percent()
    sampler.watch(seconds + 30, until_exit=proc)
    for p in idlers:
        p.kill()
    return cpu, sampler.peak


def first_new_window(display, before, timeout=60):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        new = visible_windows(display) - before
        if new:
            return max(new)
        time.sleep(0.1)
    raise TimeoutError("no window")


def our_run(disc, seconds, idle, one_window):
    """setup.exe driven through its screens as a user would."""
    from e2e_support import SetupRun, go_through
    with SetupRun("bench", log=False, browser_is_recorder=False) as run:
        run.disc = disc
        run.package_mode("long", seconds=seconds)
        run.apply_registry()
        idlers = start_idle(run.prefix, one_window, idle) if idle else []
        proc = run.start()
        go_through(run)
        return while_package_runs(proc, run.prefix, seconds, idlers)


def nsis_run(disc, installer, seconds, idle, one_window):
    with winetest.Display() as display, winetest.Prefix(display=display) as prefix:
        prefix.reg_add(SAMPLE_PACKAGE_KEY, "Mode", "long")
        prefix.reg_add(SAMPLE_PACKAGE_KEY, "Seconds", seconds, kind="REG_DWORD")
        idlers = start_idle(prefix, one_window, idle) if idle else []
        before = visible_windows(display)
        proc = prefix.start([installer], cwd=disc)
        window = first_new_window(display, before)
        for _ in range(2):  # Next on the welcome page, I Agree on the licence page
            time.sleep(1.5)
            winetest.key(display, "Return", window)
        return while_package_runs(proc, prefix, seconds, idlers)


def one_window_run(program):
    """CPU and memory of a program that only shows its window."""
    with winetest.Display() as display, winetest.Prefix(display=display) as prefix:
        before = visible_windows(display)
        proc = prefix.start([program])
        sampler = Sampler(proc.pid, prefix)
        first_new_window(display, before)
        time.sleep(1)
        cpu = sampler.cpu_percent()
        proc.kill()
        return cpu, sampler.peak


# -- the table ----------------------------------------------------------------------------------
def ratio(a, b):
    if a is None or b in (None, 0):
        return ""
    return f"{a / b:.2f}"


def row(name, ours, nsis, one, unit):
    def show(v):
        if v is None:
            return "n/a"
        return unit(v)
    return f"| {name} | {show(ours)} | {show(nsis)} | {ratio(ours, nsis)} | {show(one)} |"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build",
                        default=os.environ.get("ORTK_BUILD_DIR", os.path.join("build", "win32")))
    parser.add_argument("--disc")
    parser.add_argument("--run-disc")
    parser.add_argument("--starts", type=int, default=5)
    parser.add_argument("--idle", default="200,300",
                        help="numbers of idle processes, comma-separated (none is always run)")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--seconds", type=int, default=30)
    args = parser.parse_args()
    idle_counts = [0] + [int(n) for n in args.idle.split(",") if n.strip() and int(n) > 0]
    build = winetest.use_build(os.path.abspath(args.build))
    source_disc = os.path.abspath(args.disc or os.path.join(build, "disc"))

    work = tempfile.mkdtemp(prefix="bench-", dir=build)
    try:
        disc = os.path.join(work, "disc")
        shutil.copytree(source_disc, disc)
        nsis = build_nsis(work, source_disc, disc)
        one = build_one_window(work)

        def size(*names):
            return sum(os.path.getsize(os.path.join(disc, n)) for n in names)
        kb = lambda v: f"{v:,}"  # noqa: E731
        lines = [
            "| Figure | This set-up | NSIS equivalent | Ratio | One window |",
            "|---|---|---|---|---|",
            row("`setup.exe` bytes", size("setup.exe"), os.path.getsize(nsis),
                os.path.getsize(one), kb),
            row("with its English resource library", size("setup.exe", "lang/ortk_en.dll"),
                os.path.getsize(nsis), None, kb),
            row("with both libraries and the splash clip",
                size("setup.exe", "lang/ortk_en.dll", "lang/ortk_fr.dll", "splash.avi"),
                os.path.getsize(nsis), None, kb),
        ]
        try:
            arch = winetest.wine_arch()
            winetest.ensure_template()
            runnable, reason = True, ""
        except Exception as error:  # no Wine that runs these programs here
            runnable, reason = False, str(error)
        run_disc, run_nsis, run_one = disc, nsis, one
        if runnable and arch == "win64":
            run_disc = os.path.join(work, "run-disc")
            shutil.copytree(os.path.abspath(args.run_disc or os.path.join(
                os.path.dirname(build), "win64", "disc")), run_disc)
            run_nsis = build_nsis(work, source_disc, run_disc, amd64=True)
            run_one = build_one_window(work, "x86_64")
        setup = os.path.join(run_disc, "setup.exe")
        if runnable:
            starts = {name: start_times(program, run_disc, args.starts)
                      for name, program in (("ours", setup), ("nsis", run_nsis), ("one", run_one))}
            median = {k: statistics.median(v) if v else None for k, v in starts.items()}
            cpu = {}  # idle count -> ([ours...], [nsis...])
            ours_peak = nsis_peak = 0
            for idle in idle_counts:
                ours, nsis_cpus = [], []
                for round_ in range(max(1, args.rounds)):
                    # Who goes first changes every round, so that a machine growing busier
                    # or quieter over the minutes does not favour either.
                    for which in ("ours", "nsis") if round_ % 2 == 0 else ("nsis", "ours"):
                        if which == "ours":
                            figure, peak = our_run(run_disc, args.seconds, idle, run_one)
                            ours.append(figure)
                            ours_peak = max(ours_peak, peak)
                        else:
                            figure, peak = nsis_run(run_disc, run_nsis, args.seconds, idle,
                                                    run_one)
                            nsis_cpus.append(figure)
                            nsis_peak = max(nsis_peak, peak)
                cpu[idle] = (ours, nsis_cpus)
            one_cpu, one_peak = one_window_run(run_one)
            sec = lambda v: f"{v:.2f} s"  # noqa: E731
            pct = lambda v: f"{v:.2f} % of a core"  # noqa: E731
            mb = lambda v: f"{v / 1024:.1f} MB"  # noqa: E731
            lines.append(row(f"start to first window, median of {args.starts}", median["ours"],
                             median["nsis"], median["one"], sec))
            for idle in idle_counts:
                ours, nsis_cpus = cpu[idle]
                name = ("CPU of installer + wineserver while a package runs" if idle == 0 else
                        f"the same with {idle} idle processes in the prefix")
                lines.append(row(name, statistics.median(ours), statistics.median(nsis_cpus),
                                 one_cpu if idle == 0 else None, pct))
            lines.append(row("peak resident memory", ours_peak, nsis_peak, one_peak, mb))
            lines.append("")
            lines.append("starts (s): " + "; ".join(
                f"{k} " + " ".join(f"{t:.2f}" for t in v) for k, v in starts.items()))
            lines.append("CPU rounds (% of a core): " + "; ".join(
                f"{idle} idle: ours " + " ".join(f"{v:.2f}" for v in cpu[idle][0]) +
                ", NSIS " + " ".join(f"{v:.2f}" for v in cpu[idle][1]) for idle in idle_counts))
            busiest = max(idle_counts)
            if busiest:
                lines.append(f"This set-up with {busiest} idle processes against none: " +
                             ratio(statistics.median(cpu[busiest][0]),
                                   statistics.median(cpu[0][0])))
            lines.append("One window: CPU while it only shows its window.")
            if arch == "win64":
                lines.append("Start, CPU and memory: 64-bit builds of all three under wine64 "
                             "(this kernel runs no 32-bit programs).")
        else:
            lines.append("")
            lines.append("Start, CPU and memory not measured: Wine cannot run here (" +
                         reason.splitlines()[-1][:160] + ").")
        print("\n".join(lines))
        return 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())

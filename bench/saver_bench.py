"""Figures for the running saver under Wine: launch to first photo, frame rate,
peak memory with 24-megapixel photos, and a soak at SlideTime 0. Prints a
table; asserts nothing. Run by bench/run_saver_bench.sh, which builds the program
and starts the Wine session this reads from BRINDORA_HARNESS.

Where Wine does not answer a Windows query (GetProcessHandleCount is always 0,
PrivateUsage is 0 and PeakPagefileUsage is the current anonymous memory, not a
peak), the figure comes from elsewhere and its label says from where.
"""

import argparse
import os
import re
import shutil
import sqlite3
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
from settings_files import checker_png, solid_png, windows_path, write_settings  # noqa: E402

ROOT = Path(__file__).resolve().parents[1]
WINE = str(ROOT / "tests" / "harness" / "wine.sh")  # the project's one Wine launcher
SHOT_CENTRE = (640, 360)  # the Xvfb screen is 1280 x 720


def session_env(harness):
    env = dict(os.environ)
    for line in Path(harness, "env").read_text().splitlines():
        if line.startswith("export "):
            key, _, value = line[len("export "):].partition("=")
            env[key] = value.strip('"')
    return env


class Bench:
    def __init__(self, args):
        self.args = args
        self.env = session_env(args.harness)
        self.work = Path(args.work)
        self.scr = Path(args.scr)
        self.probe = Path(args.probe)
        self.rows = []  # (figure, value, target, source)
        self.notes = []

    # -- running things ------------------------------------------------------

    def saver_folder(self, name, photos, slide_time):
        folder = self.work / name
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        shutil.copy2(self.scr, folder / "BrindoraPro.scr")
        write_settings(folder / "Brindora-Pro.ini", photos=[windows_path(p) for p in photos], slide_time=slide_time)
        return folder

    def launch(self, folder, winedebug=None):
        env = dict(self.env)
        if winedebug:
            env["WINEDEBUG"] = winedebug
        log = open(folder / "wine.log", "wb")
        process = subprocess.Popen([WINE, str(folder / "BrindoraPro.scr"), "/s"], env=env, stdout=log,
                                   stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        process.log = log
        return process

    def linux_pid(self, folder, timeout=10):
        """The Linux process running this copy of the program (Wine runs it as
        one Linux process whose command line names the .scr)."""
        target = str(folder / "BrindoraPro.scr")
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for entry in Path("/proc").iterdir():
                if not entry.name.isdigit():
                    continue
                try:
                    cmdline = (entry / "cmdline").read_bytes().split(b"\0")
                except OSError:
                    continue
                if cmdline and cmdline[0].decode(errors="replace") == target:
                    return int(entry.name)
            time.sleep(0.05)
        return None

    def probe_once(self):
        out = subprocess.run([WINE, str(self.probe), "once"], env=self.env, capture_output=True, text=True,
                             timeout=30).stdout
        for line in out.splitlines():
            if line.startswith("sample "):
                return parse_fields(line)
        return None

    def pixel(self):
        x, y = SHOT_CENTRE
        raw = subprocess.run(["import", "-window", "root", "-crop", f"1x1+{x}+{y}", "-depth", "8", "rgb:-"],
                             env=self.env, capture_output=True, timeout=10).stdout
        return tuple(raw[:3])

    def key(self, name="a"):
        subprocess.run(["xdotool", "key", name], env=self.env, capture_output=True, timeout=10)

    def end(self, process, timeout=20):
        """Ends the show as a user would, by a key; the exit code, or None
        when it did not end (then it is killed)."""
        self.key()
        try:
            code = process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            code = None
        process.log.close()
        return code

    def set_root(self, colour):
        subprocess.run(["xsetroot", "-solid", colour], env=self.env, capture_output=True, timeout=10)

    # -- scenarios -----------------------------------------------------------

    def saver_runs(self):
        """Whether the saver under test starts and shows a photo at all; no
        figure is worth printing from one that never ran."""
        photo = solid_png(self.work / "check-photo.png", (30, 140, 230))
        folder = self.saver_folder("check", [photo], slide_time=5000)
        self.set_root("#204060")
        process = self.launch(folder)
        deadline = time.monotonic() + 20
        shown = False
        while time.monotonic() < deadline and process.poll() is None and not shown:
            shown = all(abs(a - b) <= 8 for a, b in zip(self.pixel(), (30, 140, 230)))
            time.sleep(0.1)
        code = self.end(process)
        if shown:
            return None
        return f"exit code {code}" if code not in (None, 0) else "no photo on the screen within 20 s"

    def wine_start_cost(self):
        """What Wine alone takes to start and end a console program here."""
        times = []
        for _ in range(3):
            start = time.monotonic()
            subprocess.run([WINE, str(self.probe)], env=self.env, capture_output=True, timeout=30)
            times.append(time.monotonic() - start)
        return statistics.median(times)

    def first_photo(self, label, photos, colour, target):
        folder = self.saver_folder(f"first-{label}", photos, slide_time=5000)
        times, steps = [], []
        for _ in range(self.args.repeats):
            self.set_root("#204060")
            process = self.launch(folder)
            start = time.monotonic()
            seen, last = None, start
            while time.monotonic() - start < 15:
                p = self.pixel()
                now = time.monotonic()
                steps.append(now - last)
                last = now
                if all(abs(a - b) <= 8 for a, b in zip(p, colour)):
                    seen = now - start
                    break
            times.append(seen)
            self.end(process)
        shown = [t for t in times if t is not None]
        value = f"{statistics.median(shown):.2f} s" if shown else "never seen"
        if len(shown) != len(times):
            value += f" ({len(times) - len(shown)} of {len(times)} runs never showed it)"
        runs = ", ".join("-" if t is None else f"{t:.2f}" for t in times)
        self.rows.append((f"launch to first photo, {label}", value, target,
                          f"median of {len(times)} runs ({runs} s); from `wine BrindoraPro.scr /s` to the centre pixel "
                          f"on the X screen, polled every {1000 * statistics.median(steps):.0f} ms"))

    def frame_rate(self):
        photo = checker_png(self.work / "fps-photo.png", (250, 250, 250), (10, 10, 10), square=16, size=(512, 512))
        folder = self.saver_folder("fps", [photo], slide_time=60000)
        process = self.launch(folder, winedebug="fps")
        time.sleep(self.args.fps_seconds)
        code = self.end(process)
        rates = present_rates(folder / "wine.log")
        # The first two reports cover the first frame, device creation and the first photo's load.
        steady = rates[2:]
        if steady:
            mean = statistics.mean(steady)
            value = f"{mean:.1f} fps ({1000 / mean:.1f} ms a frame); range {min(steady):.1f}-{max(steady):.1f}"
        else:
            value = "no frames reported"
        self.rows.append(("frame rate, panning 512x512 photo", value, "16 ms a frame (62.5 fps)",
                          f"Wine's fps channel (presents counted by wined3d, a report each ~1.5 s), "
                          f"{len(steady)} reports over {self.args.fps_seconds} s; exit code {code}"))

    def peak_memory(self, label, photos, seconds):
        folder = self.saver_folder(f"memory-{label}", photos, slide_time=0)
        process = self.launch(folder)
        pid = self.linux_pid(folder)
        peak_anon = peak_hwm = 0
        probe_peak = 0
        deadline = time.monotonic() + seconds
        next_probe = time.monotonic() + 2
        while time.monotonic() < deadline and process.poll() is None:
            status = linux_status(pid)
            peak_anon = max(peak_anon, status.get("RssAnon", 0))
            peak_hwm = max(peak_hwm, status.get("VmHWM", 0))
            if time.monotonic() > next_probe:
                sample = self.probe_once()
                if sample:
                    probe_peak = max(probe_peak, int(sample.get("peak_private", "0") or 0))
                next_probe = time.monotonic() + 2
            time.sleep(0.1)
        code = self.end(process)
        return peak_anon, peak_hwm, probe_peak, code

    def memory_with_large_photos(self):
        large = []
        samples = sorted((ROOT / "samples" / "photos").glob("*.jpg"))[:3]
        for i, sample in enumerate(samples):
            path = self.work / f"large-{i}.jpg"
            if not path.exists():
                subprocess.run(["convert", str(sample), "-resize", "6000x4000!", "-quality", "90", str(path)],
                               check=True, timeout=120)
            large.append(path)
        small = [solid_png(self.work / "small-photo.png", (200, 40, 40))]
        seconds = self.args.memory_seconds
        base = self.peak_memory("small", small, seconds)
        big = self.peak_memory("24mp", large, seconds)
        mb = 1024 * 1024
        screen = os.environ.get("BRINDORA_SCREEN", "1280x720")
        self.rows.append((f"peak private memory on a {screen} screen, three 6000x4000 JPEGs at SlideTime 0",
                          f"{big[0] / mb:.0f} MB ({(big[0] - base[0]) / mb:+.0f} MB over one 256x256 photo: "
                          f"{base[0] / mb:.0f} MB)",
                          "under 200 MB",
                          f"Linux RssAnon of the Wine process (private anonymous memory, including Wine's and "
                          f"llvmpipe's own), sampled every 0.1 s for {seconds} s; "
                          f"probe's Windows PeakPagefileUsage max {big[2] / mb:.0f} MB; "
                          f"VmHWM (all resident) {big[1] / mb:.0f} MB; exit codes {base[3]}, {big[3]}"))

    def soak(self):
        photos_dir = self.work / "soak-photos"
        if not photos_dir.exists():
            photos_dir.mkdir(parents=True)
            for i in range(200):
                checker_png(photos_dir / f"photo{i:03}.png", (i, 255 - i, (i * 7) % 256), (20, 20, 20),
                            size=(320, 240))
        folder = self.saver_folder("soak", [photos_dir], slide_time=0)
        process = self.launch(folder, winedebug="fps")
        pid = self.linux_pid(folder)
        duration = self.args.soak_seconds
        every = max(10, duration / 12)
        samples = []
        start = time.monotonic()
        next_sample = start + 5  # past device creation and the first load
        while time.monotonic() - start < duration and process.poll() is None:
            if time.monotonic() >= next_sample:
                probe = self.probe_once() or {}
                status = linux_status(pid)
                samples.append((time.monotonic() - start, probe, status, fd_count(pid)))
                next_sample += every
            time.sleep(0.5)
        running = process.poll() is None

        watch = subprocess.Popen([WINE, str(self.probe), "watch", "1", "60"], env=self.env, stdout=subprocess.PIPE,
                                 stderr=subprocess.DEVNULL, text=True)
        time.sleep(2)  # the probe's own start under Wine, and its first full sample
        key_at = time.monotonic()
        code = self.end(process)
        exit_after = time.monotonic() - key_at
        watch_out, _ = watch.communicate(timeout=60)
        last = next((parse_fields(line) for line in watch_out.splitlines() if line.startswith("last ")), {})
        first_watch = next((parse_fields(line) for line in watch_out.splitlines() if line.startswith("sample ")), {})
        unchanged = re.search(r"unchanged_samples=(\d+)", watch_out)

        rates = present_rates(folder / "wine.log")[2:]

        print(f"\nSoak: SlideTime 0, 200 photos of 320x240, {duration:.0f} s "
              f"({'ran to the end' if running else 'ENDED EARLY'})")
        print(f"{'t (s)':>7} {'threads':>8} {'workers':>8} {'handles':>8} {'fds':>5} {'RssAnon MB':>11} "
              f"{'PagefileUsage MB':>17} {'VmRSS MB':>9} {'Linux threads':>14}")
        mb = 1024 * 1024
        for t, probe, status, fds in samples:
            print(f"{t:7.0f} {probe.get('threads', '?'):>8} {probe.get('workers', '?'):>8} "
                  f"{probe.get('handles_dup', '?'):>8} {fds:>5} {status.get('RssAnon', 0) / mb:11.1f} "
                  f"{int(probe.get('pagefile', 0) or 0) / mb:17.1f} {status.get('VmRSS', 0) / mb:9.1f} "
                  f"{status.get('Threads', '?'):>14}")
        if rates:
            print(f"frames: about {statistics.mean(rates):.1f} a second over the run (Wine's fps channel); "
                  f"at SlideTime 0 a frame begins a new slide whenever the loader has one ready")
        print(f"end: the key at +0.0 s, process gone at +{exit_after:.2f} s, exit code {code}; last thread sample "
              f"before the end: {last.get('threads', '?')} threads, {last.get('workers', '?')} with a worker's "
              f"priority ({last.get('priorities', '?')}); while running: {first_watch.get('priorities', '?')}"
              + (f"; {unchanged.group(1)} quick samples agreed with the last" if unchanged else ""))

        if samples:
            first, final = samples[0], samples[-1]
            hd = lambda s: int(s[1].get("handles_dup", 0) or 0)  # noqa: E731
            anon = lambda s: s[2].get("RssAnon", 0) / mb  # noqa: E731
            handles = [hd(s) for s in samples]
            anons = [anon(s) for s in samples]
            self.rows.append((f"soak {duration:.0f} s: handle count start -> end",
                              f"{hd(first)} -> {hd(final)} (min {min(handles)}, max {max(handles)})", "flat",
                              "handles duplicable out of the process, counted one by one by process_probe "
                              "(Wine's GetProcessHandleCount answers 0)"))
            self.rows.append((f"soak {duration:.0f} s: private memory start -> end",
                              f"{anon(first):.1f} -> {anon(final):.1f} MB (min {min(anons):.1f}, max {max(anons):.1f})",
                              "flat", "Linux RssAnon of the Wine process (Wine's PrivateUsage answers 0)"))
            self.rows.append((f"soak {duration:.0f} s: threads start -> end",
                              f"{first[1].get('threads', '?')} -> {final[1].get('threads', '?')} Windows, "
                              f"{first[2].get('Threads', '?')} -> {final[2].get('Threads', '?')} Linux", "flat",
                              "Toolhelp snapshot; Linux /proc status"))
        if rates:
            self.rows.append((f"soak {duration:.0f} s: slides a second at SlideTime 0",
                              f"{statistics.mean(rates):.1f} (min {min(rates):.1f}, max {max(rates):.1f})", "-",
                              "presents counted by Wine's fps channel; each starts a new slide, so this is the "
                              "loader's pace (one decode onto the staging surface per slide)"))
        self.rows.append((f"soak {duration:.0f} s: exit", f"code {code} after {exit_after:.2f} s; worker threads "
                          f"at the last sample {last.get('workers', '?')}", "0; no worker left",
                          "exit code from wine; threads with the render (15) or loader (lowest) priority, "
                          "sampled by process_probe watch every ~1 ms"))

    def simulated_day(self):
        run = subprocess.run([WINE, self.args.sim, "24"], env=self.env, capture_output=True, text=True, timeout=600)
        print("\n" + run.stdout.strip())
        fields = parse_fields("x " + run.stdout.strip().splitlines()[-1]) if run.stdout.strip() else {}
        self.rows.append(("24 h of slides at SlideTime 0, simulated",
                          f"{fields.get('slides', '?')} slides, {fields.get('passes', '?')} passes, "
                          f"{fields.get('broken', '?')} broken invariants (exit {run.returncode})", "none broken",
                          "slide_clock_sim: the slide clock and the loader's walk driven frame by frame on a "
                          "simulated tick counter that wraps half way; no threads, decoding, drawing or memory"))

    def library(self, sizes=(1000, 10000, 100000)):
        """Window to first photo on hard-linked libraries against a folder of
        3 photos, on a first run (no index) and a second run (after a show
        that walked the library to its end), with the saver's peak memory
        and the index's size after that walk."""
        os.environ.setdefault("BRINDORA_HARNESS", self.args.harness)
        os.environ.setdefault("BRINDORA_SCR", self.args.scr)
        from harness import screenshot  # noqa: E402  (needs the variables above)

        users = Path(self.env["WINEPREFIX"], "drive_c", "users")

        def index_files():
            return list(users.glob("*/AppData/Local/Brindora Pro/library.db*"))

        def folders_indexed():
            database = next((f for f in index_files() if f.name == "library.db"), None)
            if not database:
                return -1
            try:
                with sqlite3.connect(f"file:{database}?mode=ro", uri=True) as db:
                    return db.execute("SELECT count(*) FROM folders").fetchone()[0]
            except sqlite3.Error:
                return -1

        def show(folder, colour, folders=None):
            """Seconds from the window to the photo; after the walk, the peak memory."""
            process = self.launch(folder)
            shown, taken, peak = None, None, None
            deadline = time.monotonic() + 30
            while shown is None and time.monotonic() < deadline:
                found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Screen Saver$"],
                                       env=self.env, capture_output=True, text=True, timeout=10)
                shown = time.monotonic() if found.stdout.split() else None
                time.sleep(0.02)
            while shown and taken is None and time.monotonic() - shown < 20:
                if all(abs(a - b) <= 8 for a, b in zip(screenshot().centre(), colour)):
                    taken = time.monotonic() - shown
                time.sleep(0.02)
            if folders is not None:
                deadline = time.monotonic() + 600
                while folders_indexed() != folders and time.monotonic() < deadline:
                    time.sleep(0.5)
                pid = self.linux_pid(folder)
                peak = linux_status(pid).get("VmHWM") if pid else None
            self.end(process)
            return taken, peak

        def runs(folder, colour, folders, first_run):
            if not first_run:
                for index in index_files():
                    index.unlink()
                _, peak = show(folder, colour, folders)
                size = sum(f.stat().st_size for f in index_files())
            times = []
            for _ in range(self.args.repeats):
                for index in index_files() if first_run else []:
                    index.unlink()
                times.append(show(folder, colour)[0])
            seen = [t for t in times if t is not None]
            median = statistics.median(seen) if seen else None
            listed = ", ".join("-" if t is None else f"{t:.2f}" for t in times)
            return median, listed, (None if first_run else (peak, size))

        def saver(name, folder):
            self.saver_folder(name, [folder], slide_time=5000)
            return self.work / name

        small_colour, big_colour = (230, 30, 160), (40, 200, 90)
        small = self.work / "library-small"
        small.mkdir(parents=True, exist_ok=True)
        for i in range(3):
            solid_png(small / f"{i}.png", small_colour)
        small_saver = saver("library-3", small)
        base = {run: runs(small_saver, small_colour, 1, run == "first") for run in ("first", "second")}
        for run, (median, listed, _) in base.items():
            self.rows.append((f"window to first photo, 3 photos, {run} run", f"{median:.2f} s", "-",
                              f"median of {self.args.repeats} ({listed} s)"))
        for count in sizes:
            tree = self.work / f"library-{count}"
            folders = make_linked_library(tree, count, big_colour)
            big_saver = saver(f"library-saver-{count}", tree)
            for run in ("first", "second"):
                median, listed, after = runs(big_saver, big_colour, folders, run == "first")
                later = "never seen" if median is None else f"{median - base[run][0]:+.2f} s"
                self.rows.append((f"window to first photo, {count:,} photos, {run} run, against 3", later,
                                  "at most +0.30 s", f"median of {self.args.repeats} ({listed} s)"))
                if after:
                    peak, size = after
                    self.rows.append((f"saver peak memory after the walk, {count:,} photos",
                                      "-" if peak is None else f"{peak / 2**20:.1f} MB", "-", "VmHWM"))
                    self.rows.append((f"index size, {count:,} photos", f"{size / 1024:.0f} KB", "-",
                                      "library.db and its WAL"))

    def print_table(self):
        print("\nFigures")
        width = max(len(r[0]) for r in self.rows)
        for figure, value, target, source in self.rows:
            print(f"  {figure:<{width}}  {value}")
            print(f"  {'':<{width}}  target: {target}; measured as: {source}")


def present_rates(log):
    """Wine's fps channel: one report a swap chain every ~1.5 s, of the presents
    since the last one (wglSwapBuffers repeats the same count)."""
    text = Path(log).read_text(errors="replace")
    return [float(m) for m in re.findall(r"wined3d_cs_exec_present \S+ @ approx ([0-9.]+)fps", text)]


def parse_fields(line):
    return dict(item.split("=", 1) for item in line.split()[1:] if "=" in item)


def linux_status(pid):
    """Sizes in bytes and the thread count from /proc/<pid>/status."""
    found = {}
    try:
        for line in Path(f"/proc/{pid}/status").read_text().splitlines():
            key, _, value = line.partition(":")
            parts = value.split()
            if key == "Threads":
                found[key] = int(parts[0])
            elif len(parts) == 2 and parts[1] == "kB":
                found[key] = int(parts[0]) * 1024
    except (OSError, ValueError):
        pass
    return found


def fd_count(pid):
    try:
        return len(os.listdir(f"/proc/{pid}/fd"))
    except OSError:
        return -1


def make_library(root, files):
    """`files` small photos in a tree of folders of 20, ten top folders deep."""
    marker = root / f"done-{files}"
    if marker.exists():
        return
    shutil.rmtree(root, ignore_errors=True)
    photo = solid_png(root.parent / "library-photo.png", (40, 200, 90), size=(64, 64)).read_bytes()
    for n in range(files):
        folder = root / f"t{n // 2000}" / f"f{(n // 20) % 100:02}"
        if n % 20 == 0:
            folder.mkdir(parents=True, exist_ok=True)
        (folder / f"photo{n % 20:02}.png").write_bytes(photo)
    marker.touch()


def make_linked_library(root, files, colour):
    """`files` hard links to a few photos (a file takes at most 65,000 links),
    200 to a folder, 4,000 to a top folder; the number of folders walked."""
    marker = root.parent / f"{root.name}.done"
    folders = 1 + (files + 3999) // 4000 + (files + 199) // 200
    if marker.exists():
        return folders
    shutil.rmtree(root, ignore_errors=True)
    for n in range(files):
        source = root.parent / f"{root.name}.source{n // 50000}.png"  # beside the tree, not in it
        if n % 50000 == 0:
            solid_png(source, colour)
        folder = root / f"g{n // 4000}" / f"f{n // 200}"
        if n % 200 == 0:
            folder.mkdir(parents=True)
        os.link(source, folder / f"p{n % 200}.png")
    marker.touch()
    return folders


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--harness", required=True)
    parser.add_argument("--scr", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--work", default="/tmp/brindora-bench")
    parser.add_argument("--soak-seconds", type=float, default=600)
    parser.add_argument("--fps-seconds", type=int, default=15)
    parser.add_argument("--memory-seconds", type=int, default=20)
    parser.add_argument("--repeats", type=int, default=3)
    parser.add_argument("--sim", required=True, help="slide_clock_sim.exe")
    parser.add_argument("--only", default="start,first,fps,memory,soak,sim", help="also: library")
    args = parser.parse_args()
    bench = Bench(args)
    Path(args.work).mkdir(parents=True, exist_ok=True)
    only = set(args.only.split(","))
    failure = bench.saver_runs()
    if failure:
        print(f"bench: {Path(args.scr).name} did not run under Wine here ({failure}); no figures", file=sys.stderr)
        sys.exit(1)

    if "start" in only:
        cost = bench.wine_start_cost()
        bench.rows.append(("Wine's own start and end of a console program", f"{cost:.2f} s", "-",
                           "median of 3 runs of process_probe with no arguments; part of every launch figure"))
    if "first" in only:
        one = solid_png(Path(args.work) / "one-photo.png", (230, 30, 160))
        bench.first_photo("1 photo", [one], (230, 30, 160), "under 1.5 s")
        library = Path(args.work) / "library"
        make_library(library, 20000)
        bench.first_photo("20,000-file library", [library], (40, 200, 90), "under 4 s")
    if "library" in only:
        bench.library()
    if "fps" in only:
        bench.frame_rate()
    if "memory" in only:
        bench.memory_with_large_photos()
    if "soak" in only:
        bench.soak()
    if "sim" in only:
        bench.simulated_day()
    bench.print_table()


if __name__ == "__main__":
    main()

"""The running saver on one monitor and on two: peak memory and CPU while it
shows three 6000x4000 JPEGs. The monitors are Xephyr heads nested in the
bench's Xvfb, each layout with a Wine prefix of its own (Wine takes its
monitors from the first display its server sees). Prints a table; asserts
nothing. Run by bench/run_monitors_bench.sh."""

import argparse
import os
import subprocess
import time
from pathlib import Path
from types import SimpleNamespace

from saver_bench import ROOT, WINE, Bench, linux_status

LAYOUTS = [("one monitor, 1024x768", ["1024x768+0+0"]),
           ("two monitors, 1024x768 and 800x600", ["1024x768+0+0", "800x600+1024+0"])]


def start_xephyr(env, screens, folder):
    display_file = folder / "display"
    with open(display_file, "w") as out:
        screen_args = [arg for screen in screens for arg in ("-screen", screen)]
        xephyr = subprocess.Popen(["Xephyr", "+xinerama", "-extension", "RANDR", "-noreset", "-ac", "-nolisten", "tcp",
                                   "-displayfd", str(out.fileno()), *screen_args],
                                  env=env, pass_fds=(out.fileno(),), stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 20
    while not display_file.read_text().strip() and time.monotonic() < deadline:
        time.sleep(0.1)
    return xephyr, display_file.read_text().strip()


def cpu_seconds(pid):
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def measure(bench, label, screens, photos, seconds):
    folder = bench.work / f"monitors-{len(screens)}"
    folder.mkdir(parents=True, exist_ok=True)
    xephyr, number = start_xephyr(bench.env, screens, folder)
    env = dict(bench.env, DISPLAY=f":{number}", WINEPREFIX=str(folder / "wineprefix"))
    subprocess.run([str(ROOT / "scripts" / "wine-prefix.sh"), env["WINEPREFIX"]], env=env, check=True, timeout=300)
    subprocess.run([WINE, "--server", "-p"], env=env, check=True, timeout=30)
    saved, bench.env = bench.env, env
    try:
        saver = bench.saver_folder(f"monitors-{len(screens)}-saver", photos, slide_time=2000)
        process = bench.launch(saver)
        pid = bench.linux_pid(saver)
        time.sleep(3)  # the start and the first photos
        start_cpu, start = cpu_seconds(pid), time.monotonic()
        peak = 0
        while time.monotonic() < start + seconds and process.poll() is None:
            peak = max(peak, linux_status(pid).get("RssAnon", 0))
            time.sleep(0.1)
        cpu = (cpu_seconds(pid) - start_cpu) / (time.monotonic() - start)
        code = bench.end(process)
    finally:
        bench.env = saved
        subprocess.run([WINE, "--server", "-k"], env=env, timeout=30)
        subprocess.run([WINE, "--server", "-w"], env=env, timeout=30)
        xephyr.terminate()
        xephyr.wait(timeout=10)
    pixels = sum(int(w) * int(h) for w, h in (s.split("+")[0].split("x") for s in screens))
    print(f"{label} ({pixels / 1e6:.2f} Mpixels): peak private memory {peak / 2**20:.0f} MB, "
          f"CPU {cpu * 100:.0f} % of a core, exit code {code}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--harness", required=True)
    parser.add_argument("--scr", required=True)
    parser.add_argument("--work", default="/tmp/brindora-bench")
    parser.add_argument("--seconds", type=float, default=15)
    args = parser.parse_args()
    bench = Bench(SimpleNamespace(harness=args.harness, work=args.work, scr=args.scr, probe=""))
    bench.work.mkdir(parents=True, exist_ok=True)
    photos = []
    for i, sample in enumerate(sorted((ROOT / "samples" / "photos").glob("*.jpg"))[:3]):
        path = bench.work / f"large-{i}.jpg"
        if not path.exists():
            subprocess.run(["convert", str(sample), "-resize", "6000x4000!", "-quality", "90", str(path)],
                           check=True, timeout=120)
        photos.append(path)
    print("CPU: user and system time of the Wine process over the show (llvmpipe draws on the CPU here, so")
    print("this is the frames' whole cost), SlideTime 2000; memory: Linux RssAnon, sampled every 0.1 s")
    for label, screens in LAYOUTS:
        measure(bench, label, screens, photos, args.seconds)


if __name__ == "__main__":
    main()

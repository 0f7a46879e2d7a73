#!/usr/bin/python3
# What a weather screen costs a small board, against the program a user would
# pick instead, in the same run on a virtual 1920 x 1080 screen: memory (PSS of
# the whole process tree), wake-ups (context switches of every thread) and CPU.
# Peer and Cirrolith take turns; each figure is the median of the repetitions.
import os, shutil, signal, socket, statistics, struct, subprocess, sys, tempfile, time

PROGRAM = "@BENCH_PROGRAM@"
SERVER = "@BENCH_SERVER@"
DEMO_WEBROOT = "@BENCH_DEMO_WEBROOT@"
REPS = int(os.environ.get("BOARD_BENCH_REPS", "3"))
# A part of the table only: BOARD_BENCH_ONLY=still,loops,pages
ONLY = os.environ.get("BOARD_BENCH_ONLY", "still,loops,pages").split(",")

# ---- process tree figures -------------------------------------------------

def children_of():
    kids = {}
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            kids.setdefault(int(fields[1]), []).append(int(pid))
        except OSError:
            pass
    return kids

def tree(root):
    kids, out, todo = children_of(), [], [root]
    while todo:
        p = todo.pop()
        out.append(p)
        todo += kids.get(p, [])
    return out

def pss_mib(root, fields=("Pss:",)):
    total = 0
    for p in tree(root):
        try:
            with open(f"/proc/{p}/smaps_rollup") as f:
                for line in f:
                    if line.startswith(fields):
                        total += int(line.split()[1])
        except OSError:
            pass
    return total / 1024

def cpu_ns(root):
    # Time on a CPU of every thread, in nanoseconds: a loop's figures are a few
    # of the 10 ms ticks /proc/PID/stat counts in.
    times = {}
    for p in tree(root):
        try:
            for t in os.listdir(f"/proc/{p}/task"):
                with open(f"/proc/{p}/task/{t}/schedstat") as f:
                    times[(p, t)] = int(f.read().split()[0])
        except (OSError, ValueError):
            pass
    return times

def cpu_seconds_between(before, after):
    # Threads that began in between count whole; those that ended are lost,
    # which the programs measured here do not do in a window.
    return sum(ns - before.get(key, 0) for key, ns in after.items()) / 1e9

def switches(root):
    total = 0
    for p in tree(root):
        try:
            for t in os.listdir(f"/proc/{p}/task"):
                with open(f"/proc/{p}/task/{t}/status") as f:
                    for line in f:
                        if line.startswith("voluntary_ctxt_switches"):
                            total += int(line.split()[1])
        except OSError:
            pass
    return total

def mapped(root, name):
    for p in tree(root):
        try:
            with open(f"/proc/{p}/maps") as f:
                if name in f.read():
                    return True
        except OSError:
            pass
    return False

def rate(root, seconds):
    c0, s0 = cpu_ns(root), switches(root)
    time.sleep(seconds)
    return cpu_seconds_between(c0, cpu_ns(root)) / seconds, (switches(root) - s0) / seconds

# ---- test material ----------------------------------------------------------

def lzw_uncompressed(indices):
    # Codes of 8 bits (minimum code size 7) with a clear code before the table
    # would widen them: plain bytes, valid for every decoder.
    out = bytearray()
    for i in range(0, len(indices), 124):
        out.append(128)
        out += indices[i:i + 124]
    out.append(129)
    blocks = bytearray([7])
    for i in range(0, len(out), 255):
        chunk = out[i:i + 255]
        blocks.append(len(chunk))
        blocks += chunk
    blocks.append(0)
    return bytes(blocks)

def gif(path, w, h, palette, frames):
    # frames: (left, top, width, height, indices, delay_cs)
    data = bytearray(b"GIF89a" + struct.pack("<HHBBB", w, h, 0xF6, 0, 0))
    for r, g, b in palette:
        data += bytes((r, g, b))
    data += b"\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00"
    for left, top, fw, fh, idx, delay in frames:
        data += b"\x21\xf9\x04" + struct.pack("<BHBB", 0x04, delay, 0, 0)
        data += b"\x2c" + struct.pack("<HHHHB", left, top, fw, fh, 0)
        data += lzw_uncompressed(idx)
    data += b"\x3b"
    with open(path, "wb") as f:
        f.write(data)

def palette128():
    return [((i * 37) & 255, (i * 11 + 60) & 255, (i * 5 + 90) & 255) for i in range(128)]

def changing_loop(path, w=1280, h=720, n=30):
    frames = []
    for k in range(n):
        rows = []
        for y in range(h):
            base = (y // 6 + k * 3) & 127
            rows.append(bytes(((base + x // 10) & 127) for x in range(0, w, 8)) )
        idx = bytearray()
        for row in rows:
            idx += bytes(b for b in row for _ in range(8))
        frames.append((0, 0, w, h, bytes(idx), 13))
    gif(path, w, h, palette128(), frames)

def radar_loop(path, w=1280, h=720, n=30):
    # A fixed map; three echoes move over it, each frame carries the area
    # they left and entered.
    def map_at(x, y):
        return 100 + ((x // 40 + y // 40) & 7) if (x % 160 < 2 or y % 120 < 2) else 90 + ((x * y) >> 14) % 8
    full = bytearray()
    for y in range(h):
        full += bytes(map_at(x, y) for x in range(w))
    frames = [(0, 0, w, h, bytes(full), 13)]
    for k in range(1, n):
        left, top, fw, fh = 200 + k * 20, 150 + k * 6, 260, 160
        idx = bytearray()
        for y in range(top, top + fh):
            for x in range(left, left + fw):
                dx, dy = x - (left + 150), y - (top + 80)
                idx.append(20 + (dx * dx + dy * dy) // 200 if dx * dx + dy * dy < 4000 else full[y * w + x])
        frames.append((left, top, fw, fh, bytes(idx), 13))
    gif(path, w, h, palette128(), frames)

def jpegs(folder, n=10):
    # Drawn by Qt, saved as photos would be.
    code = (
        "import sys\n"
        "from PyQt6.QtGui import QImage, QPainter, QColor, QLinearGradient\n"
        "for i in range(int(sys.argv[2])):\n"
        "    img = QImage(1920, 1080, QImage.Format.Format_RGB32)\n"
        "    p = QPainter(img)\n"
        "    g = QLinearGradient(0, 0, 1920, 1080)\n"
        "    g.setColorAt(0, QColor.fromHsv((i * 36) % 360, 180, 200)); g.setColorAt(1, QColor(20, 30, 60))\n"
        "    p.fillRect(img.rect(), g)\n"
        "    for k in range(200):\n"
        "        p.fillRect((k * 97 + i * 13) % 1900, (k * 53) % 1060, 30, 20, QColor.fromHsv((k * 7) % 360, 200, 255))\n"
        "    p.end()\n"
        "    img.save(f'{sys.argv[1]}/photo{i}.jpg', 'JPEG', 85)\n")
    subprocess.run(["/usr/bin/python3", "-c", code, folder, str(n)], check=True)

KIOSK = """
import sys
from PyQt6.QtCore import QUrl, QTimer
from PyQt6.QtWidgets import QApplication
from PyQt6.QtWebEngineWidgets import QWebEngineView
app = QApplication(sys.argv)
view = QWebEngineView()
view.load(QUrl(sys.argv[1]))
view.showFullScreen()
app.exec()
"""

# ---- running things ---------------------------------------------------------

def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port

def start(args, env=None, log=None):
    return subprocess.Popen(args, env=env, stdout=subprocess.DEVNULL, stderr=log or subprocess.DEVNULL,
                            start_new_session=True)

def loop_rounds(path):
    # The program logs each frame it puts on show ("frame N at T ms"): the time
    # from one frame 1 to the next is a round of the loop.
    starts = []
    with open(path, errors="replace") as f:
        for line in f:
            words = line.split()
            if len(words) >= 5 and words[-5:-3] == ["frame", "1"] and words[-3] == "at":
                starts.append(int(words[-2]))
    return [b - a for a, b in zip(starts, starts[1:])]

def wait_for_line(path, text, timeout):
    # The program logs each slide it shows; until the first one is up it is
    # still building the slide set, which is not what a loop row measures.
    end = time.time() + timeout
    while time.time() < end:
        try:
            with open(path, errors="replace") as f:
                if text in f.read():
                    return True
        except OSError:
            pass
        time.sleep(0.2)
    return False

def stop(proc):
    if proc.poll() is None:
        try:
            os.killpg(proc.pid, signal.SIGTERM)
            proc.wait(5)
        except (subprocess.TimeoutExpired, ProcessLookupError):
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()

class Bench:
    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="board_bench.")
        # A display of its own, well above those the test runs pick.
        for n in range(140, 240):
            if not os.path.exists(f"/tmp/.X{n}-lock") and not os.path.exists(f"/tmp/.X11-unix/X{n}"):
                break
        self.display = f":{n}"
        self.xvfb = subprocess.Popen(["Xvfb", self.display, "-screen", "0", "1920x1080x24", "-nolisten", "tcp"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            if os.path.exists(f"/tmp/.X11-unix/X{n}"):
                break
            time.sleep(0.1)
        time.sleep(0.5)
        self.env = dict(os.environ, DISPLAY=self.display, QT_QPA_PLATFORM="xcb")
        for name in ("WAYLAND_DISPLAY", "XAUTHORITY"):
            self.env.pop(name, None)
        # The kiosk runs as root the only way the engine allows; Cirrolith
        # chooses its own engine settings.
        self.kiosk_env = dict(self.env)
        if os.geteuid() == 0:
            self.kiosk_env.setdefault("QTWEBENGINE_DISABLE_SANDBOX", "1")
            self.kiosk_env.setdefault("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --no-sandbox")
        self.web = os.path.join(self.dir, "web")
        # The demo's pages, copied: the server serves no links.
        shutil.copytree(DEMO_WEBROOT, self.web)
        os.makedirs(os.path.join(self.web, "b"))
        b = os.path.join(self.web, "b")
        jpegs(b)
        changing_loop(os.path.join(b, "changing.gif"))
        radar_loop(os.path.join(b, "radar.gif"))
        self.port = free_port()
        base = f"ttp://127.0.0.1:{self.port}"
        lines = [f"h{base}/b/photo{i}.jpg | {i + 1} | Photo P{i} photo {i} | DEMO-Photo {i}" for i in range(10)]
        lines += [f"4{base}/b/changing.gif | 20 | Loop LOOPA every frame changes | DEMO-Changing loop",
                  f"4{base}/b/radar.gif | 21 | Loop LOOPB radar-like | DEMO-Radar loop",
                  f"2{base}/demo/pages/forecast.html | 22 | Page PAGEA forecast | DEMO-Forecast page",
                  f"2{base}/demo/pages/town.html?town=X | 23 | Page PAGEB town | DEMO-Town page"]
        with open(os.path.join(self.dir, "catalogue.txt"), "w") as f:
            f.write("\n".join(lines) + "\n")
        self.server = start([SERVER, "--catalogue", os.path.join(self.dir, "catalogue.txt"), "--webroot", self.web,
                             "--port", str(self.port)])
        time.sleep(1)

    def close(self):
        stop(self.server)
        self.xvfb.terminate()
        self.xvfb.wait()
        shutil.rmtree(self.dir, ignore_errors=True)

    def cirrolith(self, positions, slide_s, frame_log=False):
        root = os.path.join(self.dir, "portable")
        shutil.rmtree(root, ignore_errors=True)
        app = os.path.join(root, "App", "Cirrolith")
        os.makedirs(app)
        src = os.path.dirname(PROGRAM)
        for name in os.listdir(src):
            if os.path.isfile(os.path.join(src, name)):
                shutil.copy(os.path.join(src, name), app)
        work = os.path.join(root, "Data", "Cirrolith_Work")
        os.makedirs(work)
        files = {
            "Cirrolith4_Language.dat": " 1",
            "Cirrolith4_Proxy.dat": "\r\n\r\n\r\n\r\n0\r\n",
            "Cirrolith4_MyTown.dat": "Town\r\nNew+York\r\nny\r\nus\r\nNaples\r\nItaly\r\n" + "OPT\r\n" * 8 + "F\r\n \r\n \r\n \r\n",
            "Cirrolith4_Config.dat": f"15\r\n{slide_s}\r\nFull_Screen\r\n\r\n\r\n",
            "Cirrolith4_Picture_List.dat": "".join(f"{k}\r\n{pos + 1 if pos < 10 else pos + 10}\r\n"
                                                    for k, pos in enumerate(positions)) + "\r\n\r\n",
        }
        for name, text in files.items():
            with open(os.path.join(work, name), "w", newline="") as f:
                f.write(text)
        env = dict(self.env, CIRROLITH_CATALOGUE_URL=f"http://127.0.0.1:{self.port}/public/catalogue?",
                      # The slides it shows; a loop's frames only where their times are
                      # measured: a line a frame is not what a screen costs.
                      QT_LOGGING_RULES="cirrolith.show.debug=true" +
                                       (";cirrolith.frames.debug=true" if frame_log else ""))
        self.log = os.path.join(root, "cirrolith.log")
        with open(self.log, "w") as log:
            return start([os.path.join(app, "cirrolith")], env, log)

def median(xs):
    return statistics.median(xs) if xs else float("nan")

def main():
    for need in ("feh", "gifview", "Xvfb"):
        if not shutil.which(need):
            print(f"board_bench: {need} is missing (Debian packages feh, gifsicle, xvfb)")
            return 0
    b = Bench()
    rows = {}
    try:
        photos = [os.path.join(b.web, "b", f"photo{i}.jpg") for i in range(10)]
        # Still slideshow, 2 s slides: steady memory and CPU; then a 60 s
        # slide: wake-ups, and whether the web engine is mapped.
        for _ in range(REPS if "still" in ONLY else 0):
            for who in ("feh", "cirrolith"):
                p = start(["feh", "-F", "-Z", "-D", "2", "-q"] + photos, b.env) \
                    if who == "feh" else b.cirrolith(list(range(10)), 2)
                if who == "feh":
                    time.sleep(10)
                else:
                    # Steady means the slides running, not the slide set being built.
                    if not wait_for_line(b.log, "slide 1 of", 90):
                        print("board_bench: the still slideshow never came on screen")
                    time.sleep(6)
                cpu, _ = rate(p.pid, 12)
                rows.setdefault(("still memory MiB", who), []).append(pss_mib(p.pid))
                # Its own memory only: the libraries' share of the PSS above
                # falls whenever other programs map the same libraries.
                rows.setdefault(("still own memory MiB", who), []).append(
                    pss_mib(p.pid, ("Pss_Anon:", "Pss_Shmem:")))
                rows.setdefault(("still CPU s per 100 s", who), []).append(cpu * 100)
                stop(p)
                # Measured once the slide set is built, as the build's own
                # waits tick.
                p = start(["feh", "-F", "-Z", "-D", "60", "-q"] + photos, b.env) if who == "feh" \
                    else b.cirrolith(list(range(10)), 60)
                time.sleep(8 if who == "feh" else 40)
                _, wake = rate(p.pid, 8)
                rows.setdefault(("still wake-ups per s", who), []).append(wake)
                if who == "cirrolith":
                    rows.setdefault(("web engine mapped (0/1)", who), []).append(
                        1 if mapped(p.pid, "libQt6WebEngineCore") else 0)
                stop(p)
        # Animated loops full screen (gifview at natural size).
        for name, pos in (("changing", 10), ("radar", 11)):
            for _ in range(REPS if "loops" in ONLY else 0):
                for who in ("gifview", "cirrolith"):
                    p = start(["gifview", "-a", os.path.join(b.web, "b", name + ".gif")], b.env) if who == "gifview" \
                        else b.cirrolith([pos], 600)
                    if who == "gifview":
                        time.sleep(5)
                    else:
                        # Measured once the loop is on screen and past its first round.
                        if not wait_for_line(b.log, "slide 1 of", 90):
                            print(f"board_bench: the {name} loop never came on screen")
                        time.sleep(5)
                    cpu, _ = rate(p.pid, 15)
                    rows.setdefault((f"{name} loop CPU s per s", who), []).append(cpu)
                    stop(p)
            if "loops" in ONLY:
                # Frame times from a run of their own, the program logging each frame.
                p = b.cirrolith([pos], 600, frame_log=True)
                wait_for_line(b.log, "slide 1 of", 90)
                time.sleep(25)
                stop(p)
                # Every round of the loop against the file's delays (30 x 130 ms).
                rounds = loop_rounds(b.log)
                if rounds:
                    rows.setdefault((f"{name} loop time / its delays", "cirrolith"), []).append(
                        statistics.mean(rounds) / 3900)
                    rows.setdefault((f"{name} loop worst round / delays", "cirrolith"), []).append(
                        max(abs(r / 3900 - 1) for r in rounds) + 1)
        # Two web pages and pictures: memory and CPU after the captures.
        page = f"http://127.0.0.1:{b.port}/demo/pages/forecast.html"
        # Two runs only: a run with its captures takes a minute.
        for _ in range(min(REPS, 2) if "pages" in ONLY else 0):
            for who in ("kiosk", "cirrolith"):
                if who == "kiosk":
                    p = start(["/usr/bin/python3", "-c", KIOSK, page], b.kiosk_env)
                    time.sleep(20)
                else:
                    p = b.cirrolith([0, 1, 12, 13, 2], 4)
                    time.sleep(45)   # both pages captured, slides changing
                cpu, _ = rate(p.pid, 10)
                rows.setdefault(("pages memory after capture MiB", who), []).append(pss_mib(p.pid))
                rows.setdefault(("pages CPU % after capture", who), []).append(cpu * 100)
                stop(p)
    finally:
        b.close()

    goals = {"still memory MiB": ("feh", 3.0), "still own memory MiB": ("feh", None),
             "still CPU s per 100 s": ("feh", None),
             "still wake-ups per s": ("feh", None), "web engine mapped (0/1)": (None, None),
             "changing loop CPU s per s": ("gifview", 1.0), "radar loop CPU s per s": ("gifview", 1.0),
             "changing loop time / its delays": (None, None), "changing loop worst round / delays": (None, None),
             "radar loop time / its delays": (None, None), "radar loop worst round / delays": (None, None),
             "pages memory after capture MiB": ("kiosk", 0.5), "pages CPU % after capture": ("kiosk", None)}
    print(f"\nboard_bench: medians of {REPS} runs (pages: {min(REPS, 2)}), peer and Cirrolith in turn, Xvfb 1920 x 1080")
    print(f"{'measure':34} {'peer':8} {'peer':>9} {'Cirrolith':>10} {'ratio':>7}  goal")
    for measure, (peer, goal) in goals.items():
        mine = median(rows.get((measure, "cirrolith"), []))
        if peer is None:
            if "delays" in measure:
                print(f"{measure:34} {'':8} {'':>9} {mine:10.4f} {'':>7}  within 1 %")
            else:
                print(f"{measure:34} {'':8} {'':>9} {mine:10.2f} {'':>7}  0")
            continue
        theirs = median(rows.get((measure, peer), []))
        ratio = mine / theirs if theirs else float("inf")
        target = f"<= {goal} x" if goal else ("<= 12 /s" if "wake" in measure else "")
        print(f"{measure:34} {peer:8} {theirs:9.4g} {mine:10.4g} {ratio:6.2f}x  {target}")
    return 0

if __name__ == "__main__":
    sys.exit(main())

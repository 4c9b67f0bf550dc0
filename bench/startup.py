#!/usr/bin/env python3
"""Start-up time and resident memory of Quillora against a bare Qt window.

Starts its own Xvfb on a free display, then launches the program and the
reference in turn (ABBA order, so neither always runs on a warmer machine) and
for each launch measures:

  * the time from just before the process is spawned to the X server's
    MapNotify for its top-level window (matched by title): "visible",
  * the time to the first drawing into that window (a DAMAGE event): "painted"
    (the window is mapped before anything is drawn in it; work a program
    defers past the map shows up only here), and
  * VmRSS from /proc/<pid>/status at each of those moments, and the CPU time
    the process has used by then (steadier than wall time on a busy machine).

The X server is watched through a plain X11 protocol connection (no extra
modules, no polling helper processes), so a map is seen the moment the server
reports it and the measuring cost is the same for both programs.

Prints the medians and the program/reference ratios. Every wait has a
deadline; Xvfb (and the window manager, with --wm) is killed on the way out.
"""

import argparse
import os
import select
import signal
import socket
import statistics
import struct
import subprocess
import sys
import tempfile
import time

PROGRAM_TITLE = "Quillora"
REFERENCE_TITLE = "Quillora startup reference"

CREATE_NOTIFY = 16
MAP_NOTIFY = 19
DAMAGE_REPORT_NON_EMPTY = 3
SUBSTRUCTURE_NOTIFY_MASK = 0x80000
CW_EVENT_MASK = 0x800
ATOM_WM_NAME = 39
ANY_PROPERTY_TYPE = 0


class BenchError(Exception):
    pass


def pad4(n):
    return (n + 3) & ~3


class XConnection:
    """Just enough of the X11 protocol to watch top-level windows being
    created, mapped and drawn into, and to read their titles."""

    def __init__(self, display, deadline):
        path = "/tmp/.X11-unix/X%d" % display
        while True:
            try:
                self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
                self.sock.connect(path)
                break
            except OSError:
                self.sock.close()
                if time.monotonic() > deadline:
                    raise BenchError("cannot connect to X display :%d" % display)
                time.sleep(0.02)
        self.buffer = b""
        self.sequence = 0
        self.events = []
        # Little-endian, protocol 11.0, no authorisation (Xvfb started here
        # without -auth accepts local clients).
        self.sock.sendall(struct.pack("<BxHHHHxx", 0x6C, 11, 0, 0, 0))
        header = self._read(8, deadline)
        body = self._read(struct.unpack_from("<H", header, 6)[0] * 4, deadline)
        if header[0] != 1:
            raise BenchError("X server refused the connection: %r" % body)
        vendor_length = struct.unpack_from("<H", body, 16)[0]
        formats = body[21]
        screen = 32 + pad4(vendor_length) + 8 * formats
        self.root = struct.unpack_from("<I", body, screen)[0]
        self.id_base, self.id_mask = struct.unpack_from("<II", body, 4)
        self.next_id = 1
        self.net_wm_name = self.intern_atom("_NET_WM_NAME", deadline)
        self.damage_opcode, self.damage_event = self._init_damage(deadline)

    def _init_damage(self, deadline):
        name = b"DAMAGE"
        request = struct.pack("<BxHHxx", 98, 2 + pad4(len(name)) // 4, len(name))
        request += name + b"\0" * (pad4(len(name)) - len(name))
        reply = self._reply(self._request(request), deadline)
        if not reply or not reply[8]:
            raise BenchError("the X server has no DAMAGE extension")
        opcode, first_event = reply[9], reply[10]
        # The version must be negotiated before any other DAMAGE request.
        self._reply(self._request(struct.pack("<BBHII", opcode, 0, 3, 1, 1)), deadline)
        return opcode, first_event

    def watch_drawing(self, window):
        """Asks for one event once anything is drawn into the window."""
        damage = self.id_base | (self.next_id & self.id_mask)
        self.next_id += 1
        self._request(struct.pack("<BBHIIBxxx", self.damage_opcode, 1, 4, damage, window,
                                  DAMAGE_REPORT_NON_EMPTY))

    def close(self):
        self.sock.close()

    def _read(self, size, deadline):
        while len(self.buffer) < size:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise TimeoutError
            ready, _, _ = select.select([self.sock], [], [], remaining)
            if not ready:
                raise TimeoutError
            chunk = self.sock.recv(65536)
            if not chunk:
                raise BenchError("X server closed the connection")
            self.buffer += chunk
        data, self.buffer = self.buffer[:size], self.buffer[size:]
        return data

    def _read_packet(self, deadline):
        packet = self._read(32, deadline)
        if packet[0] == 1:  # a reply may carry more than 32 bytes
            packet += self._read(struct.unpack_from("<I", packet, 4)[0] * 4, deadline)
        return packet

    def _request(self, data):
        self.sock.sendall(data)
        self.sequence = (self.sequence + 1) & 0xFFFF
        return self.sequence

    def _reply(self, sequence, deadline):
        """The reply to a request, or None for an error (a window that went
        away). Events read meanwhile are kept for next_event."""
        while True:
            packet = self._read_packet(deadline)
            kind = packet[0]
            if kind in (0, 1) and struct.unpack_from("<H", packet, 2)[0] == sequence:
                return packet if kind == 1 else None
            if kind > 1:
                self.events.append((packet, time.perf_counter_ns()))

    def intern_atom(self, name, deadline):
        encoded = name.encode()
        request = struct.pack("<BBHHxx", 16, 0, 2 + pad4(len(encoded)) // 4, len(encoded))
        request += encoded + b"\0" * (pad4(len(encoded)) - len(encoded))
        reply = self._reply(self._request(request), deadline)
        return struct.unpack_from("<I", reply, 8)[0]

    def watch_root(self):
        self._request(struct.pack("<BxHIII", 2, 4, self.root, CW_EVENT_MASK,
                                  SUBSTRUCTURE_NOTIFY_MASK))

    def property(self, window, atom, deadline):
        request = struct.pack("<BBHIIIII", 20, 0, 6, window, atom, ANY_PROPERTY_TYPE, 0, 256)
        reply = self._reply(self._request(request), deadline)
        if reply is None:
            return None
        fmt = reply[1]
        count = struct.unpack_from("<I", reply, 16)[0]
        return reply[32:32 + count * max(fmt, 8) // 8] if fmt else None

    def children(self, window, deadline):
        reply = self._reply(self._request(struct.pack("<BxHI", 15, 2, window)), deadline)
        if reply is None:
            return []
        count = struct.unpack_from("<H", reply, 16)[0]
        return list(struct.unpack_from("<%dI" % count, reply, 32))

    def title(self, window, deadline):
        for atom in (self.net_wm_name, ATOM_WM_NAME):
            value = self.property(window, atom, deadline)
            if value:
                return value.decode("utf-8", "replace")
        return None

    def titled_window(self, window, title, deadline, depth=3):
        if self.title(window, deadline) == title:
            return window
        if depth == 0:
            return None
        for child in self.children(window, deadline):
            found = self.titled_window(child, title, deadline, depth - 1)
            if found is not None:
                return found
        return None

    def next_event(self, deadline):
        """The next event and the perf_counter_ns() at which it was read."""
        if self.events:
            return self.events.pop(0)
        packet = self._read_packet(deadline)
        return packet, time.perf_counter_ns()

    def drain(self):
        """Drops whatever events have arrived so far."""
        self.events.clear()
        while select.select([self.sock], [], [], 0)[0]:
            chunk = self.sock.recv(65536)
            if not chunk:
                raise BenchError("X server closed the connection")
            self.buffer += chunk
        while len(self.buffer) >= 32:
            size = 32
            if self.buffer[0] == 1:
                size += struct.unpack_from("<I", self.buffer, 4)[0] * 4
            if len(self.buffer) < size:
                break
            self.buffer = self.buffer[size:]


def start_xvfb(deadline):
    read_end, write_end = os.pipe()
    try:
        server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
    finally:
        os.close(write_end)
    text = b""
    try:
        while not text.endswith(b"\n"):
            remaining = deadline - time.monotonic()
            if remaining <= 0 or not select.select([read_end], [], [], remaining)[0]:
                raise BenchError("Xvfb did not report a display in time")
            chunk = os.read(read_end, 64)
            if not chunk:
                raise BenchError("Xvfb exited before reporting a display")
            text += chunk
    except BaseException:
        stop(server)
        raise
    finally:
        os.close(read_end)
    return server, int(text.strip())


def stop(process, grace=2.0):
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(timeout=grace)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(timeout=grace)


def resident_kib(pid):
    try:
        with open("/proc/%d/status" % pid) as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def cpu_ms(pid):
    """CPU time the process's threads have used so far: less swayed by other
    load on the machine than the wall-clock time."""
    total = 0
    try:
        for task in os.listdir("/proc/%d/task" % pid):
            with open("/proc/%d/task/%s/schedstat" % (pid, task)) as stat:
                total += int(stat.read().split()[0])
    except OSError:
        pass
    return total / 1e6


def sample(started, now, pid):
    rss = resident_kib(pid)
    if rss is None:
        raise BenchError("process %d exited while it was being measured" % pid)
    return ((now - started) / 1e6, rss, cpu_ms(pid))


def start_window_manager(x, env, deadline):
    manager = subprocess.Popen(["openbox", "--sm-disable"], env=env,
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    check = x.intern_atom("_NET_SUPPORTING_WM_CHECK", deadline)
    while not x.property(x.root, check, deadline):
        if manager.poll() is not None:
            raise BenchError("openbox exited at start")
        if time.monotonic() > deadline:
            stop(manager)
            raise BenchError("openbox did not come up in time")
        time.sleep(0.05)
    return manager


def launch(x, executable, title, env, timeout, log):
    """Runs the executable until its window is mapped and drawn into; returns
    (ms, KiB, CPU ms) when visible followed by the same when painted."""
    x.drain()
    log.seek(0)
    log.truncate()
    started = time.perf_counter_ns()
    process = subprocess.Popen([executable], env=env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=log)
    try:
        deadline = time.monotonic() + timeout
        visible = None
        damaged = {}  # windows drawn into before their map was matched
        shown_window = None
        while True:
            try:
                # Short waits, so a program that dies early fails at once.
                event, now = x.next_event(min(deadline, time.monotonic() + 0.2))
            except TimeoutError:
                if time.monotonic() < deadline and process.poll() is None:
                    continue
                status = process.poll()
                log.seek(0)
                output = log.read().decode("utf-8", "replace").strip()
                raise BenchError("%s: window titled %r not %s %s%s" % (
                    executable, title, "painted" if visible else "shown",
                    "within %.0f s" % timeout if status is None else
                    "before it exited with status %d" % status,
                    "\n" + output if output else ""))
            code = event[0] & 0x7F
            if code == CREATE_NOTIFY and not event[22]:  # not override-redirect
                # Watch every new top-level window from its creation on, so its
                # first drawing cannot slip past before its map is matched.
                x.watch_drawing(struct.unpack_from("<I", event, 8)[0])
            elif code == x.damage_event:
                window = struct.unpack_from("<I", event, 4)[0]
                painted = sample(started, now, process.pid)
                if window == shown_window:
                    return visible + painted
                damaged.setdefault(window, painted)
            elif code == MAP_NOTIFY and not event[12] and visible is None:
                window = struct.unpack_from("<I", event, 8)[0]
                # Without a window manager the mapped window is the program's
                # own; with one it is the frame, and the program's window is
                # the titled one inside.
                titled = x.titled_window(window, title, deadline)
                if titled is not None:
                    visible = sample(started, now, process.pid)
                    shown_window = titled
                    if titled in damaged:
                        return visible + damaged[titled]
    finally:
        stop(process)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--program", required=True, help="the quillora executable")
    parser.add_argument("--reference", required=True, help="the startup_reference executable")
    parser.add_argument("--program-title", default=PROGRAM_TITLE,
                        help="title of the program's window")
    parser.add_argument("--reference-title", default=REFERENCE_TITLE,
                        help="title of the reference's window (give Quillora to compare two "
                             "builds of quillora with each other)")
    parser.add_argument("--rounds", type=int, default=15, help="measured launches of each")
    parser.add_argument("--warmup", type=int, default=1, help="unmeasured rounds first")
    parser.add_argument("--timeout", type=float, default=10.0, help="seconds per launch")
    parser.add_argument("--wm", action="store_true", help="run openbox as window manager")
    parser.add_argument("--goal", type=float, default=1.2, help="ratio to meet")
    args = parser.parse_args()
    if args.rounds < 1:
        parser.error("--rounds must be at least 1")

    # One bound for the whole run, whatever happens inside it.
    budget = 30 + (args.rounds + args.warmup) * 2 * (args.timeout + 5)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    signal.signal(signal.SIGALRM, lambda *_: sys.exit("benchmark overran %d s" % budget))
    signal.alarm(int(budget))

    server = manager = x = None
    try:
        server, display = start_xvfb(time.monotonic() + 10)
        x = XConnection(display, time.monotonic() + 10)
        env = {k: v for k, v in os.environ.items()
               if not k.startswith(("QT_", "WAYLAND", "LC_"))}
        env.update(DISPLAY=":%d" % display, QT_QPA_PLATFORM="xcb", LANG="C.UTF-8")
        if args.wm:
            manager = start_window_manager(x, env, time.monotonic() + 10)
        x.watch_root()

        subjects = {"quillora": (args.program, args.program_title),
                    "reference": (args.reference, args.reference_title)}
        samples = {name: [] for name in subjects}
        with tempfile.TemporaryFile() as log:
            for round_ in range(args.warmup + args.rounds):
                order = ["quillora", "reference"]
                if round_ % 2:
                    order.reverse()
                for name in order:
                    executable, title = subjects[name]
                    result = launch(x, executable, title, env, args.timeout, log)
                    if round_ >= args.warmup:
                        samples[name].append(result)

        print("display :%d, %s, %d rounds (+%d warm-up), ABBA order" %
              (display, "openbox" if args.wm else "no window manager", args.rounds, args.warmup))
        medians = {}
        for name in subjects:
            runs = samples[name]
            medians[name] = [statistics.median(run[i] for run in runs) for i in range(6)]
            for label, at in (("visible", 0), ("painted", 3)):
                times = [run[at] for run in runs]
                rss = [run[at + 1] / 1024 for run in runs]
                cpu = [run[at + 2] for run in runs]
                print("%-9s %-7s  time median %6.1f ms (min %6.1f, max %6.1f)  "
                      "RSS median %5.1f MiB (min %5.1f, max %5.1f)  CPU median %6.1f ms" %
                      (name, label, statistics.median(times), min(times), max(times),
                       statistics.median(rss), min(rss), max(rss), statistics.median(cpu)))
        met = True
        for label, at in (("visible", 0), ("painted", 3)):
            ratios = [medians["quillora"][at + i] / medians["reference"][at + i] for i in range(3)]
            if label == "visible":
                # The goal is about the window appearing; painting is shown for
                # what it tells, as Quillora draws far more text than the floor.
                met = max(ratios[:2]) <= args.goal
            print("ratio quillora/reference when %s: time %.2fx, RSS %.2fx (CPU %.2fx)" %
                  (label, *ratios))
        print("goal %.2fx on time and RSS when visible: %s" % (args.goal, "met" if met else "not met"))
        return 0
    except BenchError as error:
        print("startup benchmark: %s" % error, file=sys.stderr)
        return 1
    finally:
        signal.alarm(0)
        if x is not None:
            x.close()
        stop(manager)
        stop(server)


if __name__ == "__main__":
    sys.exit(main())

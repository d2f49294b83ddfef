#!/usr/bin/env python3
"""Plants one-line faults in the sources, one at a time, and runs the test
suite against each: a fault no test notices is a missing check.

    scripts/plant-faults.py [LIST ...] [--match TEXT] [--copies N] [--check]

LIST defaults to every scripts/faults/*.txt. Each fault is applied to a private
copy of the tree (build-faults/copyN, synced from the working tree at the
start of every run, uncommitted changes included), the copy is rebuilt and
every CTest test runs until one fails twice in a row (a test that fails once
and then passes is flaky and does not count). Tests that killed an earlier
fault in the same file run first. The file is restored before the next fault.

List format, one fault per block:

    [src/protocol/cmd_msg.cpp] the message count's bytes swapped
    - out[2] = count >> 8;
    + out[2] = count & 0xff;

'-' lines are the exact text (after "- ") to find, '+' lines its
replacement; several lines of each make a multi-line text. The text must
occur once in the file, or the header names the occurrence: [file@2]. A line
"! why" marks a fault that no test can see (the same behaviour by another
path, a branch that cannot be reached); it is still run. Lines starting with
'#' are comments.

Each fault ends as killed (with the test that failed), survived, marked
(survived and marked), gone (its text is no longer in the file) or nobuild.
The exit status is 0 only when every fault was killed or marked.
"""

import argparse
import fcntl
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import threading
import time
from dataclasses import dataclass, field
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
KNOWN_PROPERTIES = {"WORKING_DIRECTORY", "SKIP_REGULAR_EXPRESSION", "LABELS", "RESOURCE_LOCK",
                    "TIMEOUT", "ENVIRONMENT", "WILL_FAIL"}


@dataclass
class Fault:
    path: str
    occurrence: int
    what: str
    old: str
    new: str
    mark: str = ""
    where: str = ""  # list file and line, for messages
    line: int = 0    # line in the source where the text starts
    status: str = ""
    detail: str = ""


def parse_list(list_path):
    faults, current = [], None
    header = re.compile(r"^\[([^\]@]+)(?:@(\d+))?\]\s*(.*)$")
    for n, raw in enumerate(Path(list_path).read_text().splitlines(), 1):
        where = f"{list_path}:{n}"
        if not raw.strip() or raw.startswith("#"):
            continue
        m = header.match(raw)
        if m:
            current = Fault(m.group(1).strip(), int(m.group(2) or 0), m.group(3).strip(), None, None,
                            where=where)
            faults.append(current)
            continue
        if current is None:
            sys.exit(f"{where}: text before the first [file] header")
        kind, text = raw[:1], raw[2:] if raw[1:2] == " " else raw[1:]
        if kind == "-":
            current.old = text if current.old is None else current.old + "\n" + text
        elif kind == "+":
            current.new = text if current.new is None else current.new + "\n" + text
        elif kind == "!":
            current.mark = text.strip()
        else:
            sys.exit(f"{where}: a line must start with '[', '-', '+', '!' or '#'")
    for f in faults:
        if f.old is None or f.new is None:
            sys.exit(f"{f.where}: a fault needs a '-' and a '+' line")
        if f.old == f.new:
            sys.exit(f"{f.where}: the replacement equals the text")
    return faults


def locate(fault, text):
    """Offset of the fault's text in the file's text, or None when gone or
    ambiguous (detail says which)."""
    starts, i = [], text.find(fault.old)
    while i >= 0:
        starts.append(i)
        i = text.find(fault.old, i + 1)
    if not starts:
        fault.detail = "text not found"
        return None
    if fault.occurrence:
        if fault.occurrence > len(starts):
            fault.detail = f"only {len(starts)} occurrence(s)"
            return None
        at = starts[fault.occurrence - 1]
    elif len(starts) > 1:
        fault.detail = f"text found {len(starts)} times: name one with [file@N]"
        return None
    else:
        at = starts[0]
    fault.line = text.count("\n", 0, at) + 1
    return at


def tree_files():
    out = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=ROOT,
                         capture_output=True, check=True).stdout
    return [p for p in out.decode().split("\0") if p and (ROOT / p).is_file()]


def sync(copy):
    """Makes the copy's sources equal the working tree's, touching only files
    that differ so the build stays incremental."""
    wanted = set(tree_files())
    for rel in wanted:
        src, dst = ROOT / rel, copy / rel
        data = src.read_bytes()
        if not dst.exists() or dst.read_bytes() != data:
            dst.parent.mkdir(parents=True, exist_ok=True)
            dst.write_bytes(data)
            shutil.copymode(src, dst)
    listed = copy / ".synced-files"
    if listed.exists():
        for rel in set(listed.read_text().splitlines()) - wanted:
            (copy / rel).unlink(missing_ok=True)
    listed.write_text("\n".join(sorted(wanted)))


def private_loopback():
    """A prefix that runs a command in a network namespace of its own with
    only loopback up, so tests of several copies (or of another build on the
    machine) never meet on a fixed address; empty where that is not allowed."""
    prefix = ["unshare", "--net", "sh", "-c", 'ip link set lo up && exec "$@"', "sh"]
    try:
        ok = subprocess.run(prefix + ["true"], capture_output=True, timeout=10).returncode == 0
    except (OSError, subprocess.TimeoutExpired):
        ok = False
    return prefix if ok else []


ISOLATE = []


class Locks:
    """RESOURCE_LOCK names held across every copy of this run and any other
    run on the machine, as lock files."""

    def __init__(self, folder):
        self.folder = folder
        folder.mkdir(parents=True, exist_ok=True)

    def try_take(self, names):
        held = []
        for name in names:
            fd = os.open(self.folder / name, os.O_CREAT | os.O_RDWR, 0o644)
            try:
                fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
            except BlockingIOError:
                os.close(fd)
                self.release(held)
                return None
            held.append(fd)
        return held

    @staticmethod
    def release(held):
        for fd in held or []:
            fcntl.flock(fd, fcntl.LOCK_UN)
            os.close(fd)


@dataclass
class Test:
    name: str
    command: list
    cwd: str
    locks: list
    skip: list
    env: dict
    will_fail: bool
    timeout: float = 0.0
    seconds: float = 0.0


def load_tests(build):
    out = subprocess.run(["ctest", "--test-dir", str(build), "--show-only=json-v1"],
                         capture_output=True, check=True, text=True).stdout
    tests = []
    for t in json.loads(out)["tests"]:
        props = {p["name"]: p["value"] for p in t.get("properties", [])}
        unknown = set(props) - KNOWN_PROPERTIES
        if unknown:
            sys.exit(f"test {t['name']}: properties this script does not honour: {sorted(unknown)}")
        env = dict(e.split("=", 1) for e in props.get("ENVIRONMENT", []))
        test = Test(t["name"], t["command"], props.get("WORKING_DIRECTORY", str(build)),
                    props.get("RESOURCE_LOCK", []), props.get("SKIP_REGULAR_EXPRESSION", []), env,
                    bool(props.get("WILL_FAIL")))
        test.timeout = float(props.get("TIMEOUT", 0) or 0)
        tests.append(test)
    return tests


class Copy:
    def __init__(self, index, work, jobs, locks):
        self.dir = work / f"copy{index}"
        self.build = self.dir / "build"
        self.logs = self.dir / "logs"
        self.jobs = jobs
        self.locks = locks
        self.tests = []
        self.index = index

    def prepare(self, say):
        self.dir.mkdir(parents=True, exist_ok=True)
        sync(self.dir)
        if not (self.build / "build.ninja").exists():
            say(f"copy{self.index}: configuring")
            run = subprocess.run(["cmake", "-S", str(self.dir), "-B", str(self.build), "-G", "Ninja",
                                  "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DVANTREL_BENCH=OFF",
                                  "-DVANTREL_TESTS=ON", "-DVANTREL_GUI=ON"],
                                 capture_output=True, text=True)
            if run.returncode:
                sys.exit(f"copy{self.index}: cmake failed\n{run.stdout}{run.stderr}")
        say(f"copy{self.index}: building")
        ok, log = self.compile()
        if not ok:
            sys.exit(f"copy{self.index}: the unchanged tree does not build\n{log}")
        # Listing the tests runs gtest discovery once, against the built programs.
        subprocess.run(["ctest", "--test-dir", str(self.build), "-N"], capture_output=True)
        self.tests = load_tests(self.build)
        self.logs.mkdir(exist_ok=True)
        say(f"copy{self.index}: {len(self.tests)} tests, baseline run")
        for t in self.tests:
            t.timeout = t.timeout or 600.0
        failed = self.run_suite(self.tests, keep_going=True)
        if failed:
            sys.exit(f"copy{self.index}: the unchanged tree fails {', '.join(failed)}; "
                     f"see {self.logs}")
        for t in self.tests:
            t.timeout = min(t.timeout, 3 * t.seconds + 20)

    def compile(self):
        run = subprocess.run(["ninja", "-C", str(self.build), f"-j{self.jobs}"],
                             capture_output=True, text=True)
        return run.returncode == 0, run.stdout[-3000:] + run.stderr[-2000:]

    def start(self, test):
        log = open(self.logs / (re.sub(r"[^\w.-]", "_", test.name) + ".log"), "wb")
        env = dict(os.environ, **test.env)
        proc = subprocess.Popen(ISOLATE + test.command, cwd=test.cwd, env=env, stdout=log,
                                stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                start_new_session=True)
        return proc, log

    @staticmethod
    def stop(proc):
        try:
            os.killpg(proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        proc.wait()

    def passed(self, test, code, log_path):
        if test.skip:
            text = Path(log_path).read_text(errors="replace")
            if any(re.search(rx, text) for rx in test.skip):
                return True
        return (code != 0) if test.will_fail else (code == 0)

    def run_suite(self, order, keep_going=False):
        """Runs the tests in order on `jobs` slots, honouring resource locks.
        A failing test runs once more; returns the names of the tests that
        failed twice (only the first unless keep_going, which also records
        each test's time)."""
        pending = [(t, 0) for t in order]
        running, failed = [], []
        self.finished = 0
        while (pending or running) and (keep_going or not failed):
            while len(running) < self.jobs:
                for i, (t, tries) in enumerate(pending):
                    held = self.locks.try_take(t.locks)
                    if held is not None:
                        break
                else:
                    break
                pending.pop(i)
                proc, log = self.start(t)
                running.append((t, tries, proc, log, held, time.monotonic()))
            time.sleep(0.02)
            still = []
            for entry in running:
                t, tries, proc, log, held, began = entry
                code, elapsed = proc.poll(), time.monotonic() - began
                if code is None and elapsed < t.timeout:
                    still.append(entry)
                    continue
                if code is None:
                    self.stop(proc)
                    code = -1
                log.close()
                self.locks.release(held)
                if keep_going and tries == 0:
                    t.seconds = elapsed
                if self.passed(t, code, log.name):
                    self.finished += tries == 0
                    continue
                if tries == 0:
                    pending.insert(0, (t, 1))
                else:
                    failed.append(t.name)
            running = still
        for t, tries, proc, log, held, began in running:
            self.stop(proc)
            log.close()
            self.locks.release(held)
        return failed


class History:
    """Which tests killed faults in which source file, kept between runs so
    that the likely killers run first."""

    def __init__(self, path):
        self.path = path
        self.lock = threading.Lock()
        try:
            self.data = json.loads(path.read_text())
        except (OSError, ValueError):
            self.data = {}

    def order(self, source, tests):
        kills = self.data.get(source, {})
        return sorted(tests, key=lambda t: (-kills.get(t.name, 0), -t.seconds))

    def killed(self, source, test):
        with self.lock:
            counts = self.data.setdefault(source, {})
            counts[test] = counts.get(test, 0) + 1
            self.path.write_text(json.dumps(self.data, indent=1, sort_keys=True))


def plant(copy, group, history, say):
    """Runs every fault of one source file in this copy."""
    path = copy.dir / group[0].path
    original = path.read_text()
    try:
        for f in group:
            at = locate(f, original)
            if at is None:
                f.status = "gone"
                say(f.status, f)
                continue
            path.write_text(original[:at] + f.new + original[at + len(f.old):])
            ok, log = copy.compile()
            if not ok:
                f.status, f.detail = "nobuild", log.strip().splitlines()[-1] if log.strip() else ""
                say(f.status, f)
                continue
            failed = copy.run_suite(history.order(f.path, copy.tests))
            if failed:
                f.status, f.detail = "killed", failed[0]
                history.killed(f.path, failed[0])
            else:
                f.status = "marked" if f.mark else "survived"
                f.detail = f.mark or f"{copy.finished} of {len(copy.tests)} tests passed"
            say(f.status, f)
    finally:
        path.write_text(original)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("lists", nargs="*", help="fault lists (default: scripts/faults/*.txt)")
    parser.add_argument("--match", action="append", default=[],
                        help="only faults whose file or description contains this text")
    parser.add_argument("--copies", type=int, default=0, help="copies side by side (default: cores/4)")
    parser.add_argument("--jobs", type=int, default=0, help="tests and compiles at once per copy")
    parser.add_argument("--work", default=str(ROOT / "build-faults"), help="folder of the copies")
    parser.add_argument("--check", action="store_true",
                        help="only check that every fault's text is found, once")
    args = parser.parse_args()

    lists = args.lists or sorted(str(p) for p in (ROOT / "scripts" / "faults").glob("*.txt"))
    faults = [f for lst in lists for f in parse_list(lst)]
    if args.match:
        faults = [f for f in faults if any(m in f.path or m in f.what for m in args.match)]

    bad = 0
    for f in faults:
        source = ROOT / f.path
        if not source.is_file() or locate(f, source.read_text()) is None:
            bad += 1
            print(f"{f.where}: {f.path}: {f.detail or 'no such file'}")
    if args.check:
        print(f"{len(faults)} faults, {bad} not found")
        return 1 if bad else 0

    global ISOLATE
    ISOLATE = private_loopback()
    cores = os.cpu_count() or 2
    copies = args.copies or max(1, cores // 4)
    work = Path(args.work).resolve()
    locks = Locks(Path(os.environ.get("TMPDIR", "/tmp")) / "vantrel-plant-faults-locks")
    history = History(work / "history.json")
    out_lock = threading.Lock()
    began = time.monotonic()
    done = [0]

    def say(status, fault=None):
        with out_lock:
            if fault is None:
                print(status, flush=True)
                return
            done[0] += 1
            print(f"[{done[0]}/{len(faults)} {time.monotonic() - began:6.0f}s] {status:8} "
                  f"{fault.path}:{fault.line} {fault.what}"
                  + (f"  ({fault.detail})" if fault.detail else ""), flush=True)

    groups = {}
    for f in faults:
        groups.setdefault(f.path, []).append(f)
    queue = sorted(groups.values(), key=len, reverse=True)
    copies = max(1, min(copies, len(queue)))
    jobs = args.jobs or max(2, cores // copies)
    queue_lock = threading.Lock()
    work.mkdir(parents=True, exist_ok=True)
    pool = [Copy(i, work, jobs, locks) for i in range(copies)]
    errors = []

    def worker(copy):
        try:
            copy.prepare(say)
            while True:
                with queue_lock:
                    if not queue:
                        return
                    group = queue.pop(0)
                plant(copy, group, history, say)
        except SystemExit as e:
            errors.append(str(e))
        except Exception as e:  # report, let the other copies finish
            errors.append(f"copy{copy.index}: {e!r}")

    say(f"{len(faults)} faults in {len(groups)} files, {len(pool)} copies, {jobs} jobs each, "
        + ("each test on a loopback of its own" if ISOLATE else "tests share the loopback"))
    threads = [threading.Thread(target=worker, args=(c,)) for c in pool]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for e in errors:
        print(e, file=sys.stderr)

    counts = {}
    for f in faults:
        counts[f.status or "not run"] = counts.get(f.status or "not run", 0) + 1
    print("\nsurvivors and problems:")
    for f in faults:
        if f.status not in ("killed", "marked"):
            print(f"  {f.status or 'not run':8} {f.path}:{f.line} {f.what} ({f.where}) {f.detail}")
    print("marked:")
    for f in faults:
        if f.mark:
            print(f"  {f.status or 'not run':8} {f.path}:{f.line} {f.what}: {f.mark}")
    minutes = (time.monotonic() - began) / 60
    summary = ", ".join(f"{n} {s}" for s, n in sorted(counts.items()))
    print(f"\n{len(faults)} faults: {summary}; {minutes:.1f} min")
    return 0 if not errors and all(f.status in ("killed", "marked") for f in faults) else 1


if __name__ == "__main__":
    sys.exit(main())

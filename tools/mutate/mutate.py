#!/usr/bin/env python3
"""Compiles single-line faults into the library one at a time and runs the tests against each.

    tools/mutate/mutate.py [--build build] [--list tools/mutate/mutations.txt]
                           [--only SUBSTRING] [--timeout SECONDS] [--report FILE]
    tools/mutate/mutate.py --restore      put back a file left mutated by a killed run

Each fault is applied to the source, the library alone is rebuilt (the tests link it as a
shared library, so nothing else relinks), the test program of the fault's own subsystem runs
first and, when it passes, the whole CTest suite runs with --stop-on-failure. A failing test,
a crash or a run that outlives its time limit counts as caught. The file is restored after
every fault, also on Ctrl-C or SIGTERM; a run killed outright leaves a backup that --restore
(or the next run) puts back.
"""
import argparse
import hashlib
import os
import re
import shutil
import signal
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BACKUP = ROOT / ".mutate-backup"


@dataclass
class Mutation:
    number: int
    path: str
    description: str
    old: str
    new: str

    @property
    def key(self):
        return hashlib.sha1("\0".join((self.path, self.old, self.new)).encode()).hexdigest()[:16]

    @property
    def subsystem(self):
        parts = Path(self.path).parts
        return parts[1] if len(parts) > 2 and parts[0] == "src" else ""


def parse(list_file):
    """Blocks of '@ path  description', '- old text', '+ new text' (an empty '+' deletes)."""
    mutations, current = [], None
    for raw in Path(list_file).read_text().splitlines():
        if raw.startswith("@ "):
            path, _, description = raw[2:].strip().partition(" ")
            current = {"path": path, "description": description.strip()}
        elif raw.startswith("- ") and current is not None:
            current["old"] = raw[2:]
        elif raw.startswith("+") and current is not None:
            mutations.append(Mutation(len(mutations) + 1, current["path"], current["description"],
                                      current["old"], raw[2:] if raw.startswith("+ ") else ""))
            current = None
    return mutations


def check(mutations):
    problems = []
    for m in mutations:
        text = (ROOT / m.path).read_text()
        count = text.count(m.old)
        if count != 1:
            problems.append(f"#{m.number} {m.path}: '{m.old}' occurs {count} times")
    return problems


def restore_backup():
    if not BACKUP.exists():
        return False
    path, _, content = BACKUP.read_bytes().partition(b"\n")
    Path(path.decode()).write_bytes(content)
    BACKUP.unlink()
    print(f"restored {path.decode()}")
    return True


class Stop(Exception):
    pass


def on_signal(signum, _frame):
    raise Stop(f"signal {signum}")


def run(command, timeout, cwd=ROOT):
    """Runs a command in its own process group; returns (exit code or 'timeout', output)."""
    process = subprocess.Popen(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               text=True, errors="replace", start_new_session=True)
    try:
        output, _ = process.communicate(timeout=timeout)
        return process.returncode, output
    except subprocess.TimeoutExpired:
        kill_group(process)
        output, _ = process.communicate()
        return "timeout", output
    except BaseException:
        kill_group(process)
        process.communicate()
        raise


def kill_group(process):
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass


def build_library(args):
    code, output = run(["cmake", "--build", args.build, "-j2", "--target", "kivo"], 900)
    return code == 0, output


def library_file(args):
    """The real file behind libkivo.so in the build folder."""
    return Path(os.path.realpath(Path(args.build) / "src" / "libkivo.so"))


def mutant_library(args, mutation):
    """Builds the faulty library, or with --cache takes the one an earlier run built (the
    library does not depend on the tests, so runs before and after a change of the tests can
    share them). Returns (usable, note)."""
    cached = Path(args.cache) / f"{mutation.key}.so" if args.cache else None
    if cached is not None and cached.exists():
        shutil.copyfile(cached, library_file(args))
        return True, "cached library"
    ok, output = build_library(args)
    if ok and cached is not None:
        cached.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(library_file(args), cached)
    return ok, output


def own_test_program(args, mutation):
    program = Path(args.build) / "tests" / f"test_{mutation.subsystem}"
    return program if program.exists() else None


def run_tests(args, mutation, quick_programs):
    """Returns how the fault was caught, or None when every test passed."""
    program = own_test_program(args, mutation)
    if program is not None and program in quick_programs:
        # A slow run of the whole program is left to CTest's per-test time limit.
        code, _ = run([str(program), "--gtest_brief=1"], args.timeout, cwd=program.parent)
        if code not in (0, "timeout"):
            return f"test_{mutation.subsystem} failed"
    code, output = run(["ctest", "--test-dir", args.build, "-j2", "--stop-on-failure",
                        "--timeout", str(args.timeout)], max(args.timeout * 30, 1800))
    if code == "timeout":
        return "suite timed out"
    if code != 0:
        failed = re.findall(r"Test +#\d+: (\S+) \.*\**(?:Failed|Exception|Timeout|SEGFAULT|"
                            r"Subprocess aborted|Not Run)", output)
        return "ctest: " + (", ".join(failed[:3]) if failed else "failed")
    return None


def quick_programs_that_pass(args, mutations):
    """A subsystem's program run as one process must pass unmutated to be a fair first check."""
    passing = set()
    for program in {own_test_program(args, m) for m in mutations} - {None}:
        code, _ = run([str(program), "--gtest_brief=1"], args.timeout * 5, cwd=program.parent)
        if code == 0:
            passing.add(program)
        else:
            print(f"note: {program.name} fails as one process, only the full suite is used")
    return passing


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=str(ROOT / "build"))
    parser.add_argument("--list", default=str(Path(__file__).with_name("mutations.txt")))
    parser.add_argument("--only", default="", help="run the faults whose file contains this")
    parser.add_argument("--timeout", type=int, default=30,
                        help="seconds per test (the whole suite runs in seconds)")
    parser.add_argument("--report", default="", help="also write the summary to this file")
    parser.add_argument("--cache", default="", help="folder keeping each fault's built library")
    parser.add_argument("--restore", action="store_true")
    parser.add_argument("--check", action="store_true", help="only check that every fault applies")
    args = parser.parse_args()
    args.build = str(Path(args.build).resolve())

    restored = restore_backup()
    if args.restore:
        return 0 if restored else 1
    mutations = [m for m in parse(args.list) if args.only in m.path]
    problems = check(mutations)
    if problems or args.check:
        print("\n".join(problems) or f"{len(mutations)} faults apply cleanly")
        return 1 if problems else 0

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGHUP, on_signal)
    code, output = run(["cmake", "--build", args.build, "-j2"], 3600)
    if code != 0:
        print(output[-3000:])
        print("the unmutated tree does not build")
        return 1
    quick = quick_programs_that_pass(args, mutations)
    library = library_file(args)
    pristine = library.with_name(library.name + ".unmutated")
    shutil.copy2(library, pristine)

    caught, survived, broken = [], [], []
    started = time.time()
    try:
        for m in mutations:
            path = ROOT / m.path
            original = path.read_bytes()
            BACKUP.write_bytes(m.path.encode() + b"\n" + original)
            try:
                path.write_bytes(original.decode().replace(m.old, m.new, 1).encode())
                t0 = time.time()
                ok, output = mutant_library(args, m)
                if not ok:
                    broken.append(m)
                    verdict = "DOES NOT COMPILE"
                else:
                    how = run_tests(args, m, quick)
                    (caught if how else survived).append(m)
                    verdict = f"caught ({how})" if how else "SURVIVED"
            finally:
                path.write_bytes(original)
                BACKUP.unlink()
            print(f"#{m.number:3} {m.path}: {m.description}: {verdict} [{time.time() - t0:.0f}s]",
                  flush=True)
    except (KeyboardInterrupt, Stop) as stop:
        print(f"interrupted ({stop or 'Ctrl-C'}); the source is restored")
    finally:
        shutil.copy2(pristine, library)  # as built from the restored source
        pristine.unlink()

    total = len(caught) + len(survived)
    lines = [f"caught {len(caught)}/{total} "
             f"({100.0 * len(caught) / total if total else 0:.1f}%) in {time.time() - started:.0f}s"]
    if broken:
        lines.append("not compiled (not counted): " + ", ".join(f"#{m.number}" for m in broken))
    lines += [f"survived #{m.number} {m.path}: {m.description}" for m in survived]
    print("\n".join(lines))
    if args.report:
        Path(args.report).write_text("\n".join(lines) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())

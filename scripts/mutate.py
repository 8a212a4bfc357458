#!/usr/bin/env python3
"""Mutation testing of the product code, driven by scripts/mutate (which prepares the scratch
tree, its build folder and the Wine environment before it calls this).

A mutant is one small textual change to one product file: a curated one from tests/mutants.txt
(a safety rule, a row policy, a stop path removed or turned), or an operator mutant generated
from the product sources (a comparison or logical operator turned, a boolean result flipped, a
call dropped, a constant one off), sampled with a seed so that a run can be repeated. Each
mutant is applied to the scratch copy alone, built incrementally, and the tests run, the ones
named for it first, then the rest, stopping at the first failure. The file is put back whatever
happens. One line per mutant, then the score.
"""
import argparse
import os
import random
import re
import subprocess
import sys
import time

PRODUCT_FOLDERS = ("app", "base", "registry", "paths", "install")

# The ctest entries a mutant of each folder most likely meets first; the rest follow in ctest's
# own order.
FIRST_TESTS = {
    "base": ["base_tests_wine"],
    "registry": ["platform_tests", "settings_tests"],
    "paths": ["platform_tests"],
    "install": ["install_tests", "settings_tests", "fault_tests", "end_to_end_tests"],
    "app": ["app_tests"],
}


class Mutant:
    def __init__(self, ident, path, find, replace, tests, rule="", line=0, by_line=False):
        self.ident, self.path, self.find, self.replace = ident, path, find, replace
        self.tests, self.rule, self.line, self.by_line = tests, rule, line, by_line

    def apply(self, text):
        """The mutated text, or None when the mutant does not apply: a curated text must be
        found exactly once; an operator mutant names its line by number."""
        if self.by_line:
            lines = text.split("\n")
            if not 0 < self.line <= len(lines) or lines[self.line - 1] != self.find:
                return None
            lines[self.line - 1] = self.replace
            return "\n".join(lines)
        return text.replace(self.find, self.replace) if text.count(self.find) == 1 else None


def parse_curated(list_path):
    """Blocks of `key: value` lines, `- text` (found exactly once) and `+ text` (put in its
    place; in both, "<NL>" is a line break), separated by blank lines; `#` starts a comment
    line."""
    mutants, block, start = [], {}, 0
    def finish():
        if not block:
            return
        missing = [k for k in ("id", "file", "-", "+") if k not in block]
        if missing:
            raise SystemExit(f"{list_path}:{start}: mutant without {', '.join(missing)}")
        mutants.append(Mutant(block["id"], block["file"], block["-"], block["+"],
                              block.get("tests", "").split(), block.get("rule", ""), start))
    with open(list_path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if line.startswith("#"):
                continue
            if not line.strip():
                finish()
                block = {}
                continue
            if not block:
                start = number
            if line[:2] in ("- ", "+ "):
                # "<NL>" stands for a line break, so that a mutant can name a line by its context.
                if line[0] in block:
                    raise SystemExit(f"{list_path}:{number}: a second '{line[0]}' line in one mutant")
                block[line[0]] = line[2:].replace("<NL>", "\n")
            elif ": " in line:
                key, value = line.split(": ", 1)
                block[key] = value
            else:
                raise SystemExit(f"{list_path}:{number}: not a mutant line: {line}")
    finish()
    return mutants


def check_applies(root, mutants):
    """Every curated mutant's text is found exactly once in its file: the list cannot rot."""
    bad = []
    for m in mutants:
        try:
            text = open(os.path.join(root, m.path), encoding="latin-1").read()
        except OSError as e:
            bad.append(f"{m.ident} (line {m.line}): {m.path}: {e.strerror}")
            continue
        count = text.count(m.find)
        if count != 1:
            bad.append(f"{m.ident} (line {m.line}): found {count} times in {m.path}: {m.find}")
    return bad


# Operator mutants: (name, pattern, replacement). Each match on a code line is one candidate.
OPERATORS = [
    ("== to !=", r"==", "!="),
    ("!= to ==", r"!=", "=="),
    ("<= to <", r"<=", "<"),
    (">= to >", r">=", ">"),
    ("< to <=", r"(?<![<-])<(?![<=])", "<="),
    ("> to >=", r"(?<![->])>(?![>=])", ">="),
    ("&& to ||", r"&&", "||"),
    ("|| to &&", r"\|\|", "&&"),
    ("true to false", r"\btrue\b", "false"),
    ("false to true", r"\bfalse\b", "true"),
    ("! dropped", r"(?<=[(\s])!(?=[A-Za-z_(])", ""),
    ("constant + 1", r"(?<![\w.])(\d+)(?![\w.])", None),
]
CALL_STATEMENT = re.compile(r"^(\s*)([A-Za-z_][\w:.>-]*\(.*\);)\s*$")


def code_lines(text):
    """(number, line) of the lines that are code: not comments, includes, or inside templates
    and declarations the operators would only break the build with."""
    for number, line in enumerate(text.split("\n"), 1):
        stripped = line.strip()
        if not stripped or stripped.startswith(("//", "#", "*", "/*")):
            continue
        if "template <" in stripped or stripped.startswith(("static_assert", "using ", "typedef")):
            continue
        yield number, line


def strip_strings(line):
    """The line with string and character literals blanked, so that operators inside them are
    not taken; positions stay the same."""
    return re.sub(r'"(\\.|[^"\\])*"|\'(\\.|[^\'\\])*\'', lambda m: " " * len(m.group(0)), line)


def operator_mutants(root):
    candidates = []
    for folder in PRODUCT_FOLDERS:
        for name in sorted(os.listdir(os.path.join(root, folder))):
            if not name.endswith(".cpp"):
                continue
            path = f"{folder}/{name}"
            text = open(os.path.join(root, path), encoding="latin-1").read()
            for number, line in code_lines(text):
                code = strip_strings(line)
                if "//" in code:
                    code = code[:code.index("//")]
                for label, pattern, replacement in OPERATORS:
                    for match in re.finditer(pattern, code):
                        if label.startswith(("< ", "> ")) and re.search(r"_cast<|\w<[\w\s:*&,]*>", code):
                            continue  # a template argument list, not a comparison
                        if replacement is None:
                            value = int(match.group(1))
                            new = line[:match.start()] + str(value + 1) + line[match.end():]
                        else:
                            new = line[:match.start()] + replacement + line[match.end():]
                        candidates.append((path, number, match.start() + 1, line, new, label))
                call = CALL_STATEMENT.match(code)
                if call and not re.match(r"\s*(return|if|for|while|else|case)\b", code):
                    candidates.append((path, number, 1, line, call.group(1) + "(void)0;  // call dropped",
                                       "call dropped"))
    return candidates


def make_operator_mutant(candidate):
    path, number, column, line, new, label = candidate
    return Mutant(f"{path}:{number}:{column} {label}", path, line, new, [], line=number, by_line=True)


def run(command, timeout, log):
    """Runs a command; returns (exit code or None when it ran out of time, output)."""
    try:
        done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout,
                              text=True, errors="replace")
        out = done.stdout
        code = done.returncode
    except subprocess.TimeoutExpired as e:
        out = (e.stdout or b"").decode(errors="replace") if isinstance(e.stdout, bytes) else (e.stdout or "")
        code = None
    log.write(f"$ {' '.join(command)}\n{out}\n")
    log.flush()
    return code, out


def end_stray_windows_processes():
    # A hung mutant leaves its setup.exe and dialogs behind; the next test would meet them.
    subprocess.run(["wineserver", "-k"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wine", "wineboot"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)


def test_order(build, first):
    out = subprocess.run(["ctest", "-N"], cwd=build, stdout=subprocess.PIPE, text=True).stdout
    every = re.findall(r"Test\s+#\d+: (\S+)", out)
    return [t for t in first if t in every] + [t for t in every if t not in first]


def baseline_limits(path, floor):
    """Each test program's time limit: five times what it took without a mutant, at least
    `floor` seconds, so that a mutant that hangs costs minutes, not the whole limit."""
    limits = {}
    if path and os.path.exists(path):
        for name, seconds in re.findall(r"Test\s+#\d+: (\S+) \.+\s+Passed\s+([\d.]+) sec", open(path).read()):
            limits[name] = max(floor, int(5 * float(seconds)))
    return limits


# The portable core, also built natively: its tests there run under the sanitizers, which see
# what Wine's runs cannot (a leak, a read past a block).
PORTABLE = {"base/code_page.cpp", "base/text_buffer.cpp", "base/folder_part.cpp", "base/format.cpp",
            "base/command_line.cpp", "base/sha256.cpp", "paths/path_token.cpp", "install/shell_flags.cpp"}


def try_native(m, native, log):
    """For a mutant of the portable core: (verdict, detail) from the native tests, or None."""
    if not native or m.path not in PORTABLE:
        return None
    code, out = run(["cmake", "--build", native, "-j", str(os.cpu_count() or 2)], 1800, log)
    if code != 0:
        return None
    code, out = run(["ctest", "--test-dir", native, "--output-on-failure", "--timeout", "120"], 400, log)
    if code is None or "***Timeout" in out:
        return "timed out", "killed by its time limit in the native tests"
    if code != 0:
        cases = sorted(set(re.findall(r"\[  FAILED  \] (\w+\.\w+)", out)))
        sanitizer = re.search(r"ERROR: (\w+Sanitizer: [\w-]+)|runtime error", out)
        return "killed", "by the native tests" + (f" ({', '.join(cases[:3])})" if cases else "") + (
            f" [{sanitizer.group(0)}]" if sanitizer else "")
    return None


def tidy_drive(drive, known):
    """Removes what a mutant left at the top of the prefix's C: drive (a folder installed into
    the root, say), which would fail the next mutant's tests for a fault not its own."""
    import shutil
    if not drive:
        return
    for name in set(os.listdir(drive)) - known:
        path = os.path.join(drive, name)
        if os.path.isdir(path) and not os.path.islink(path):
            shutil.rmtree(path, ignore_errors=True)
        else:
            os.remove(path)


def bind_copy(tree, build, log):
    """The bound copy of the mutant's setup.exe that the tests of a bound release install, as
    the test command's release check leaves it."""
    bound = os.path.join(build, "bound", "setup.exe")
    os.makedirs(os.path.dirname(bound), exist_ok=True)
    if os.path.exists(bound):
        os.remove(bound)
    code, _ = run([os.path.join(tree, "scripts", "bind"), os.path.join(build, "setup.exe"),
                   os.path.join(build, "demo", "source"), bound], 120, log)
    return code


def try_mutant(m, tree, build, timeout, log, limits=None, native=None, release=None):
    """Returns (verdict, detail): killed / survived / timed out / did not build / not applied."""
    path = os.path.join(tree, m.path)
    with open(path, "rb") as f:
        original = f.read()
    mutated = m.apply(original.decode("latin-1"))
    if mutated is None:
        return "not applied", "its text is not where it was"
    try:
        with open(path, "wb") as f:
            f.write(mutated.encode("latin-1"))
        log.write(f"\n==== {m.ident}\n- {m.find}\n+ {m.replace}\n")
        verdict = try_native(m, native, log)
        if verdict:
            return verdict
        code, out = run(["cmake", "--build", build, "-j", str(os.cpu_count() or 2)], 1800, log)
        if code == 0 and release:
            # The i686 release's own checks (its instructions, its budget) where the tests run
            # another flavour.
            code, out = run(["cmake", "--build", release, "-j", str(os.cpu_count() or 2), "--target", "setup"], 1800, log)
        if code == 0:
            code = bind_copy(tree, build, log)
        if code != 0:
            # The checks of every link (scripts/check-artefact) are tests too: a mark lost or
            # the budget passed fails the build on purpose.
            caught = re.search(r"setup\.exe (lacks the mark \w+|has no relocations|is \d+ bytes, over its budget"
                               r"|imports non-system DLLs|is marked \w+|imports \w+!\w+, which [^:]*"
                               r"|holds instructions an i486 does not have)", out)
            if caught:
                return "killed", f"by the link's check ({caught.group(0)})"
            return "did not build", ""
        first = m.tests or FIRST_TESTS.get(m.path.split("/")[0], [])
        for test in test_order(build, first):
            started = time.time()
            limit = (limits or {}).get(test, timeout)
            code, out = run(["ctest", "--test-dir", build, "-R", f"^{test}$", "--output-on-failure",
                             "--timeout", str(limit)], limit + 60, log)
            if code is None or "***Timeout" in out:
                end_stray_windows_processes()
                return "timed out", f"killed by its time limit in {test} ({int(time.time() - started)} s)"
            if code != 0:
                cases = sorted(set(re.findall(r"\[  FAILED  \] (\w+\.\w+)", out)))
                return "killed", f"by {test}" + (f" ({', '.join(cases[:3])})" if cases else "")
        return "survived", ""
    finally:
        with open(path, "wb") as f:
            f.write(original)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--root", required=True, help="the source tree: the curated list and the code it mutates")
    parser.add_argument("--tree", help="the scratch copy that mutants are applied to (the same sources)")
    parser.add_argument("--build", help="the scratch copy's build folder")
    parser.add_argument("--check", action="store_true", help="only check that every curated mutant applies")
    parser.add_argument("--list", default="tests/mutants.txt", help="the curated list, relative to the root")
    parser.add_argument("--seed", type=int, default=2026)
    parser.add_argument("--operators", type=int, default=40, help="operator mutants to sample (0: none)")
    parser.add_argument("--no-curated", action="store_true")
    parser.add_argument("--only", nargs="*", help="run only the mutants whose id contains one of these")
    parser.add_argument("--timeout", type=int, default=600, help="seconds for one test program at most")
    parser.add_argument("--drive", help="the Wine prefix's C: drive, tidied after each mutant")
    parser.add_argument("--native", help="the scratch copy's native build folder (sanitizers)")
    parser.add_argument("--release", help="the scratch copy's i686 release folder, where the tests run another flavour")
    parser.add_argument("--baseline", help="ctest's log of the unmutated run: each program's limit is five times its time")
    parser.add_argument("--dry-run", action="store_true", help="print the mutants without running them")
    args = parser.parse_args()

    curated = parse_curated(os.path.join(args.root, args.list))
    if args.check:
        bad = check_applies(args.root, curated)
        for line in bad:
            print(f"mutants: {args.list}: {line}")
        print(f"mutants: {len(curated)} curated, {len(curated) - len(bad)} apply"
              + ("" if not bad else f", {len(bad)} no longer apply"))
        return 1 if bad else 0

    bad = check_applies(args.root, curated)
    if bad:
        for line in bad:
            print(f"mutants: {args.list}: {line}")
        return 1
    mutants = [] if args.no_curated else curated
    operators = []
    if args.operators > 0:
        candidates = operator_mutants(args.root)
        picked = random.Random(args.seed).sample(candidates, min(args.operators, len(candidates)))
        operators = [make_operator_mutant(c) for c in sorted(picked)]
        print(f"operator mutants: {len(operators)} of {len(candidates)} candidates, seed {args.seed}")
    mutants = mutants + operators
    if args.only:
        mutants = [m for m in mutants if any(o in m.ident for o in args.only)]
    if args.dry_run:
        for m in mutants:
            print(f"{m.ident}\n  - {m.find.strip()}\n  + {m.replace.strip()}")
        return 0

    log_path = os.path.join(args.build, "mutate.log")
    limits = baseline_limits(args.baseline, 60)
    known = set(os.listdir(args.drive)) if args.drive else set()
    tally = {}
    curated_ids = {m.ident for m in curated}
    with open(log_path, "w") as log:
        for index, m in enumerate(mutants, 1):
            started = time.time()
            verdict, detail = try_mutant(m, args.tree, args.build, args.timeout, log, limits, args.native, args.release)
            tidy_drive(args.drive, known)
            kind = "curated" if m.ident in curated_ids else "operator"
            tally.setdefault(kind, {}).setdefault(verdict, 0)
            tally[kind][verdict] += 1
            print(f"[{index}/{len(mutants)}] {kind} {m.ident}: {verdict}{' ' + detail if detail else ''}"
                  f" ({int(time.time() - started)} s)", flush=True)
            if verdict == "survived":
                print(f"    - {m.find.strip()}\n    + {m.replace.strip()}", flush=True)
    for kind, counts in tally.items():
        total = sum(counts.values())
        caught = counts.get("killed", 0) + counts.get("timed out", 0)
        built = total - counts.get("did not build", 0)
        score = 100.0 * caught / built if built else 0.0
        parts = ", ".join(f"{v} {k}" for k, v in sorted(counts.items()))
        print(f"score ({kind}): {caught} of {built} built mutants killed, {score:.1f} % ({parts})")
    print(f"log: {log_path}")
    return 0


if __name__ == "__main__":
    sys.exit(main())

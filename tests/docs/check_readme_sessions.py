"""The console sessions of the README are what voxmill prints.

    check_readme_sessions.py README VOXMILL EXAMPLES SCRATCH

Every ```console block of the README is a session: lines beginning with "$ "
are commands, the lines up to the next command are their output (standard
output and standard error). Each block runs in its own copy of the examples'
input files, under sh, with voxmill first on PATH. The CPU time is the one figure
that may differ.
"""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

readme, voxmill, examples, scratch = Path(sys.argv[1]), Path(sys.argv[2]), Path(sys.argv[3]), Path(sys.argv[4])
MARK = "@@voxmill-readme-command@@"


def sessions(text):
    """(first line number, [(command, expected output lines)]) for each console block."""
    for block in re.finditer(r"^```console\n(.*?)^```$", text, flags=re.M | re.S):
        steps = []
        for line in block.group(1).splitlines():
            if line.startswith("$ "):
                steps.append((line[2:], []))
            else:
                steps[-1][1].append(line)
        yield text.count("\n", 0, block.start()) + 1, steps


def without_cpu_time(lines):
    return [re.sub(r"^ CPU time \(s\): .{8}$", " CPU time (s): <seconds>", line) for line in lines]


def run(steps, cwd):
    # A mark before each command splits the output; the status of the command
    # before is carried across the mark, so that "echo $?" shows it.
    script = ["exec 2>&1"]
    for command, _ in steps:
        script += ["__status=$?", f"echo {MARK}", "(exit $__status)", command]
    env = dict(os.environ, PATH=f"{voxmill.parent}{os.pathsep}{os.environ['PATH']}")
    output = subprocess.run(["sh", "-c", "\n".join(script)], cwd=cwd, env=env, capture_output=True, text=True).stdout
    return [part.splitlines() for part in output.split(MARK + "\n")[1:]]


failures = 0
for number, (line, steps) in enumerate(sessions(readme.read_text())):
    cwd = scratch / f"session-{number}"
    shutil.rmtree(cwd, ignore_errors=True)
    # Only the inputs: a checkout may hold results of earlier runs, as the README's first command leaves.
    shutil.copytree(examples, cwd / "examples", ignore=shutil.ignore_patterns("*.xsf", "*.vasp", "*.cube", "CHGPLANE",
                                                                          "POTPLANE", "SLICE.*", "STM.*"))
    outputs = run(steps, cwd)
    if len(outputs) != len(steps):
        failures += 1
        print(f"README.md:{line}: the session stopped after {len(outputs)} of {len(steps)} commands")
    for (command, expected), actual in zip(steps, outputs):
        if without_cpu_time(actual) != without_cpu_time(expected):
            failures += 1
            print(f"README.md:{line}: $ {command}\n--- README\n" + "\n".join(expected)
                  + "\n--- voxmill\n" + "\n".join(actual))
if failures:
    sys.exit(1)

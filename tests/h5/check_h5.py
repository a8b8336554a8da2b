"""VASP 6's HDF5 files read as the CHGCAR-family files with the same numbers.

    check_h5.py VOXMILL EXAMPLES SCRATCH GROUP

GROUP same: every option on every bundled example gives, from vaspwave.h5 (or
vaspout.h5 for the potentials), the result files of the CHGCAR run byte for
byte and its console but for the file names and the version line. GROUP
layouts: the structure from the file itself, from intermediate/ion_dynamics,
with a [1, 3, 3] lattice and Cartesian positions; partial charges summed and
one band. GROUP malformed: broken files end with a located message, exit
status 1 and nothing written. Files come from scripts/make-vasp-h5.
"""

import re
import shutil
import subprocess
import sys
from importlib.machinery import SourceFileLoader
from pathlib import Path

VOXMILL, EXAMPLES, SCRATCH, GROUP = sys.argv[1], Path(sys.argv[2]), Path(sys.argv[3]) / sys.argv[4], sys.argv[4]
try:
    import numpy as np
    make = SourceFileLoader("make_vasp_h5", str(EXAMPLES.parent / "scripts" / "make-vasp-h5")).load_module()
except ImportError as missing:
    print(f"skipped: {missing.name} is not installed (Debian package python3-h5py)")
    sys.exit(77)

failures = []


def check(name, condition, detail=""):
    print(("ok     " if condition else "FAILED ") + name + ("" if condition else ": " + detail))
    if not condition:
        failures.append(name)


def run(args, cwd):
    result = subprocess.run([VOXMILL, *args], cwd=cwd, capture_output=True, text=True)
    return result.returncode, result.stdout, result.stderr


def fresh(name):
    shutil.rmtree(SCRATCH / name, ignore_errors=True)
    (SCRATCH / name).mkdir(parents=True)
    return SCRATCH / name


def results(folder):
    return {p.name: p.read_bytes() for p in folder.iterdir() if p.is_file() and not re.match(r"CHGCAR\d?$|POTCAR|.*\.h5$", p.name)}


def console(text):
    """The console with the names of the inputs and the lines of their layout taken out."""
    text = re.sub(r"CPU time \(s\): .{8}", "CPU time", text)
    text = re.sub(r"Reading \S+, please wait", "Reading", text)
    return re.sub(r" \.\.\.\S+ version: \w+\n| POTCAR existence: OK\n", "", text)


def same(name, option, texts, wave, extra=(), potcar=None):
    """The run of `option` on the CHGCAR-family files `texts` and on the HDF5 files that `wave`
    writes for each of them into a folder of its own, f0 to fN."""
    text_dir, h5_dir = fresh(name + "/text"), fresh(name + "/h5")
    names = ["CHGCAR", "CHGCAR1", "CHGCAR2"][: len(texts)]
    for file, text in zip(names, texts):
        (text_dir / file).write_text(text)
    if potcar:
        shutil.copy(potcar, text_dir / "POTCAR")
    h5_names = []
    for n, file in enumerate(names):
        (h5_dir / f"f{n}").mkdir()
        h5_names.append(wave(h5_dir / f"f{n}", make.read_chgcar(text_dir / file, potcar)))
    expected, got = run([option, *names], text_dir), run([option, *extra, *h5_names], h5_dir)
    label = f"{name} {option} {' '.join(extra)}"
    check(label + ": status and console", expected[0] == got[0] == 0 and console(expected[1]) == console(got[1])
          and f" ...{h5_names[0]} version: HDF5\n" in got[1], got[1] + got[2])
    check(label + ": result files", results(text_dir) == results(h5_dir) and results(h5_dir), str(results(h5_dir).keys()))


def beside(folder, chgcar):
    """vaspwave.h5 with the vaspout.h5 of its structure beside it."""
    make.write_vaspwave(folder / "vaspwave.h5", chgcar)
    make.write_vaspout(folder / "vaspout.h5", chgcar)
    return f"{folder.name}/vaspwave.h5"


def own(folder, chgcar):
    make.write_vaspwave(folder / "vaspwave.h5", chgcar, own_structure=True)
    return f"{folder.name}/vaspwave.h5"


def layout(kind):
    def write(folder, chgcar):
        make.write_vaspwave(folder / "vaspwave.h5", chgcar)
        make.write_vaspout(folder / "vaspout.h5", chgcar, layout=kind)
        return f"{folder.name}/vaspwave.h5"
    return write


def potential(folder, chgcar):
    make.write_vaspout(folder / "vaspout.h5", chgcar, potential={"total": make.components(chgcar)})
    return f"{folder.name}/vaspout.h5"


def example(name, file="CHGCAR"):
    return (EXAMPLES / name / file).read_text()


def with_cartesian(text):
    """The file with its positions Cartesian, in the lattice's units, written exactly."""
    lines = text.splitlines(keepends=True)
    at = next(n for n, line in enumerate(lines) if line.strip().lower().startswith("direct"))
    lattice = np.array([[float(x) for x in lines[2 + i].split()] for i in range(3)])
    count = sum(int(n) for n in lines[at - 1].split())
    for n in range(at + 1, at + 1 + count):
        r = np.array([float(x) for x in lines[n].split()]) @ lattice
        lines[n] = " ".join(repr(float(x)) for x in r) + "\n"
    lines[at] = "Cartesian\n"
    return "".join(lines)


def chgcar_of(chgcar, blocks):
    """A CHGCAR of `chgcar`'s structure holding `blocks`, every value written exactly."""
    out = [chgcar["title"], repr(chgcar["scale"])] + [" ".join(map(repr, v)) for v in chgcar["lattice"]]
    out += [" ".join(chgcar["species"]), " ".join(map(str, chgcar["counts"])), "Direct"]
    out += [" ".join(map(repr, p)) for p in chgcar["positions"]] + [""]
    for block in blocks:
        out += ["".join(f"{n:5d}" for n in chgcar["grid"])] + [repr(float(v)) for v in block.ravel()]
    return "\n".join(out) + "\n"


DENSITY = ["-c", "-s", "-x", "-i", "-ia", "-ib", "-ic"]
if GROUP == "same":
    for name in ["nonspin", "spin", "noncollinear", "slab", "interface"]:
        for option in DENSITY:
            same(name, option, [example(name)], beside)
    for option in DENSITY:
        same("old-layout", option, [example("old-layout")], beside, potcar=EXAMPLES / "old-layout" / "POTCAR")
    for option in ["-p", "-pa", "-pb", "-pc"]:
        same("slab-potential", option, [example("slab-potential", "LOCPOT")], potential)
    for option in ["-dc", "-ds"]:
        for name in ["spin", "noncollinear"]:
            same(f"{name}-copies", option, [example(name)] * 3, own)
        same("interface", option, [example("interface", f) for f in ["CHGCAR", "CHGCAR1", "CHGCAR2"]], beside)
    same("aeccar", "-a", [example("aeccar", "AECCAR0"), example("aeccar", "AECCAR2")], own)
    same("interface", "-a", [example("interface", f) for f in ["CHGCAR1", "CHGCAR2"]], beside)

if GROUP == "layouts":
    for kind, names in [("dynamics", ["nonspin", "spin"]), ("lattice133", ["spin"]), ("positions", ["noncollinear"])]:
        for name in names:
            for option in ["-c", "-x"]:
                same(f"{kind}-{name}", option, [example(name)], layout(kind))
    for name in ["nonspin", "slab"]:
        same(f"cartesian-{name}", "-c", [with_cartesian(example(name))], beside)
        same(f"own-{name}", "-x", [example(name)], own)
    # Partial charges of 2 k-points, 3 bands and both spin components, from the spin example's blocks.
    spin = make.read_chgcar(EXAMPLES / "spin" / "CHGCAR")
    weights = np.arange(1, 7).reshape(2, 3, 1, 1, 1, 1) / 7
    parchg = np.stack([np.stack(spin["blocks"])] * 3)[None].repeat(2, 0) * weights
    for extra, picked in [((), [(k, b) for k in range(2) for b in range(3)]), (("--band=8",), [(0, 1), (1, 1)]),
                          (("--kpoint=2",), [(1, b) for b in range(3)]), (("--band=9", "--kpoint=1"), [(0, 2)])]:
        sums = [parchg[picked[0]][s].copy() for s in range(2)]
        for k, b in picked[1:]:
            for s in range(2):
                sums[s] += parchg[k, b, s]

        def partial(folder, chgcar):
            make.write_vaspout(folder / "vaspout.h5", chgcar, partial=(parchg, [7, 8, 9], [1, 2]))
            return f"{folder.name}/vaspout.h5"
        for option in ["-c", "-s", "-x"]:
            same("partial", option, [chgcar_of(spin, sums)], partial, extra)

if GROUP == "malformed":
    spin = make.read_chgcar(EXAMPLES / "spin" / "CHGCAR")

    def edited(edit, write=make.write_vaspwave, **keywords):
        def make_file(path):
            write(path, spin, **keywords)
            with make.h5py.File(path, "a") as file:
                edit(file)
        return make_file

    def replace(name, values):
        def edit(file):
            del file[name]
            file[name] = values
        return edit

    def cut(size):
        def make_file(path):
            make.write_vaspwave(path, spin, own_structure=True)
            path.write_bytes(path.read_bytes()[:size])
        return make_file

    def corrupted(path):
        make.write_vaspwave(path, spin, own_structure=True)
        data = bytearray(path.read_bytes())
        data[8:16] = b"\xff" * 8  # the superblock's versions
        path.write_bytes(bytes(data))

    charge = np.stack(spin["blocks"])
    CASES = [  # file maker, options, file name, the message
        (cut(3000), [], "vaspwave.h5", "vaspwave.h5: not a readable HDF5 file (truncated file"),
        (corrupted, [], "vaspwave.h5", "vaspwave.h5: not a readable HDF5 file ("),
        (edited(replace("charge/charge", charge.astype(np.float32)), own_structure=True), [], "vaspwave.h5",
         "vaspwave.h5: charge/charge: expected 64-bit floating point, found 32-bit floating point"),
        (edited(replace("charge/charge", charge.astype(np.int32)), own_structure=True), [], "vaspwave.h5",
         "vaspwave.h5: charge/charge: expected 64-bit floating point, found 32-bit integers"),
        (edited(replace("charge/charge", charge[0]), own_structure=True), [], "vaspwave.h5",
         "vaspwave.h5: charge/charge: expected [components, NZ, NY, NX], found shape [2, 2, 3]"),
        (edited(replace("charge/charge", np.concatenate([charge, charge[:1]])), own_structure=True), [], "vaspwave.h5",
         "vaspwave.h5: charge/charge: expected 1, 2 or 4 components (no spin, collinear, non-collinear), found 3"),
        (edited(replace("charge/grid", np.array([3, 2, 3])), own_structure=True), [], "vaspwave.h5",
         "vaspwave.h5: charge/charge: expected the grid of charge/grid as its last extents [NZ, NY, NX], found [2, 2, 3]"),
        (edited(replace("structure/positions/position_ions", np.zeros((3, 3))), own_structure=True), [], "vaspwave.h5",
         "vaspwave.h5: structure/positions/position_ions: expected [2, 3] for the atoms of number_ion_types, found shape [3, 3]"),
        (edited(replace("structure/positions/ion_types", np.array([1])), own_structure=True), [], "vaspwave.h5",
         "vaspwave.h5: structure/positions/ion_types: expected strings, found 64-bit integers"),
        (edited(replace("structure/positions/system", "Fe bcc"), own_structure=True), [], "vaspwave.h5",
         "vaspwave.h5: structure/positions/system: expected fixed-length strings, as VASP writes them, found variable"),
        (lambda path: make.h5py.File(path, "w").create_group("other"), [], "x.h5",
         "x.h5: expected the group charge of a vaspwave.h5 or the group results of a vaspout.h5, found neither"),
        (edited(lambda f: None), [], "vaspwave.h5",
         "vaspwave.h5: holds no structure (group structure), and no vaspout.h5 lies beside it to take it from"),
        (edited(lambda f: None, make.write_vaspout), ["-p"], "vaspout.h5",
         "vaspout.h5: holds no results/potential/total: VASP writes it with WRT_POTENTIAL = total in the INCAR"),
        (edited(lambda f: None, make.write_vaspout), [], "vaspout.h5",
         "vaspout.h5: holds no partial charges (results/partial_charges/parchg): VASP writes them with LPARDH5"),
        (edited(lambda f: None), ["-p"], "vaspwave.h5",
         "vaspwave.h5: holds no potentials: the potential options read results/potential of a vaspout.h5"),
        (edited(lambda f: None, own_structure=True), ["-c", "--dataset=tau"], "vaspwave.h5",
         "vaspwave.h5: holds no kinetic energy density (kinetic_energy_density/values)"),
        (edited(lambda f: None, own_structure=True), ["-c", "--band=2"], "vaspwave.h5",
         "vaspwave.h5: --band and --kpoint select partial charges, which only a vaspout.h5 holds"),
        (edited(lambda f: None, make.write_vaspout, partial=(charge[None, None], [5], [1])), ["-c", "--band=4"],
         "vaspout.h5", "vaspout.h5: results/partial_charges/bands: holds no 4, only 5"),
        (lambda path: path.write_text(example("nonspin")), ["-c", "--band=2"], "CHGCAR",
         "CHGCAR: --dataset, --band and --kpoint choose what a VASP HDF5 file gives, and this is none"),
    ]
    for n, (make_file, options, name, message) in enumerate(CASES):
        folder = fresh(str(n))
        make_file(folder / name)
        before = sorted(p.name for p in folder.iterdir())
        status, out, err = run([*(options or ["-c"]), name], folder)
        check(f"{n}: {message}", status == 1 and err.startswith("voxmill: " + message)
              and sorted(p.name for p in folder.iterdir()) == before, f"status {status}, {err}{out[-300:]}")

print(f"{len(failures)} failed" if failures else "all passed")
sys.exit(1 if failures else 0)

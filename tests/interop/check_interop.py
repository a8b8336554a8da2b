"""voxmill's files in the tool chain of its users: ASE and pymatgen.

    check_interop.py VOXMILL EXAMPLES SCRATCH GROUP

GROUP is one of
  vasp      every .vasp result of every grid mode is read by pymatgen
            (Chgcar.from_file) and by ASE (VaspChargeDensity), and both grids
            equal the values voxmill wrote;
  xsf       every .xsf result is read by ASE's XSF reader with its data grid,
            and the values times the cell volume in cubic bohr equal the grid;
  chgcars   CHGCAR files written by pymatgen and by ASE are voxmill inputs, and
            voxmill reports the total charge and magnetisation they compute.

Where voxmill and the libraries disagree on the file layout by design, the
check applies the workaround the README gives (see "Working with ASE and
pymatgen") and says so in its name. Exits 77 (skipped) when the libraries are
missing.
"""

import io
import re
import shutil
import subprocess
import sys
import warnings
from pathlib import Path

try:
    import numpy as np
    from ase.calculators.vasp import VaspChargeDensity
    from ase.io.xsf import read_xsf
    from pymatgen.io.vasp.outputs import Chgcar
except ImportError as missing:
    print(f"skipped: {missing.name} is not installed (Debian packages python3-ase and python3-pymatgen)")
    sys.exit(77)

warnings.simplefilter("ignore")  # pymatgen warns about POTCAR-less structures

VOXMILL, EXAMPLES, SCRATCH, GROUP = sys.argv[1], Path(sys.argv[2]), Path(sys.argv[3]), sys.argv[4]

# voxmill's angstrom to bohr factor, 1.889726 as a single-precision number.
BOHR_PER_ANGSTROM = float(np.float32(1.889726))

# Every grid mode on inputs of each kind: (option, examples; for the
# differences the full system first). The old layout brings its POTCAR.
RUNS = [
    ("-c", ["nonspin"]), ("-c", ["spin"]), ("-c", ["noncollinear"]), ("-c", ["old-layout"]), ("-c", ["slab"]),
    ("-s", ["spin"]), ("-s", ["noncollinear"]), ("-s", ["nonspin"]), ("-s", ["old-layout"]),
    ("-x", ["spin"]), ("-x", ["noncollinear"]), ("-x", ["old-layout"]),
    ("-dc", ["spin", "nonspin", "noncollinear"]), ("-ds", ["noncollinear", "spin", "nonspin"]),
]

failures = []


def check(name, condition, detail=""):
    print(("ok     " if condition else "FAILED ") + name + ("" if condition else ": " + detail))
    if not condition:
        failures.append(name)


def run_voxmill(args, cwd):
    result = subprocess.run([VOXMILL, *args], cwd=cwd, capture_output=True, text=True)
    return result.returncode, result.stdout + result.stderr


def fresh_dir(name):
    path = SCRATCH / GROUP / name
    shutil.rmtree(path, ignore_errors=True)
    path.mkdir(parents=True)
    return path


def make_results():
    """Runs every grid mode in its own directory; yields (run name, directory)."""
    for option, examples in RUNS:
        name = option + "_" + "_".join(examples)
        cwd = fresh_dir(name)
        # Short local names: file arguments are cut at 80 characters.
        files = ["CHGCAR", "CHGCAR1", "CHGCAR2"][: len(examples)]
        for example, file in zip(examples, files):
            shutil.copy(EXAMPLES / example / "CHGCAR", cwd / file)
            if (EXAMPLES / example / "POTCAR").exists():
                shutil.copy(EXAMPLES / example / "POTCAR", cwd / "POTCAR")
        status, output = run_voxmill([option, *files], cwd)
        if status != 0:
            check(f"voxmill {option} on {examples}", False, output)
            continue
        yield name, cwd


def read_vasp_text(path):
    """The .vasp file as voxmill wrote it: (scaled lattice, species, counts, grid x-fastest as [x, y, z])."""
    lines = path.read_text().splitlines()
    scale = float(lines[1])
    lattice = np.array([[float(v) for v in line.split()] for line in lines[2:5]]) * scale
    species = lines[5].split()
    counts = [int(v) for v in lines[6].split()]
    grid_line = 8 + sum(counts) + 1
    dims = [int(v) for v in lines[grid_line].split()]
    values = np.array([float(v) for line in lines[grid_line + 1:] for v in line.split()])
    assert values.size == np.prod(dims), f"{path}: {values.size} values for a {dims} grid"
    return lattice, species, counts, values.reshape(dims[::-1]).transpose()


def element_names(path):
    """Rewrites the species line to element symbols ("Ga_d" becomes "Ga"), as the README tells."""
    lines = path.read_text().splitlines(keepends=True)
    names = [re.match(r"[A-Za-z]+", label).group(0) for label in lines[5].split()]
    lines[5] = "".join(f"{n:>5}" for n in names) + "\n"
    fixed = path.with_name(path.name + ".elements")
    fixed.write_text("".join(lines))
    return fixed


def same_values(library, written):
    """Equal to the 15 significant digits voxmill writes."""
    return library.shape == written.shape and np.allclose(library, written, rtol=1e-14, atol=0)


def check_vasp_results():
    for run, cwd in make_results():
        for path in sorted(cwd.glob("*.vasp")):
            lattice, species, counts, grid = read_vasp_text(path)
            name = f"{run}/{path.name}"
            readable = path
            if any(not label.isalpha() for label in species):
                readable = element_names(path)
                name += " (species line as element symbols)"

            chgcar = Chgcar.from_file(str(readable))
            check(f"pymatgen reads {name}", same_values(chgcar.data["total"], grid)
                  and np.allclose(chgcar.structure.lattice.matrix, lattice, atol=1e-6)
                  and len(chgcar.structure) == sum(counts),
                  f"max difference {np.max(np.abs(chgcar.data['total'] - grid)) if chgcar.data['total'].shape == grid.shape else 'shape'}")

            density = VaspChargeDensity(str(readable))
            atoms = density.atoms[-1]
            # ASE divides by the cell volume on reading.
            ase_grid = density.chg[-1] * atoms.get_volume()
            check(f"ASE reads {name}", len(density.chg) == 1 and same_values(ase_grid, grid)
                  and np.allclose(atoms.cell[:], lattice, atol=1e-6) and len(atoms) == sum(counts),
                  f"{len(density.chg)} blocks")


def xsf_with_element_labels(text):
    """The atom labels of PRIMCOORD without voxmill's colon ("Fe:" becomes "Fe"), as the README tells."""
    lines = text.splitlines(keepends=True)
    start = next(i for i, line in enumerate(lines) if line.strip() == "PRIMCOORD") + 2
    count = int(lines[start - 1].split()[0])
    for i in range(start, start + count):
        label, rest = lines[i][:3], lines[i][3:]
        lines[i] = re.match(r" *[A-Za-z]*", label).group(0).rjust(3) + rest
    return "".join(lines)


def check_xsf_results():
    for run, cwd in make_results():
        for path in sorted(cwd.glob("*.xsf")):
            lattice, _, counts, grid = read_vasp_text(path.with_suffix(".vasp"))
            data, atoms = read_xsf(io.StringIO(xsf_with_element_labels(path.read_text())), read_data=True)
            volume_bohr3 = abs(np.linalg.det(lattice)) * BOHR_PER_ANGSTROM**3
            check(f"ASE reads {run}/{path.name} (labels without colon)",
                  data.shape == grid.shape and np.allclose(data * volume_bohr3, grid, rtol=1e-13, atol=0)
                  and np.allclose(atoms.cell[:], lattice, atol=1e-6) and len(atoms) == sum(counts),
                  f"grid {data.shape}, expected {grid.shape}")


def report_figures(output):
    """Total charge and magnetisation as voxmill prints them."""
    charge = re.search(r"Total charge    = (.{8})", output)
    magnetisation = re.search(r"Magnetization   = (.{8})", output)
    return (charge.group(1), magnetisation.group(1)) if charge and magnetisation else None


def printed(value):
    return f"{value:8.3f}"


def grid_lines_as_3i5(path, dims):
    """Rewrites the grid lines to three fields of five columns, as the README tells."""
    pattern = re.compile(r"^ *%d +%d +%d *$" % tuple(dims))
    lines = [f"{dims[0]:5d}{dims[1]:5d}{dims[2]:5d}" if pattern.match(line) else line
             for line in path.read_text().splitlines()]
    fixed = path.with_name(path.name + ".3i5")
    fixed.write_text("\n".join(lines) + "\n")
    return fixed


def check_library_chgcars():
    cwd = fresh_dir("chgcars")

    # pymatgen reads neither the spin example (a Fortran number without its E,
    # 0.12500000000-101) nor writes the slab (no augmentation part).
    for example in ["nonspin", "noncollinear"]:
        path = cwd / f"pymatgen-{example}"
        Chgcar.from_file(str(EXAMPLES / example / "CHGCAR")).write_file(str(path))
        written = Chgcar.from_file(str(path))
        status, _ = run_voxmill(["-c", path.name], cwd)
        check(f"voxmill refuses pymatgen's {example} grid lines (not 3I5)", status == 1, f"exit status {status}")

        status, output = run_voxmill(["-c", grid_lines_as_3i5(path, written.dim).name], cwd)
        if "diff_x" in written.data:
            # voxmill's magnetisation is the mean length of the magnetisation vector.
            spin = np.linalg.norm([written.data[k] for k in ("diff_x", "diff_y", "diff_z")], axis=0)
        else:
            spin = written.data.get("diff", np.zeros_like(written.data["total"]))
        expected = (printed(written.data["total"].mean()), printed(spin.mean()))
        check(f"voxmill reads pymatgen's {example} (grid lines as 3I5)",
              status == 0 and report_figures(output) == expected, f"{report_figures(output)} != {expected}")

    for example in ["nonspin", "spin", "noncollinear", "slab"]:
        path = cwd / f"ase-{example}"
        VaspChargeDensity(str(EXAMPLES / example / "CHGCAR")).write(str(path), format="chgcar")
        written = VaspChargeDensity(str(path))
        volume = written.atoms[-1].get_volume()
        charge = written.chg[-1] * volume
        spin = written.chgdiff[-1] * volume if written.chgdiff else np.zeros_like(charge)
        expected = (printed(charge.mean()), printed(spin.mean()))
        status, output = run_voxmill(["-c", path.name], cwd)
        check(f"voxmill reads ASE's {example}", status == 0 and report_figures(output) == expected,
              f"{report_figures(output)} != {expected}\n{output}")


{"vasp": check_vasp_results, "xsf": check_xsf_results, "chgcars": check_library_chgcars}[GROUP]()
if failures:
    print(f"{len(failures)} check(s) failed")
    sys.exit(1)

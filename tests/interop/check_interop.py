"""voxmill's files read by ASE and pymatgen, and theirs read by voxmill.

    check_interop.py VOXMILL EXAMPLES SCRATCH GROUP

GROUP vasp: pymatgen (Chgcar.from_file) and ASE (VaspChargeDensity) read every
.vasp result of every grid mode with the grid voxmill wrote. GROUP xsf: ASE's
XSF reader reads every .xsf result, its values times the cell volume in cubic
bohr being that grid. GROUP chgcars: voxmill reads the CHGCAR files both write
and reports the total charge and magnetisation they compute. GROUP reductions:
voxmill's sum (-a) is the sum of pymatgen's grids, and its plane profiles are
pymatgen's averages along each axis, divided by the volume for -i. GROUP
structures: the generated files of many species and many atoms (a hexagonal
cell with Cartesian positions among them) give the structure pymatgen reads
from them, in voxmill's report and in both of its result files. GROUP
profiles: the macroscopic average of --macro is a numpy periodic convolution
of pymatgen's averages, a window one period wide flattens a periodic profile,
and the pictures of --plot are PNG files of their size with something drawn.
GROUP cube: ASE (read_cube_data) and pymatgen (Cube) read voxmill's cubes,
whose values times the cell volume in cubic bohr are the CHGCAR's grid to the
cube's five digits, with its atoms and cell; a cube read back by voxmill
gives the CHGCAR's grid to those digits; a cube written by ASE, read by
voxmill, comes out as the same cube. GROUP
interpolation: the tricubic interpolation of slices and STM images (the
program INTERPOLATE, the extra argument) is the Catmull-Rom cubic, that is the
cubic Hermite interpolation with central differences, of scipy along each axis
in turn on a random grid, and agrees with scipy's cubic spline interpolation
(map_coordinates, periodic) on a bundled example; GROUP maps: the pictures of
-slice and -stm decode (PIL) to a map of their table's shape, not blank.
A check that needs the README's workaround for a difference in layout made by
design ("Working with ASE and pymatgen") says so in its name. Exits 77
(skipped) when the libraries are missing.
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
    from ase.io.cube import read_cube_data, write_cube
    from ase.io.xsf import read_xsf
    from pymatgen.io.cube import Cube
    from pymatgen.io.vasp.outputs import Chgcar, Locpot
    from PIL import Image
    from scipy.interpolate import CubicHermiteSpline
    from scipy.ndimage import map_coordinates
except ImportError as missing:
    print(f"skipped: {missing.name} is not installed (Debian packages python3-ase and python3-pymatgen)")
    sys.exit(77)

warnings.simplefilter("ignore")  # pymatgen warns about POTCAR-less structures

VOXMILL, EXAMPLES, SCRATCH, GROUP = sys.argv[1], Path(sys.argv[2]), Path(sys.argv[3]) / sys.argv[4], sys.argv[4]
INTERPOLATE = sys.argv[5] if len(sys.argv) > 5 else None

# voxmill's angstrom to bohr factor, 1.889726 as a single-precision number.
BOHR_PER_ANGSTROM = float(np.float32(1.889726))

# voxmill's angstrom per bohr in cubes: CODATA 2018, as pymatgen's.
ANGSTROM_PER_BOHR = 0.529177210903

# Every grid mode on inputs of each kind: (option, examples; for the
# differences the full system first, all three in one cell). The old layout
# brings its POTCAR.
RUNS = [
    ("-c", ["nonspin"]), ("-c", ["spin"]), ("-c", ["noncollinear"]), ("-c", ["old-layout"]), ("-c", ["slab"]),
    ("-s", ["spin"]), ("-s", ["noncollinear"]), ("-s", ["nonspin"]), ("-s", ["old-layout"]),
    ("-x", ["spin"]), ("-x", ["noncollinear"]), ("-x", ["old-layout"]),
    ("-dc", ["spin", "spin", "spin"]), ("-ds", ["noncollinear", "noncollinear", "noncollinear"]),
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
    shutil.rmtree(SCRATCH / name, ignore_errors=True)
    (SCRATCH / name).mkdir(parents=True)
    return SCRATCH / name


def results(pattern):
    """Runs every grid mode in its own directory; yields (name, path) of each result matching pattern."""
    for option, examples in RUNS:
        run = option + "_" + "_".join(examples)
        cwd = fresh_dir(run)
        # Short local names: file arguments are cut at 80 characters.
        files = ["CHGCAR", "CHGCAR1", "CHGCAR2"][: len(examples)]
        for example, file in zip(examples, files):
            for source in (EXAMPLES / example).iterdir():
                shutil.copy(source, cwd / (file if source.name == "CHGCAR" else source.name))
        status, output = run_voxmill([option, *files], cwd)
        check(f"voxmill {option} {' '.join(examples)}", status == 0, output)
        for path in sorted(cwd.glob(pattern)):
            yield f"{run}/{path.name}", path


def read_vasp_text(path):
    """The .vasp file as voxmill wrote it: (scaled lattice, species, counts, grid x-fastest as [x, y, z])."""
    lines = path.read_text().splitlines()
    lattice = np.array([[float(v) for v in line.split()] for line in lines[2:5]]) * float(lines[1])
    species, counts = lines[5].split(), [int(v) for v in lines[6].split()]
    grid_line = 8 + sum(counts) + 1
    dims = [int(v) for v in lines[grid_line].split()]
    values = np.array([float(v) for line in lines[grid_line + 1:] for v in line.split()])
    assert values.size == np.prod(dims), f"{path}: {values.size} values for a {dims} grid"
    return lattice, species, counts, values.reshape(dims[::-1]).transpose()


def check_read(name, grid, cell, atoms, written, rtol=1e-14):
    """What a library read equals the cell, the atom count and the grid voxmill wrote (to its 15 digits)."""
    lattice, _, counts, values = written
    same_grid = grid.shape == values.shape and np.allclose(grid, values, rtol=rtol, atol=0)
    check(name, same_grid and np.allclose(cell, lattice, atol=1e-6) and atoms == sum(counts),
          f"grid {grid.shape}, expected {values.shape}" if grid.shape != values.shape
          else f"max difference {np.max(np.abs(grid - values))}, {atoms} atoms")


def check_vasp_results():
    for name, path in results("*.vasp"):
        written = read_vasp_text(path)
        if any(not label.isalpha() for label in written[1]):
            # The species line rewritten to element symbols ("Ga_d" becomes "Ga"), as the README tells.
            lines = path.read_text().splitlines(keepends=True)
            lines[5] = "".join(f"{re.match(r'[A-Za-z]+', label).group(0):>5}" for label in lines[5].split()) + "\n"
            path = path.with_name(path.name + ".elements")
            path.write_text("".join(lines))
            name += " (species line as element symbols)"
        chgcar = Chgcar.from_file(str(path))
        check_read(f"pymatgen reads {name}", chgcar.data["total"], chgcar.structure.lattice.matrix,
                   len(chgcar.structure), written)
        density = VaspChargeDensity(str(path))
        atoms = density.atoms[-1]
        # ASE divides by the cell volume on reading; it must find a single block.
        check_read(f"ASE reads {name}", density.chg[-1] * atoms.get_volume() if len(density.chg) == 1 else np.zeros(0),
                   atoms.cell[:], len(atoms), written)


def check_xsf_results():
    for name, path in results("*.xsf"):
        written = read_vasp_text(path.with_suffix(".vasp"))
        # The atom labels of PRIMCOORD without voxmill's colon ("Fe:" becomes "Fe"), as the README tells.
        lines = path.read_text().splitlines(keepends=True)
        start = next(i for i, line in enumerate(lines) if line.strip() == "PRIMCOORD") + 2
        for i in range(start, start + int(lines[start - 1].split()[0])):
            lines[i] = re.match(r" *[A-Za-z]*", lines[i][:3]).group(0).rjust(3) + lines[i][3:]
        data, atoms = read_xsf(io.StringIO("".join(lines)), read_data=True)
        volume_bohr3 = abs(np.linalg.det(written[0])) * BOHR_PER_ANGSTROM**3
        check_read(f"ASE reads {name} (labels without colon)", data * volume_bohr3, atoms.cell[:], len(atoms), written,
                   rtol=1e-13)


def check_library_chgcars():
    cwd = fresh_dir("chgcars")
    # pymatgen reads neither the spin example (a Fortran number without its E,
    # 0.12500000000-101) nor writes the slab (no augmentation part).
    for library, example in [("pymatgen", "nonspin"), ("pymatgen", "noncollinear"),
                             ("ASE", "nonspin"), ("ASE", "spin"), ("ASE", "noncollinear"), ("ASE", "slab")]:
        path = cwd / f"{library}-{example}"
        if library == "ASE":
            VaspChargeDensity(str(EXAMPLES / example / "CHGCAR")).write(str(path), format="chgcar")
            written = VaspChargeDensity(str(path))
            volume = written.atoms[-1].get_volume()
            charge = written.chg[-1] * volume
            spin = written.chgdiff[-1] * volume if written.chgdiff else np.zeros_like(charge)
        else:
            Chgcar.from_file(str(EXAMPLES / example / "CHGCAR")).write_file(str(path))
            written = Chgcar.from_file(str(path))
            charge = written.data["total"]
            # voxmill's magnetisation is the mean length of the magnetisation vector.
            spin = (np.linalg.norm([written.data[k] for k in ("diff_x", "diff_y", "diff_z")], axis=0)
                    if "diff_x" in written.data else written.data.get("diff", np.zeros_like(charge)))
        status, output = run_voxmill(["-c", path.name], cwd)
        found = re.search(r"\n Magnetization += (.{8}).*\n Total charge += (.{8})", output, re.S)
        found, expected = found and found.groups(), (f"{spin.mean():8.3f}", f"{charge.mean():8.3f}")
        check(f"voxmill reads {library}'s {example}", status == 0 and found == expected,
              f"{found} != {expected}\n{output}")


def check_reductions():
    cwd = fresh_dir("reductions")
    for example in ("aeccar", "slab-potential", "nonspin"):
        for source in (EXAMPLES / example).iterdir():
            shutil.copy(source, cwd / source.name)
    status, output = run_voxmill(["-a", "AECCAR0", "AECCAR2"], cwd)
    grids = [Chgcar.from_file(str(cwd / name)).data["total"] for name in ("AECCAR0", "AECCAR2", "CHGSUM.vasp")]
    check("CHGSUM.vasp is the sum of pymatgen's AECCAR0 and AECCAR2", status == 0
          and np.allclose(grids[2], grids[0] + grids[1], rtol=1e-14, atol=0), output)
    # Profiles of a hexagonal cell, of the 3 x 2 x 2 grid of nonspin and of the
    # slab's potential, written with 6 decimals; the heights are those of the
    # planes normal to each axis, one grid step up.
    for option, axis, name in [("-ia", 0, "AECCAR2"), ("-ib", 1, "AECCAR2"), ("-ic", 2, "AECCAR2"),
                               ("-ia", 0, "CHGCAR"), ("-ib", 1, "CHGCAR"), ("-i", 2, "CHGCAR"),
                               ("-p", 2, "LOCPOT"), ("-pa", 0, "LOCPOT"), ("-pb", 1, "LOCPOT")]:
        per_volume = option.startswith("-i")
        status, output = run_voxmill([option, name], cwd)
        written = np.loadtxt(cwd / ("CHGPLANE" if per_volume else "POTPLANE"), ndmin=2)
        data = (Chgcar if per_volume else Locpot).from_file(str(cwd / name))
        lattice = data.structure.lattice
        means = data.get_average_along_axis(axis) / (lattice.volume if per_volume else 1)
        N = len(means)
        face = np.linalg.norm(np.cross(lattice.matrix[(axis + 1) % 3], lattice.matrix[(axis + 2) % 3]))
        heights = np.arange(1, N + 1) * lattice.volume / face / N
        check(f"voxmill {option} {name} is pymatgen's get_average_along_axis({axis})", status == 0
              and written.shape == (N, 2) and np.allclose(written, np.c_[heights, means], rtol=0, atol=5.01e-7),
              output if status else f"{written} != {np.c_[heights, means]}")


def check_structures():
    large = fresh_dir("large")
    subprocess.run([sys.executable, str(EXAMPLES.parent / "scripts" / "make-examples"), "--large", str(large)], check=True)
    for input in (EXAMPLES / "nine-species" / "CHGCAR", large / "supercell" / "CHGCAR"):
        name = input.parent.name
        cwd = fresh_dir("structures-" + name)
        shutil.copy(input, cwd / "CHGCAR")
        status, output = run_voxmill(["-c", "CHGCAR"], cwd)
        expected = Chgcar.from_file(str(input)).structure
        symbols = [site.specie.symbol for site in expected]
        species = list(dict.fromkeys(symbols))
        report = re.search(r"\n Species += (.*?)\n Number species += +(\d+)\n Number atoms += +(\d+)\n", output, re.S)
        check(f"voxmill's report of {name} names pymatgen's species and atoms", status == 0 and report is not None
              and report.group(1).split() == species and report.groups()[1:] == (str(len(species)), str(len(symbols))),
              output)
        written = Chgcar.from_file(str(cwd / "CHGDEN.vasp")).structure
        # Fractional positions are written with 6 decimals.
        offsets = np.array(written.frac_coords) - np.array(expected.frac_coords)
        check(f"pymatgen reads {name}'s structure in CHGDEN.vasp", [s.specie.symbol for s in written] == symbols
              and np.allclose(written.lattice.matrix, expected.lattice.matrix, atol=1e-6)
              and np.allclose(offsets - np.round(offsets), 0, atol=1e-6), f"largest offset {np.abs(offsets).max()}")
        # ASE's XSF reader takes element symbols, not voxmill's labels ("Zn:").
        lines = (cwd / "CHGDEN.xsf").read_text().replace(":", " ")
        atoms = read_xsf(io.StringIO(lines))
        check(f"ASE reads {name}'s atoms in CHGDEN.xsf at pymatgen's Cartesian positions",
              atoms.get_chemical_symbols() == symbols and np.allclose(atoms.positions, expected.cart_coords, atol=2e-6),
              f"{len(atoms)} atoms, largest offset {np.abs(atoms.positions - expected.cart_coords).max()}"
              if len(atoms) == len(symbols) else f"{len(atoms)} atoms")


def macroscopic_reference(means, spacing, windows):
    """The means convolved periodically with a box of each width in turn: plane k + d weighs
    min(1, max(0, L/2h + 1/2 - |d|)) in the box about plane k, and the sum is divided by L/h."""
    for window in windows:
        planes = window / spacing
        offsets = np.arange(-int(np.ceil(planes / 2 + 0.5)), int(np.ceil(planes / 2 + 0.5)) + 1)
        weights = np.clip(planes / 2 + 0.5 - np.abs(offsets), 0, 1)
        means = sum(w * np.roll(means, -d) for d, w in zip(offsets, weights)) / planes
    return means


def periodic_locpot(path, period, repeats):
    """A LOCPOT written by pymatgen whose plane means along c repeat every `period` planes 0.25 A apart."""
    from pymatgen.core import Lattice, Structure
    from pymatgen.io.vasp import Poscar
    values = np.random.default_rng(7).uniform(-3, 3, (2, 2, period))
    structure = Structure(Lattice.orthorhombic(3, 3, 0.25 * period * repeats), ["H"], [[0, 0, 0]])
    Locpot(Poscar(structure), {"total": np.tile(values, (1, 1, repeats))}).write_file(str(path))


def check_profiles():
    cwd = fresh_dir("profiles")
    for example in ("interface-potential", "slab", "aeccar"):
        for source in (EXAMPLES / example).iterdir():
            shutil.copy(source, cwd / source.name)
    periodic_locpot(cwd / "PERIODIC", 9, 4)
    # Windows of whole and fractional plane counts: the interface's planes are
    # 0.125 A apart, the slab's 0.5 A along c and 0.715 A along a, the hcp
    # cell's 0.65125 A along c; one window spans the slab's whole cell along a.
    for option, axis, name, windows in [
            ("-p", 2, "LOCPOT", [2.0]), ("-p", 2, "LOCPOT", [2.3]), ("-p", 2, "LOCPOT", [2.0, 2.5]),
            ("-p", 2, "LOCPOT", [1.9, 2.7]), ("-pc", 2, "LOCPOT", [31.0]), ("-i", 2, "CHGCAR", [2.86]),
            ("-i", 2, "CHGCAR", [1.0, 1.5]), ("-ia", 0, "CHGCAR", [2.86]), ("-ic", 2, "AECCAR2", [1.2, 2.605])]:
        per_volume = option.startswith("-i")
        argument = "--macro=" + ",".join(map(str, windows))
        status, output = run_voxmill([option, argument, name], cwd)
        written = np.loadtxt(cwd / ("CHGPLANE" if per_volume else "POTPLANE"), ndmin=2)
        data = (Chgcar if per_volume else Locpot).from_file(str(cwd / name))
        means = data.get_average_along_axis(axis) / (data.structure.lattice.volume if per_volume else 1)
        expected = macroscopic_reference(means, written[0, 0], windows)
        check(f"voxmill {option} {argument} {name} is a numpy periodic convolution", status == 0
              and written.shape == (len(means), 3) and np.allclose(written[:, 2], expected, rtol=0, atol=5.01e-7),
              output if status else f"{written[:, 2]} != {expected}")
    for windows in ("2.25", "2.25,1.3"):
        status, output = run_voxmill(["-p", "--macro=" + windows, "PERIODIC"], cwd)
        column = np.loadtxt(cwd / "POTPLANE", ndmin=2)[:, 2]
        check(f"--macro={windows} on a profile of period 2.25 A is flat", status == 0
              and np.ptp(column) <= 1.0001e-6, output if status else str(column))
    # The pictures: decoded by PIL, of the size voxmill draws, and not blank.
    from PIL import Image
    for option, name, picture in [("-p", "LOCPOT", "POTPLANE.png"), ("-i", "CHGCAR", "CHGPLANE.png")]:
        status, output = run_voxmill([option, "--macro=2.0,2.5", "--plot", name], cwd)
        image = Image.open(cwd / picture).convert("RGB") if status == 0 else None
        colours = image and len(image.getcolors(1 << 16) or [])
        check(f"voxmill {option} --plot draws {picture}", status == 0 and image.size == (960, 540) and colours > 50,
              output if status else f"{image.size}, {colours} colours")


def cube_digits(values):
    """Half a unit in the fifth significant digit of each value of a cube, where E13.5 rounds it."""
    magnitude = np.maximum(np.abs(values), 1e-300)
    return 0.5 * 10.0 ** (np.floor(np.log10(magnitude)) - 4) * (1 + 1e-9)


def same_structure(cell, symbols, positions, expected, voxels):
    """Cell, elements and Cartesian positions as expected: the voxel vectors and positions have six decimals of bohr."""
    return (np.allclose(cell, expected.lattice.matrix, rtol=0, atol=0.5e-6 * max(voxels) * ANGSTROM_PER_BOHR + 1e-9)
            and symbols == [site.specie.symbol for site in expected]
            and np.allclose(positions, expected.cart_coords, rtol=0, atol=1e-6))


def check_cubes():
    # The spin of the non-collinear example is the length of its magnetisation vector.
    spin = lambda data: np.linalg.norm([data[k] for k in ("diff_x", "diff_y", "diff_z")], axis=0)  # noqa: E731
    for option, example, grid in [("-c", "nonspin", lambda data: data["total"]), ("-c", "slab", lambda data: data["total"]),
                                  ("-c", "interface", lambda data: data["total"]), ("-s", "noncollinear", spin)]:
        cwd = fresh_dir(f"cube{option}-{example}")
        shutil.copy(EXAMPLES / example / "CHGCAR", cwd / "CHGCAR")
        status, output = run_voxmill([option, "CHGCAR", "--format=cube"], cwd)
        check(f"voxmill {option} {example} --format=cube", status == 0, output)
        chgcar = Chgcar.from_file(str(cwd / "CHGCAR"))
        expected, structure = grid(chgcar.data), chgcar.structure
        volume = structure.volume / ANGSTROM_PER_BOHR**3
        cube = next(cwd.glob("*.cube"))
        data, atoms = read_cube_data(str(cube))
        pymatgen = Cube(str(cube))
        for library, values, cell, symbols, positions in [
                ("ASE", data, atoms.cell[:], atoms.get_chemical_symbols(), atoms.positions),
                ("pymatgen", pymatgen.data, pymatgen.structure.lattice.matrix,
                 [site.specie.symbol for site in pymatgen.structure], pymatgen.structure.cart_coords)]:
            check(f"{library} reads {cube.name} of {example}: the CHGCAR's grid per cubic bohr to 5 digits, its structure",
                  values.shape == expected.shape and np.all(np.abs(values - expected / volume) <= cube_digits(values))
                  and same_structure(cell, symbols, positions, structure, expected.shape),
                  f"grid {values.shape}" if values.shape != expected.shape
                  else f"largest difference {np.abs(values * volume - expected).max()}, {symbols}")
        # Back to rho*V: the cube's digits, and its cell's volume, rounded in the voxel vectors' sixth decimal.
        status, output = run_voxmill(["-c", cube.name, "--format=vasp"], cwd)
        lattice, _, _, values = read_vasp_text(cwd / "CHGDEN.vasp")
        cube_volume = abs(np.linalg.det(lattice)) / ANGSTROM_PER_BOHR**3
        check(f"voxmill -c {cube.name} of {example} gives the CHGCAR's grid to the cube's 5 digits", status == 0
              and np.all(np.abs(values / cube_volume - expected / volume) <= cube_digits(data) + np.abs(data) * 1e-6),
              output if status else f"largest difference {np.abs(values - expected).max()}")
    # A cube of ASE's, its density per cubic bohr, read by voxmill and written again.
    cwd = fresh_dir("cube-ase")
    density = VaspChargeDensity(str(EXAMPLES / "slab" / "CHGCAR"))
    atoms = density.atoms[-1]
    per_bohr3 = density.chg[-1] * ANGSTROM_PER_BOHR**3
    with open(cwd / "ase.cube", "w") as file:
        write_cube(file, atoms, per_bohr3)
    status, output = run_voxmill(["-c", "ase.cube", "--format=cube"], cwd)
    data, written = read_cube_data(str(cwd / "CHGDEN.cube"))
    check("voxmill -c on ASE's cube writes the same cube, to 5 digits", status == 0
          and np.all(np.abs(data - read_cube_data(str(cwd / "ase.cube"))[0]) <= cube_digits(data) * (1 + 1e-6))
          and np.allclose(written.cell[:], atoms.cell[:], atol=1e-6)
          and written.get_chemical_symbols() == atoms.get_chemical_symbols()
          and np.allclose(written.positions, atoms.positions, atol=1e-6), output)


def interpolated(path, positions):
    """voxmill's tricubic values of the file at fractional positions."""
    text = "".join(f"{x!r} {y!r} {z!r}\n" for x, y, z in positions)
    result = subprocess.run([INTERPOLATE, str(path)], input=text, capture_output=True, text=True, check=True)
    return np.array([float(v) for v in result.stdout.split()])


def catmull_rom(grid, positions):
    """Along each axis in turn, scipy's cubic Hermite interpolation with central-difference slopes, periodic."""
    values = []
    for position in positions:
        reduced = grid
        for axis in range(3):
            n = reduced.shape[0]
            wrapped = np.concatenate([reduced[-1:], reduced, reduced[:2]])  # points -1 to n + 1
            slopes = (wrapped[2:] - wrapped[:-2]) / 2
            reduced = CubicHermiteSpline(np.arange(n + 1), wrapped[1:-1], slopes)(position[axis] * n % n)
        values.append(float(reduced))
    return np.array(values)


def check_interpolation():
    cwd = fresh_dir("interpolation")
    rng = np.random.default_rng(11)
    # A random grid in an oblique cell, written as VASP writes a CHGCAR (x fastest).
    grid = rng.uniform(-1, 2, (9, 10, 11))
    lines = ["random grid", "1.0", "4.0 0.0 0.0", "-1.2 3.9 0.0", "0.7 0.4 5.1", "Si", "1", "Direct", "0 0 0", "",
             "    9   10   11"]
    values = grid.transpose().ravel()
    lines += [" ".join(f"{v:.17E}" for v in values[n:n + 5]) for n in range(0, values.size, 5)]
    (cwd / "CHGCAR").write_text("\n".join(lines) + "\n")
    positions = rng.uniform(-1.5, 2.5, (200, 3))
    mine = interpolated(cwd / "CHGCAR", positions)
    theirs = catmull_rom(grid, positions)
    check("tricubic on a random grid is scipy's Catmull-Rom (Hermite with central differences)",
          np.allclose(mine, theirs, rtol=0, atol=1e-13), f"max difference {np.max(np.abs(mine - theirs))}")
    points = rng.integers(0, 9, (50, 3)) / grid.shape
    at_points = map_coordinates(grid, (points * grid.shape).T, order=3, mode="grid-wrap")
    check("tricubic at grid points of a random grid is map_coordinates' (the grid values)",
          np.allclose(interpolated(cwd / "CHGCAR", points), at_points, rtol=0, atol=1e-12))
    # A smooth density: two interpolations of third order agree within their error.
    example = EXAMPLES / "surface" / "PARCHG"
    density = Chgcar.from_file(str(example)).data["total"]
    positions = rng.uniform(0, 1, (300, 3))
    mine = interpolated(example, positions)
    theirs = map_coordinates(density, (positions * density.shape).T, order=3, mode="grid-wrap")
    worst = np.max(np.abs(mine - theirs)) / np.max(np.abs(density))
    print(f"       surface/PARCHG: largest difference from map_coordinates {worst:.2e} of the largest value")
    check("tricubic on surface/PARCHG agrees with map_coordinates(order=3, mode='grid-wrap')", worst < 2e-2,
          f"{worst}")


def check_maps():
    cwd = fresh_dir("maps")
    for example in ("surface", "molecule"):
        for source in (EXAMPLES / example).iterdir():
            shutil.copy(source, cwd / source.name)
    for args, name in [(["-stm", "PARCHG"], "STM"), (["-stm", "PARCHG", "--isovalue=1e-3", "--repeat=2,3"], "STM"),
                       (["-slice", "PARCHG", "--plane=1,1,0", "--offset=0.6"], "SLICE"),
                       (["-slice", "CHGCAR", "--through=1,2,3", "--spacing=0.1"], "SLICE")]:
        status, output = run_voxmill(args, cwd)
        table = np.loadtxt(cwd / f"{name}.dat", ndmin=2)
        columns = int(np.argmax(table[1:, 0] < table[:-1, 0])) + 1  # x starts again on the next row
        rows = len(table) // columns
        spacing = table[1, 0] - table[0, 0]
        # The map's longer side is drawn 600 pixels long, a colour bar and axes beside it.
        width, height = np.array([columns, rows]) * 600 / max(columns, rows)
        picture = Image.open(cwd / f"{name}.png")
        picture.load()
        pixels = np.asarray(picture.convert("RGB"), dtype=float)
        inner = pixels[pixels.shape[0] // 3: pixels.shape[0] * 2 // 3, pixels.shape[1] // 4: pixels.shape[1] // 2]
        check(f"voxmill {' '.join(args)}: {name}.png of a {columns} x {rows} map {spacing:.4f} A apart decodes, "
              f"{picture.size[0]} x {picture.size[1]} pixels, not blank",
              status == 0 and picture.format == "PNG" and width + 100 < picture.size[0] < width + 260
              and height < picture.size[1] < max(height, 200) + 140 and inner.std() > 5 and len(table) == rows * columns,
              output)


{"vasp": check_vasp_results, "xsf": check_xsf_results, "chgcars": check_library_chgcars,
 "reductions": check_reductions, "structures": check_structures, "profiles": check_profiles, "cube": check_cubes,
 "interpolation": check_interpolation, "maps": check_maps}[GROUP]()
if failures:
    print(f"{len(failures)} check(s) failed")
    sys.exit(1)

# Plots a POTPLANE profile, the plane-averaged potential, at the planes' own
# heights (the first height subtracted, as for CHGPLANE), with its highest
# plane mean marked as the vacuum level; given the Fermi energy, also the work
# function between the two.
#   gnuplot -e "input='POTPLANE'; output='potplane.png'; fermi=-0.3; title_text='...'; layers='8 10 12'" plot-potplane.gp
# fermi and layers (heights of atomic planes in angstrom, dashed lines) are optional.
if (!exists("input")) input = 'POTPLANE'
if (!exists("output")) output = 'potplane.png'
if (!exists("title_text")) title_text = 'voxmill -p: plane-averaged potential'
if (!exists("layers")) layers = ''

stats input using 1 every ::0::0 nooutput
first_height = STATS_min
stats input using 1:2 nooutput
vacuum = STATS_max_y
width = STATS_max_x - first_height

set terminal pngcairo size 800,450 enhanced font 'sans,11'
set output output
set title title_text
set xlabel 'height of the plane along the face normal (Å)'
set ylabel 'plane-mean potential (eV)'
set grid
set key off
set xrange [0:*]
set arrow from graph 0, first vacuum to graph 1, first vacuum nohead dashtype 2 lw 1.5 lc rgb '#b03020'
set label sprintf('vacuum level %.3f eV', vacuum) at first 0.06 * width, first vacuum offset 0, 0.8 tc rgb '#b03020'
do for [z in layers] {
    set arrow from first z+0, graph 0 to first z+0, graph 1 nohead dashtype 2 lc rgb '#888888'
}
if (exists("fermi")) {
    set arrow from graph 0, first fermi to graph 1, first fermi nohead dashtype 3 lw 1.5 lc rgb '#2a8a3a'
    set label sprintf('Fermi energy %.3f eV', fermi) at first 0.06 * width, first fermi offset 0, -1 tc rgb '#2a8a3a'
    set arrow from first 0.04 * width, first fermi to first 0.04 * width, first vacuum heads lw 1.5 lc rgb 'black'
    set label sprintf('work function %.3f eV', vacuum - fermi) at first 0.055 * width, first (vacuum + fermi) / 2
}
plot input using ($1 - first_height):2 with linespoints lw 2 pt 7 ps 0.8 lc rgb '#1f5fa8'

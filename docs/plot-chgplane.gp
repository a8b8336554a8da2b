# Plots a CHGPLANE profile: plane-mean charge density against the height of
# the plane along the normal of the face the planes are parallel to. CHGPLANE
# reports plane n at n h / N, one grid step above the plane itself; the plot
# subtracts the first height, so that each point stands at its plane.
#   gnuplot -e "input='CHGPLANE'; output='chgplane.png'; title_text='...'; layers='8 10 12'" plot-chgplane.gp
# layers (optional): heights of atomic planes in angstrom, drawn as dashed lines.
if (!exists("input")) input = 'CHGPLANE'
if (!exists("output")) output = 'chgplane.png'
if (!exists("title_text")) title_text = 'voxmill -i: plane-averaged charge density'
if (!exists("layers")) layers = ''

stats input using 1 every ::0::0 nooutput
first_height = STATS_min

set terminal pngcairo size 800,450 enhanced font 'sans,11'
set output output
set title title_text
set xlabel 'height of the plane along the face normal (Å)'
set ylabel 'plane-mean density (e/Å^3)'
set grid
set key off
set xrange [0:*]
set yrange [0:*]
do for [z in layers] {
    set arrow from first z+0, graph 0 to first z+0, graph 1 nohead dashtype 2 lc rgb '#888888'
}
plot input using ($1 - first_height):2 with linespoints lw 2 pt 7 ps 0.8 lc rgb '#1f5fa8'

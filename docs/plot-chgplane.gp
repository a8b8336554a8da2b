# Plots a CHGPLANE profile: plane-mean charge density against the height of
# the plane along the normal of the a1-a2 face.
#   gnuplot -e "input='CHGPLANE'; output='chgplane.png'; title_text='...'" plot-chgplane.gp
if (!exists("input")) input = 'CHGPLANE'
if (!exists("output")) output = 'chgplane.png'
if (!exists("title_text")) title_text = 'voxmill -i: plane-averaged charge density'

set terminal pngcairo size 800,450 enhanced font 'sans,11'
set output output
set title title_text
set xlabel 'height along the a1-a2 face normal (Å)'
set ylabel 'plane-mean density (e/Å^3)'
set grid
set key off
set xrange [0:*]
set yrange [0:*]
plot input using 1:2 with linespoints lw 2 pt 7 ps 0.8 lc rgb '#1f5fa8'

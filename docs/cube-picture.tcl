# XCrySDen's picture of a cube written by voxmill (docs/cube.png): the
# isosurface at 0.05 e/bohr^3 of CHGDEN.cube in the current directory, seen
# from above the a-b face, written to cube-xcrysden.png. Run under Xvfb:
#   xvfb-run -a -s "-screen 0 1024x768x24" xcrysden --script docs/cube-picture.tcl
scripting::open --cube CHGDEN.cube
scripting::lighting On
scripting::displayMode3D BallStick
scripting::zoom -0.25
scripting::rotate x -60
scripting::rotate z 20
scripting::scalarField3D::load
wm withdraw .iso
scripting::scalarField3D::configure \
    -isosurface 1 -interpolation_degree 2 -isolevel 0.05 -plusminus 0 -expand none
scripting::scalarField3D::render
scripting::printToFile cube-xcrysden.png windowdump
exit

#!/usr/bin/env bash
# Makes the pictures and the movie of the README's gallery with the batch
# command line, and the movie's poster (its first frame) with movie_frame.
# Run from the repository's top folder after building; needs an X display
# (without one: xvfb-run -a bash docs/gallery/make_gallery.sh).
set -euo pipefail
cd "$(dirname "$0")/../.."
f=build/flowskin
out=docs/gallery
$f examples/torus.ply --size 320x320 --preset "Contour flow XY" --preset Bronze --warmup 150 -o $out/torus_contour_bronze.png
$f examples/torus.ply --size 320x320 --preset Dirty --warmup 150 -o $out/torus_dirty.png
$f examples/sphere.ply --size 320x320 --preset "F. Pencil" --warmup 150 -o $out/sphere_pencil.png
$f examples/torus_flow.ply --size 320x320 --preset Particles --warmup 150 -o $out/torus_flow_particles.png
$f examples/sphere_swirl.ply --size 320x320 --preset Rainbow --set rbpy=1 --set cbTexData=1 --set cb_time_animate=1 \
  --set ed_dtime=0.04 --warmup 150 -o $out/sphere_swirl_rainbow.png
$f examples/sphere.ply --size 320x320 --set rb_z=1 --set ud_vz=10 --press "Flow/Add paint" --warmup 200 \
  -o $out/sphere_paint.png
$f examples/torus_flow.ply --size 320x320 --preset Crisp --warmup 200 -o $out/torus_flow_crisp.png
$f examples/torus_flow.ply --size 320x320 --preset Crisp --set cbTexData=1 --set rbpy=1 --set cb_legend=1 --warmup 200 \
  -o $out/torus_flow_crisp_legend.png
$f examples/torus_flow.ply --size 320x320 --preset Bronze --turn 0,-50 --zoom 1.2 --set ud_rotate=10 --warmup 150 \
  --frames 250 -o $out/torus_flow_bronze.mp4
build/tools/movie_frame $out/torus_flow_bronze.mp4 1 $out/torus_flow_bronze_poster.png
$f examples/motorbike_wss.vtp --size 320x320 --set cb_flow_array=wallShearStress --set cb_flow_reverse=1 --set rb_z=1 \
  --set ud_alpha_shade=30 --warmup 200 -o $out/motorbike_wss.png
$f examples/motorbike_wss.vtp --size 480x360 --set cb_flow_array=wallShearStress --set cb_flow_reverse=1 --set rb_z=1 \
  --set rbfile=1 --set cb_file_array=p --set cbTexData=1 --set cb_colour_map="Cool to warm" --set eddmin=-120 \
  --set eddmax=120 --set "ed_data_unit=m²/s²" --set cb_blend_streaks=1 --set cb_legend=1 --warmup 200 \
  -o $out/motorbike_pressure_streaks.png
$f tests/formats/corpus/foam/walls/blocks_300.vtm --size 480x360 --set rb_z=1 --turn 0,80 --warmup 150 \
  -o $out/foam_walls_top.png
$f tests/formats/corpus/foam/VTK/blocks.vtm.series --size 640x480 --set cb_show_axes=1 --set cb_show_time=1 \
  --turn 30,20 --warmup 40 -o $out/annotations_time_and_axes.png
$f examples/box.ply --size 320x320 --view iso --preset "Contour flow XY" --preset Bronze --warmup 150 \
  -o $out/box_sharp_edges.png

#!/usr/bin/env bash
# Draws the about box's picture, resources/about.jpg: a calm landscape (sky,
# sun, hills, a meadow, a dark foreground) under a small network of linked
# nodes. Run it again after changing a shape or colour, and commit the JPEG.
#
# The about box writes its labels over the picture at x 8..440 in the rows
# 16-47, 108-141, 208-259 and 304-328, so those rows hold only the sky
# gradient, the plain meadow and the dark foreground (under the yellow
# buttons). Shapes and nodes sit between them.
#
# tests/win/jpeg_test.cpp checks decoded colours against this palette: keep
# the two in step.
set -euo pipefail
OUT="$(cd "$(dirname "$0")/.." && pwd)/resources/about.jpg"

SKY_TOP='#8ec1e6'
SKY_HORIZON='#e6f2fa'
SUN='#ffe98a'
CLOUD='#fbfdff'
RIDGE='#b4cbd6'
HILLS='#9cc28b'
TREE='#4f7d4a'
MEADOW='#e6eecd'
FOREGROUND='#2f5a3c'
LINK='#4a5f7d'
NODE_RED='#c8553d'
NODE_OCHRE='#e0a030'
NODE_TEAL='#2a9d8f'
NODE_BLUE='#3d5a80'
NODE_RIM='#27344a'

# A filled node of radius 11 with a thin rim, centred on x,y.
node() { echo "fill $3 stroke $NODE_RIM stroke-width 2 circle $1,$2 $(($1 + 11)),$2"; }

convert -size 450x338 "gradient:$SKY_TOP-$SKY_HORIZON" \
  -draw "fill $SUN stroke none circle 392,76 416,76" \
  -draw "fill $CLOUD stroke none ellipse 120,80 34,13 0,360 ellipse 146,72 22,12 0,360 ellipse 98,74 18,10 0,360" \
  -draw "fill $CLOUD stroke none ellipse 330,100 26,7 0,360 ellipse 346,96 14,6 0,360" \
  -draw "fill $RIDGE stroke none path 'M 0,160 Q 60,143 120,152 Q 190,162 250,146 Q 320,142 380,152 Q 420,158 450,150 L 450,190 L 0,190 Z'" \
  -draw "fill $HILLS stroke none path 'M 0,178 Q 70,142 150,165 Q 230,188 300,156 Q 370,128 450,170 L 450,215 L 0,215 Z'" \
  -draw "fill $MEADOW stroke none path 'M 0,204 Q 225,186 450,204 L 450,338 L 0,338 Z'" \
  -draw "fill $FOREGROUND stroke none path 'M 0,292 Q 120,276 225,290 Q 330,303 450,284 L 450,338 L 0,338 Z'" \
  -draw "fill $TREE stroke none
         polygon 160,190 168,170 176,190 polygon 172,192 179,175 186,192
         polygon 330,186 337,167 344,186 polygon 250,190 256,174 262,190" \
  -draw "fill none stroke $LINK stroke-width 2
         line 210,66 265,88 line 265,88 310,62
         line 40,172 118,158 line 118,158 205,181 line 205,181 292,160 line 292,160 372,177
         line 118,158 292,160 line 372,177 430,166" \
  -draw "$(node 210 66 "$NODE_TEAL") $(node 265 88 "$NODE_RED") $(node 310 62 "$NODE_BLUE")" \
  -draw "$(node 40 172 "$NODE_OCHRE") $(node 118 158 "$NODE_RED") $(node 205 181 "$NODE_BLUE")" \
  -draw "$(node 292 160 "$NODE_TEAL") $(node 372 177 "$NODE_OCHRE") $(node 430 166 "$NODE_RED")" \
  -strip -interlace none -sampling-factor 1x1 -quality 85 "jpeg:$OUT"

echo "wrote $OUT ($(stat -c %s "$OUT") bytes)"

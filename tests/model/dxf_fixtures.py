# Writes the DXF drawings of the outline tests with ezdxf, an independent writer, into the folder
# given. Sizes are millimetres unless a drawing sets other units.
import math
import random
import sys

import ezdxf

out = sys.argv[1]


def new(version="R2010", units=4):
    doc = ezdxf.new(version)
    doc.header["$INSUNITS"] = units
    return doc, doc.modelspace()


def save(doc, name):
    doc.saveas(f"{out}/{name}.dxf")


# A 60 x 40 rectangle drawn counter-clockwise: its bottom edge bulges out by a half circle
# (bulge +1: the arc runs right of the edge's direction) and its top edge dips in by a shallow arc
# (bulge -0.25: left of the edge's direction, into the rectangle).
doc, msp = new()
msp.add_lwpolyline([(0, 0, 1), (60, 0, 0), (60, 40, -0.25), (0, 40, 0)], format="xyb", close=True)
save(doc, "bulges")

# A 100 x 50 rectangle with corners rounded to r = 10, as LINE and ARC pieces, shuffled, half of
# them written end to start (a LINE reversed; an ARC cannot be, so its order is what is shuffled).
doc, msp = new()
r, w, h = 10, 100, 50
pieces = [("line", (r, 0), (w - r, 0)), ("line", (w, r), (w, h - r)),
          ("line", (w - r, h), (r, h)), ("line", (0, h - r), (0, r)),
          ("arc", (w - r, r), 270, 360), ("arc", (w - r, h - r), 0, 90),
          ("arc", (r, h - r), 90, 180), ("arc", (r, r), 180, 270)]
random.Random(18).shuffle(pieces)
for i, p in enumerate(pieces):
    if p[0] == "line":
        a, b = (p[1], p[2]) if i % 2 else (p[2], p[1])
        msp.add_line(a, b)
    else:
        msp.add_arc(p[1], r, p[2], p[3])
msp.add_text("rounded 100 x 50")
save(doc, "shuffled")

# An R12 drawing: a closed 2D POLYLINE path, an 80 x 30 frame.
doc, msp = new("R12", 4)
msp.add_polyline2d([(0, 0), (80, 0), (80, 30), (0, 30)], close=True)
save(doc, "r12path")

# A circle of radius 25 and a full ellipse 60 x 20 (separate drawings).
doc, msp = new()
msp.add_circle((0, 0), 25)
save(doc, "circle")
doc, msp = new()
msp.add_ellipse((0, 0), major_axis=(30, 0), ratio=1 / 3)
save(doc, "ellipse")

# Splines: an open path from control points (clamped: it starts and ends on its end points), and
# one through fit points only.
doc, msp = new()
msp.add_open_spline([(0, 0), (100, 200), (300, -100), (400, 100), (500, 0)], degree=3)
save(doc, "spline_control")
doc, msp = new()
msp.add_spline(fit_points=[(0, 0), (100, 50), (200, 0), (300, 50)])
save(doc, "spline_fit")

# Units: a 2 x 1 inch rectangle; a 2 m straight path.
doc, msp = new(units=1)
msp.add_lwpolyline([(0, 0), (2, 0), (2, 1), (0, 1)], close=True)
save(doc, "inches")
doc, msp = new(units=6)
msp.add_line((0, 0), (2, 0))
save(doc, "metres")

# Several outlines: squares of 10, 30 (on layer BIG) and 20, and an open line.
doc, msp = new()
for side, layer in ((10, "0"), (30, "BIG"), (20, "0")):
    msp.add_lwpolyline([(0, 0), (side, 0), (side, side), (0, side)], close=True,
                       dxfattribs={"layer": layer})
msp.add_line((100, 0), (200, 0))
save(doc, "several")

# A star of 150 corners (more than an outline holds).
doc, msp = new()
star = [((50 if i % 2 else 45) * math.cos(i * math.pi / 75),
         (50 if i % 2 else 45) * math.sin(i * math.pi / 75)) for i in range(150)]
msp.add_lwpolyline(star, close=True)
save(doc, "star")

# An arc-heavy moulding 40 wide and 30 high: base, side, an ogee of two quarter circles (r = 10),
# top and back; with a note that the moulding's text is ignored.
doc, msp = new()
msp.add_line((0, 0), (40, 0))
msp.add_line((40, 0), (40, 10))
msp.add_arc((30, 10), 10, 0, 90)
msp.add_arc((30, 30), 10, 180, 270)
msp.add_line((20, 30), (0, 30))
msp.add_line((0, 30), (0, 0))
save(doc, "ogee")

# Bad drawings: nothing usable; a profile that does not close; a bow tie; 40 km in metres.
doc, msp = new()
msp.add_text("only words")
block = doc.blocks.new("B")
block.add_circle((0, 0), 5)
msp.add_blockref("B", (0, 0))
msp.add_blockref("B", (20, 0))
save(doc, "nothing")
doc, msp = new()
msp.add_lwpolyline([(0, 0.5), (10, 0.5), (10, 10), (0, 10), (0, 0)])
save(doc, "open")
doc, msp = new()
msp.add_lwpolyline([(0, 0), (30, 20), (30, 0), (0, 10)], close=True)
save(doc, "bowtie")
doc, msp = new(units=6)
msp.add_line((0, 0), (40000, 0))
save(doc, "far")


# Drawings as CAD programs write them, every number to six significant digits: the ends of arcs
# given by centre, radius and angles miss the lines' ends by up to 0.0002 mm.
def six(x):
    return float(f"{x:.6g}")


def arc_by_centre(msp, centre, radius, start, end):
    msp.add_arc((six(centre[0]), six(centre[1])), six(radius), six(start), six(end))


# A moulding 30 wide and 28 high: base, side, a cove (r = 18.0093, cutting in) from (30, 6) to
# (20, 16), a round (r = 10.1207, bulging out) on to (8, 28), top and back.
doc, msp = new()
msp.add_line((0, 0), (30, 0))
msp.add_line((30, 0), (30, 6))
arc_by_centre(msp, (36.7119, 22.7119), 18.0093, 201.881, 248.119)
arc_by_centre(msp, (10.0995, 18.0995), 10.1207, 348.028, 101.972)
msp.add_line((8, 28), (0, 28))
msp.add_line((0, 28), (0, 0))
save(doc, "six_digits_moulding")

# A regular hexagon of side 20 (corners on a circle of r = 20 about the origin): its first edge a
# bulge (0.219067) of an open LWPOLYLINE that goes on straight to the third corner, its third edge
# an arc of r = 25 bulging out, the rest lines.
corner = [(six(20 * math.cos(k * math.pi / 3)), six(20 * math.sin(k * math.pi / 3)))
          for k in range(6)]
doc, msp = new()
msp.add_lwpolyline([corner[0] + (0.219067,), corner[1] + (0,), corner[2] + (0,)], format="xyb")
mid = ((corner[2][0] + corner[3][0]) / 2, (corner[2][1] + corner[3][1]) / 2)
inward = math.sqrt(25 ** 2 - 10 ** 2)
centre = (mid[0] + inward * math.cos(math.radians(-30)), mid[1] + inward * math.sin(math.radians(-30)))
arc_by_centre(msp, centre, 25,
              math.degrees(math.atan2(corner[2][1] - centre[1], corner[2][0] - centre[0])),
              math.degrees(math.atan2(corner[3][1] - centre[1], corner[3][0] - centre[0])) % 360)
for k in (3, 4, 5):
    msp.add_line(corner[k], corner[(k + 1) % 6])
save(doc, "six_digits_hexagon")

# A 40 x 20 rectangle of lines whose last one stops 0.05 mm short of the first.
doc, msp = new()
for a, b in (((0, 0), (40, 0)), ((40, 0), (40, 20)), ((40, 20), (0, 20)), ((0, 20), (0, 0.05))):
    msp.add_line(a, b)
save(doc, "gap")

# A picture frame: a lath 20 wide and 8 high (its underside on y = 0) and a 300 x 200 path.
doc, msp = new()
msp.add_lwpolyline([(0, 0), (20, 0), (20, 8), (0, 8)], close=True)
save(doc, "lath")
doc, msp = new()
msp.add_lwpolyline([(0, 0), (300, 0), (300, 200), (0, 200)], close=True)
save(doc, "picture")
# A helix as a 3D POLYLINE: radius 50, rising 30 a turn, 3 turns in 24 steps a turn; and a 10 mm
# circle to sweep along it.
doc, msp = new("R12")
msp.add_polyline3d([(50 * math.cos(2 * math.pi * i / 24), 50 * math.sin(2 * math.pi * i / 24),
                     30 * i / 24) for i in range(73)])
save(doc, "helix-3d")
doc, msp = new()
msp.add_circle((0, 0), 5)
save(doc, "circle-10")
doc, msp = new()
msp.add_lwpolyline([(0, 5), (4, 0), (8, 5), (4, 10)], close=True)
save(doc, "diamond")

# Two LINEs rising in z, the second written end to start; again in centimetres.
for units, name in ((4, "rising-lines"), (5, "rising-lines-cm")):
    doc, msp = new(units=units)
    msp.add_line((0, 0, 0), (100, 0, 50))
    msp.add_line((100, 100, 100), (100, 0, 50))
    save(doc, name)

# A path straight up: one vertical LINE.
doc, msp = new()
msp.add_line((10, 20, 0), (10, 20, 100))
save(doc, "vertical-line")

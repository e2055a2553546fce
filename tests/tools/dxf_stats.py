# Reads a DXF file with ezdxf and prints its 3DFACE count and the extent of their corners.
import sys

import ezdxf


def main():
    doc = ezdxf.readfile(sys.argv[1])
    faces = doc.modelspace().query("3DFACE")
    lo = [float("inf")] * 3
    hi = [float("-inf")] * 3
    for face in faces:
        for name in ("vtx0", "vtx1", "vtx2", "vtx3"):
            point = face.dxf.get(name)
            for axis in range(3):
                lo[axis] = min(lo[axis], point[axis])
                hi[axis] = max(hi[axis], point[axis])
    print("faces", len(faces))
    if len(faces):
        print("min", *("%.6f" % v for v in lo))
        print("max", *("%.6f" % v for v in hi))


if __name__ == "__main__":
    main()

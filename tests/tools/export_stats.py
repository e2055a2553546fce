# Reads an exported DXF, 3DS or VRML file back with an independent reader and prints what it found.
# The readers are ezdxf, 3dsdump and tovrmlx3d. Printed: the reader's own output, then a mark and
# the faces, points, texture coordinates, groups and face sets, and the extent of the points.
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

import ezdxf


def run(*command):
    done = subprocess.run(command, capture_output=True, text=True)
    if done.returncode or "Error" in done.stderr:
        sys.exit(done.stderr or command[0] + " failed")
    return done.stdout


def read_dxf(path):
    faces = ezdxf.readfile(path).modelspace().query("3DFACE")
    corners = [f.dxf.get(name) for f in faces for name in ("vtx0", "vtx1", "vtx2", "vtx3")]
    return "", {"faces": len(faces)}, corners


# 3dsdump's mesh dump: "NAME vertices=V faces=F", then a point list and a face list per mesh.
def read_3ds(path):
    dump = run("3dsdump", "-t", "-m", path)
    stats, points, declared, in_points = {"faces": 0}, [], 0, False
    for line in dump.splitlines():
        header = re.search(r"vertices=(\d+) faces=(\d+)", line)
        if header:
            declared += int(header[1])
            stats["faces"] += int(header[2])
        if header or "facelist:" in line or "point list:" in line:
            in_points = "point list:" in line
        elif in_points and len(line.split()) == 3:
            points.append([float(v) for v in line.split()])
    if len(points) != declared:
        sys.exit("point lists hold %d points, the headers %d" % (len(points), declared))
    return dump, stats, points


# The VRML file converted to X3D; faces are polygons of 3 or more indices.
def read_vrml(path):
    xml = run("tovrmlx3d", "--encoding", "xml", path)
    root = ET.fromstring(xml)
    stats = {"groups": len(root.findall(".//Group")), "faceSets": 0, "faces": 0, "texCoords": 0}
    for face_set in root.iter("IndexedFaceSet"):
        stats["faceSets"] += 1
        polygons = (face_set.get("coordIndex") + " -1").split("-1")
        stats["faces"] += sum(len(p.split()) >= 3 for p in polygons)
    points = []
    for coordinate in root.iter("Coordinate"):
        values = [float(v) for v in coordinate.get("point").split()]
        points += [values[i : i + 3] for i in range(0, len(values), 3)]
    for coordinate in root.iter("TextureCoordinate"):
        stats["texCoords"] += len(coordinate.get("point").split()) // 2
    return xml, stats, points


def main():
    path = sys.argv[1]
    reader = {"dxf": read_dxf, "3ds": read_3ds, "wrl": read_vrml}[path.rsplit(".", 1)[-1]]
    dump, stats, points = reader(path)
    print(dump)
    print("== read back ==")
    stats["points"] = len(points)
    for key, value in stats.items():
        print(key, value)
    if points:
        print("min", *(min(p[axis] for p in points) for axis in range(3)))
        print("max", *(max(p[axis] for p in points) for axis in range(3)))


if __name__ == "__main__":
    main()

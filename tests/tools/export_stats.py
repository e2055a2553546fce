# Reads an exported file back with independent readers and prints what they found. DXF, 3DS and
# VRML are read by ezdxf, 3dsdump and tovrmlx3d; glTF binary, OBJ and STL by assimp and by three.js
# (with the Khronos glTF Validator for glTF) through tests/js/read_export.mjs; 3MF by assimp and,
# for its colours, unit and images, from its model part. Printed: the readers' own output, then a
# mark and the faces, points, texture coordinates, groups and face sets, and the extent of the
# points; for the last three formats also three.js's findings as "three_<key>" lines and, with
# --corners, every triangle corner as three.js read it.
import os
import re
import subprocess
import sys
import zipfile
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


# assimp's summary: faces, vertices and extent; any primitive but triangles (a degenerate face
# that it turned into a line or a point) is an error.
def read_with_assimp(path):
    dump = run("assimp", "info", path)
    field = lambda name: re.search(name + r":?\s+(.*)", dump)[1].strip()
    if field("Primitive Types") != "triangles":
        sys.exit("assimp found primitives other than triangles: " + field("Primitive Types"))
    stats = {"faces": int(field("Faces")), "points": int(field("Vertices"))}
    extent = [field(n).strip("()").split() for n in ("Minimum point", "Maximum point")]
    return dump, stats, [[float(v) for v in corner] for corner in extent]


# A 3MF package: assimp's import, and the model part read here (assimp gives each object one
# material): "colour R G B faces" lines for the display colours the triangles (or their objects)
# name, "textured" for triangles mapped to a texture; then the unit and the textures' images.
def read_3mf(path):
    dump, stats, points = read_with_assimp(path)
    with zipfile.ZipFile(path) as package:
        if package.testzip() is not None:
            sys.exit("damaged entry " + package.testzip())
        root = ET.fromstring(package.read("3D/3dmodel.model"))
    core = "{http://schemas.microsoft.com/3dmanufacturing/core/2015/02}"
    materials = "{http://schemas.microsoft.com/3dmanufacturing/material/2015/02}"
    colours = {}
    for group in root.iter(core + "basematerials"):
        for index, base in enumerate(group.iter(core + "base")):
            rgb = base.get("displaycolor")[1:7]
            colours[(group.get("id"), str(index))] = " ".join(
                str(int(rgb[i : i + 2], 16)) for i in (0, 2, 4))
    faces = {}
    for obj in root.iter(core + "object"):
        for triangle in obj.iter(core + "triangle"):
            if triangle.get("pid"):
                key = (triangle.get("pid"), triangle.get("p1"))
            else:
                key = (obj.get("pid"), obj.get("pindex"))
            colour = colours.get(key, "textured")
            faces[colour] = faces.get(colour, 0) + 1
    lines = ["colour %s %d" % item for item in sorted(faces.items())]
    lines.append("unit " + root.get("unit", "millimeter"))
    for t in root.iter(materials + "texture2d"):
        lines.append("image " + t.get("path") + " " + t.get("contenttype"))
    return dump, stats, points, "\n".join(lines)


def read_with_three(path, corners):
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "js", "read_export.mjs")
    return run("node", script, path, *(["--corners"] if corners else []))


def main():
    path = sys.argv[1]
    ext = path.rsplit(".", 1)[-1]
    three, extra = "", ""
    if ext == "3mf":
        dump, stats, points, extra = read_3mf(path)
    elif ext in ("glb", "obj", "stl"):
        dump, stats, points = read_with_assimp(path)
        three = read_with_three(path, "--corners" in sys.argv)
    else:
        reader = {"dxf": read_dxf, "3ds": read_3ds, "wrl": read_vrml}[ext]
        dump, stats, points = reader(path)
        stats["points"] = len(points)
    print(dump)
    print("== read back ==")
    for key, value in stats.items():
        print(key, value)
    if points:
        print("min", *(min(p[axis] for p in points) for axis in range(3)))
        print("max", *(max(p[axis] for p in points) for axis in range(3)))
    if extra:
        print(extra)
    for line in three.splitlines():
        print(line if line.startswith("corner") else "three_" + line)


if __name__ == "__main__":
    main()

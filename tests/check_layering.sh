#!/usr/bin/env bash
# Fails when a source of the core libraries (palvorin_core, palvorin_figures) or a command-line tool
# includes Qt or OpenGL. The end caps may include GLU for the tessellator.
# Usage: check_layering.sh ROOT SOURCE...; the sources come from the build, each with the header of
# the same name beside it.
root=${1:-.}
shift
cd "$root" || exit 2
if [ $# -eq 0 ]; then
  echo "no core sources given"
  exit 2
fi
core=()
for s in "$@"; do
  core+=("$s")
  h="${s%.cpp}.h"
  [ "$h" != "$s" ] && [ -f "$h" ] && core+=("$h")
done
# Headers without a source of their own in the core's folders.
for d in model mesh meshexport traversal; do
  for h in "$d"/*.h; do [ -f "$h" ] && core+=("$h"); done
done
core+=(render/UnTRenderer.h render/UnTRenderer_Exporters.h scene/UnOpenGL.h)
bad=$(grep -n -E '#include *[<"](Q[A-Za-z]|qt|GL/gl\.h|GL/glx|GL/glext|QtOpenGL|epoxy)' "${core[@]}")
if [ -n "$bad" ]; then
  echo "core sources include Qt or OpenGL headers:"
  echo "$bad"
  exit 1
fi
glu=$(grep -l -E '#include *[<"]GL/glu\.h' "${core[@]}" | grep -v 'mesh/UnEndCaps\.cpp$')
if [ -n "$glu" ]; then
  echo "only the end caps may use GLU: $glu"
  exit 1
fi
echo "core layering ok: ${#core[@]} files"

#!/usr/bin/env bash
# Fails when a core source (model, mesh, exporters, texture table, object file, the editor's figures
# and the polyline edit control's logic) includes Qt or OpenGL.
# The end caps may include GLU for the tessellator.
root=${1:-.}
cd "$root" || exit 2
core=$(ls model/*.h model/*.cpp mesh/*.h mesh/*.cpp render/UnTRenderer.* render/UnTRenderer_DXF.* \
          render/UnTRenderer_VRML.* render/UnTRenderer_3DS.* render/UnRedraw.* scene/UnOpenGL.h \
          scene/UnOpenGL.cpp scene/UnBmpTex*.* tools/*.cpp editor/fmath.* editor/LineLibrary.* \
          editor/unTFC*.* editor/UnTFC*.* editor/UnMultiLineEditCore.* \
          app/Internationalization_File.* 2>/dev/null)
bad=$(grep -n -E '#include *[<"](Q[A-Za-z]|qt|GL/gl\.h|GL/glx|GL/glext|QtOpenGL|epoxy)' $core)
if [ -n "$bad" ]; then
  echo "core sources include Qt or OpenGL headers:"
  echo "$bad"
  exit 1
fi
glu=$(grep -l -E '#include *[<"]GL/glu\.h' $core | grep -v '^mesh/UnEndCaps\.cpp$')
if [ -n "$glu" ]; then
  echo "only the end caps may use GLU: $glu"
  exit 1
fi
echo "core layering ok"

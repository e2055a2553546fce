// Screen renderers: display lists of faces, object lists with placement and selection mark.
#include "render/UnTRenderer_OGL.h"

#include "scene/UnOpenGL.h"

#include <GL/gl.h>

#include <cmath>
#include <memory>

namespace {

void glVertex(const Vec3& v) {
    glVertex3f(v.X, v.Y, v.Z);
}

void lineBetween(float x0, float y0, float z0, float x1, float y1, float z1) {
    glVertex3f(x0, y0, z0);
    glVertex3f(x1, y1, z1);
}

void loop(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d) {
    glBegin(GL_LINE_LOOP);
    glVertex(a);
    glVertex(b);
    glVertex(c);
    glVertex(d);
    glEnd();
}

void clearView() {
    glClearColor(0.7f, 0.8f, 0.8f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

} // namespace

void TOGLRenderer::initObject(const std::string& /*name*/) {
    boundsMin = {999999, 999999, 999999};
    boundsMax = {-999999, -999999, -999999};
}

void TOGLRenderer::initList(int32_t listId) {
    glNewList(static_cast<GLuint>(listId), GL_COMPILE);
}

void TOGLRenderer::setTexture(TTextureObj texture) {
    if (texture.TexId < 0) {
        glDisable(GL_TEXTURE_2D);
        return;
    }
    glDisable(GL_TEXTURE_1D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture.TexId));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLfloat>(GL_REPEAT));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLfloat>(GL_REPEAT));
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(GL_MODULATE));
    glEnable(GL_TEXTURE_2D);
}

void TOGLRenderer::setColor(ColorF color) {
    const GLfloat c[4] = {color.R, color.G, color.B, color.A};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, c);
}

void TOGLRenderer::quads(const TQuadVerts& vertices, bool textured, const TQuadVerts& texCoords) {
    for (const Vec3& v : vertices)
        extendBounds(v);
    TTriVerts v{vertices[0], vertices[1], vertices[2]};
    TTriVerts t{texCoords[0], texCoords[1], texCoords[2]};
    const bool same01 = SamePoint(vertices[0], vertices[1]);
    const bool same12 = SamePoint(vertices[1], vertices[2]);
    const bool same23 = SamePoint(vertices[2], vertices[3]);
    const bool same03 = SamePoint(vertices[0], vertices[3]);
    if (same01 && same23) return; // folded to a line or a point
    if (same01) {
        v = {vertices[0], vertices[2], vertices[3]};
        t = {texCoords[0], texCoords[2], texCoords[3]};
    } else if (same12 || same23) {
        v[2] = vertices[3];
        t[2] = texCoords[3];
    } else if (!same03) {
        // A real quad: one fan, flat-shaded with the normal of its first three corners.
        glBegin(GL_TRIANGLE_FAN);
        triangle(v, textured, t);
        if (textured) glTexCoord2f(texCoords[3].X, texCoords[3].Y);
        glVertex(vertices[3]);
        glEnd();
        return;
    }
    glBegin(GL_TRIANGLES);
    triangle(v, textured, t);
    glEnd();
}

void TOGLRenderer::triangle(const TTriVerts& vertices, bool textured, const TTriVerts& texCoords) {
    const Vec3 n = TriangleNormal(vertices[0], vertices[1], vertices[2], true);
    glNormal3f(n.X, n.Y, n.Z);
    for (int k = 0; k < 3; ++k) {
        if (textured) glTexCoord2f(texCoords[k].X, texCoords[k].Y);
        glVertex(vertices[k]);
        extendBounds(vertices[k]);
    }
}

void TOGLRenderer::endList() {
    glEndList();
}

void TOGLRenderer::endObject(int32_t listId, int32_t listCount, bool selected) {
    const GLuint placement = static_cast<GLuint>(listId + PlacementListOffset);
    glNewList(placement, GL_COMPILE);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(0, 0, 0);
    glRotatef(0, 1, 0, 0);
    glRotatef(0, 0, 1, 0);
    glRotatef(0, 0, 0, 1);
    glEndList();

    glNewList(static_cast<GLuint>(listId), GL_COMPILE);
    glCallList(placement);
    // Only face lists this object compiled: a number it never used must not draw another's faces.
    const int32_t last = listCount < FaceListBlock - 1 ? listCount : FaceListBlock - 1;
    for (int32_t k = 1; k <= last; ++k) {
        const GLuint face = static_cast<GLuint>(faceListId(listId, k));
        if (glIsList(face)) glCallList(face);
    }
    if (selected) drawSelectionMark();
    glPopMatrix();
    glEndList();
}

void TOGLRenderer::beginPrimitive(int32_t mode) {
    glBegin(static_cast<GLenum>(mode));
}

void TOGLRenderer::texturedVertex(Vec3 vertex, Vec3 texCoord, Vec3 normal) {
    glTexCoord2f(texCoord.X, texCoord.Y);
    glNormal3f(normal.X, normal.Y, normal.Z);
    glVertex(vertex);
    extendBounds(vertex);
}

void TOGLRenderer::vertex(Vec3 vertex, Vec3 normal) {
    glNormal3f(normal.X, normal.Y, normal.Z);
    glVertex(vertex);
    extendBounds(vertex);
}

void TOGLRenderer::endPrimitive() {
    glEnd();
}

void TOGLRenderer::initRendering(const std::string& /*fileName*/) {
    clearView();
}

void TOGLRenderer::endRendering() {
    glFinish();
}

void TOGLRenderer::drawSelectionMark() {
    // Centre rounded half to even (the default rounding mode), half length of the cross 400.
    const float cx = std::nearbyint((boundsMin.X + boundsMax.X) / 2);
    const float cy = std::nearbyint((boundsMin.Y + boundsMax.Y) / 2);
    const float cz = std::nearbyint((boundsMin.Z + boundsMax.Z) / 2);
    const float h = 400;
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glLineWidth(2.0f);
    glNormal3f(0, 1, 0);
    const GLfloat red[3] = {1, 0, 0}, blue[3] = {0, 0, 1}, green[3] = {0, 1, 0};
    glBegin(GL_LINES);
    glColor3fv(red);
    lineBetween(cx, cy, cz - h, cx, cy, cz + h);
    glColor3fv(blue);
    lineBetween(cx - h, cy, cz, cx + h, cy, cz);
    glColor3fv(green);
    lineBetween(cx, cy - h, cz, cx, cy + h, cz);
    glEnd();

    const Vec3& m = boundsMin;
    const Vec3& M = boundsMax;
    glColor3fv(red);
    loop({m.X, m.Y, M.Z}, {M.X, m.Y, M.Z}, {M.X, M.Y, M.Z}, {m.X, M.Y, M.Z});
    loop({m.X, m.Y, m.Z}, {M.X, m.Y, m.Z}, {M.X, M.Y, m.Z}, {m.X, M.Y, m.Z});
    loop({m.X, m.Y, m.Z}, {m.X, m.Y, M.Z}, {m.X, M.Y, M.Z}, {m.X, M.Y, m.Z});
    loop({M.X, m.Y, m.Z}, {M.X, m.Y, M.Z}, {M.X, M.Y, M.Z}, {M.X, M.Y, m.Z});
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
}

void TWFRenderer::setTexture(TTextureObj /*texture*/) {}

void TWFRenderer::initRendering(const std::string& /*fileName*/) {
    clearView();
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
}

void TWFRenderer::endRendering() {
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glFinish();
}

void useOGLRenderer() {
    setCurrentRenderer(std::make_unique<TOGLRenderer>());
}

void useWireframeRenderer() {
    setCurrentRenderer(std::make_unique<TWFRenderer>());
}

bool currentRendererIsOGL() {
    return dynamic_cast<TOGLRenderer*>(currentRenderer()) != nullptr;
}

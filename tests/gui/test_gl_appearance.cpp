// The view of an L-turn without edge groups: its sides in the default grey in both legs, the
// corner colour on the corner only, and a loaded texture that no face uses nowhere.
#include "gl_fixture.h"
#include "tools/export_fixtures.h"

#include "traversal/UnRedraw.h"
#include "scene/UnTextureUpload.h"

namespace {

// The screen's display-list steps around the traversal.
class ViewHooks : public TRedrawHooks {
    void deleteObjectLists(int32_t id) override { ::deleteObjectLists(id); }
    void placeObjectList(int32_t id, const Vec3& p, const Vec3& r) override {
        ::placeObjectList(id, p, r);
    }
    void drawAllLists() override { ::drawAllLists(); }
};

// Colour under the world point (x, y, z) in the image of the last frame.
QColor under(const QImage& img, double x, double y, double z) {
    GLdouble model[16], proj[16], wx = 0, wy = 0, wz = 0;
    GLint view[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    glGetIntegerv(GL_VIEWPORT, view);
    gluProject(x, y, z, model, proj, view, &wx, &wy, &wz);
    const QPoint p(static_cast<int>(wx), img.height() - 1 - static_cast<int>(wy));
    return img.rect().contains(p) ? img.pixelColor(p) : QColor();
}

bool grey(const QColor& c) {
    return !isBackground(c) && c.valueF() > 0.2 && std::abs(c.redF() - c.greenF()) < 0.03 &&
           std::abs(c.greenF() - c.blueF()) < 0.03;
}
bool blue(const QColor& c) {
    return c.blueF() > 0.4 && c.redF() < 0.1 && c.greenF() < 0.1;
}

} // namespace

using AppearanceTest = GlTest;

TEST_F(AppearanceTest, LTurnSidesAreDefaultGreyWhateverWasDrawnOrLoadedBefore) {
    // A texture in the table, bound by its upload, that no face uses.
    const std::filesystem::path bmp = std::string(PALVORIN_BINARY_DIR) + "/gl_test_unused.bmp";
    fixtures::writeFourColoursBmp(bmp);
    addTexture(bmp.string(), "unused");
    std::filesystem::remove(bmp);

    // The L lies in the X/Z plane; turned a quarter about X, its top faces the eye. Green start
    // cap, red end cap, blue corners, no edge group.
    auto l = std::make_unique<TExtrObj>();
    l->ProfileCount =
        fixtures::setOutline(l->Profile.data(), {{-5, -5}, {5, -5}, {5, 5}, {-5, 5}, {-5, -5}});
    l->PathCount = fixtures::setOutline(l->Path.data(), {{-20, -20}, {-20, 20}, {20, 20}});
    l->SetProfileScale(100);
    l->SetPathScale(100);
    l->SetPrecision(2);
    l->SetTopColor(0x00FF00);
    l->SetBottomColor(0x0000FF);
    l->SetCornersColor(0xFF0000);
    l->SetRotation(Vec3{90, 0, 0});
    const auto doc = fixtures::makeDoc("", std::move(l));

    // Twice, as the view redraws: the second frame replays lists after those of the first.
    ViewHooks hooks;
    for (int frame = 0; frame < 2; ++frame) {
        redrawDocument(*doc, -1, "", &hooks);
        const QImage img = grab();
        SCOPED_TRACE(frame);
        // Object (x, 5, z) shows at (x, -z, 5): the top faces of both legs, halfway along.
        for (const auto& [x, y] : {std::pair{-20.0, 5.0}, std::pair{5.0, -20.0}})
            EXPECT_PRED1(grey, under(img, x, y, 5)) << x << " " << y;
        EXPECT_PRED1(blue, under(img, -23, -23, 5)) << "the outer corner";
        // Nothing shows the texture's red, green or yellow, nor a cap colour seen edge on.
        int tinted = 0;
        for (int py = 0; py < H; ++py)
            for (int px = 0; px < W; ++px) {
                const QColor c = img.pixelColor(px, py);
                tinted += !isBackground(c) && !grey(c) && !blue(c);
            }
        EXPECT_EQ(tinted, 0);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

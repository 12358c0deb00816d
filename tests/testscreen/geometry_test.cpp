#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "testscreen/test_screen.h"

namespace {

// A record with a zeroed cube array of 36 vertices, as the start-up leaves it.
struct CubeScene {
    CubeScene() {
        std::memset(&state, 0, sizeof state);
        vertices.assign(CUBE_VERTICES, D3DTLVERTEX{});
        state.lpCubeVertices = vertices.data();
    }
    TestScreenState state;
    std::vector<D3DTLVERTEX> vertices;
};

}  // namespace

TEST(BackgroundBands, FourRampsFromBlackAtTheLeftToTheirColourAtTheRight) {
    std::vector<D3DTLVERTEX> v(BACKGROUND_VERTICES, D3DTLVERTEX{});
    BuildBackgroundBands(v.data(), 640, 480);
    const DWORD colours[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
    for (int band = 0; band < 4; ++band) {
        const D3DTLVERTEX* b = &v[6 * band];
        const float top = 120.0f * band;
        const float bottom = top + 120.0f;
        const float xs[6] = {0, 639, 639, 0, 639, 0};
        const float ys[6] = {top, top, bottom, top, bottom, bottom};
        for (int i = 0; i < 6; ++i) {
            EXPECT_FLOAT_EQ(b[i].sx, xs[i]) << band << ' ' << i;
            EXPECT_FLOAT_EQ(b[i].sy, ys[i]) << band << ' ' << i;
            EXPECT_EQ(b[i].sz, 1.0f);
            EXPECT_EQ(b[i].rhw, 1.0f);
            EXPECT_EQ(b[i].specular, 0u);
            EXPECT_EQ(b[i].color, xs[i] == 0 ? 0xFF000000u : colours[band]) << band << ' ' << i;
        }
        EXPECT_EQ(b[1].tu, 0.999f);
        EXPECT_EQ(b[1].tv, 0.0f);
        EXPECT_EQ(b[2].tv, 0.999f);
        EXPECT_EQ(b[5].tu, 0.0f);
        EXPECT_EQ(b[5].tv, 0.999f);
    }
}

TEST(BackgroundBands, OddHeightSplitsIntoQuarterBands) {
    std::vector<D3DTLVERTEX> v(BACKGROUND_VERTICES, D3DTLVERTEX{});
    BuildBackgroundBands(v.data(), 512, 385);
    EXPECT_FLOAT_EQ(v[6].sy, 96.25f);
    EXPECT_FLOAT_EQ(v[23].sy, 385.0f);
    EXPECT_FLOAT_EQ(v[1].sx, 511.0f);
}

TEST(CubeVertices, FirstFrameIsTheAxisAlignedRectangleInTheMiddle) {
    CubeScene scene;
    UpdateCubeForScreen(&scene.state, 640, 480);
    EXPECT_EQ(scene.state.rotationAngle, 1.0f);
    // Face 1 (z = +0.5), the one facing the viewer at the start.
    const float expected[6][4] = {{400, 180, 1, 1}, {240, 180, 0, 1}, {240, 300, 0, 0},
                                  {400, 180, 1, 1}, {240, 300, 0, 0}, {400, 300, 1, 0}};
    for (int i = 0; i < 6; ++i) {
        const D3DTLVERTEX& v = scene.vertices[6 + i];
        EXPECT_FLOAT_EQ(v.sx, expected[i][0]) << i;
        EXPECT_FLOAT_EQ(v.sy, expected[i][1]) << i;
        EXPECT_FLOAT_EQ(v.sz, 0.5f) << i;
        EXPECT_EQ(v.rhw, 1.0f);
        EXPECT_EQ(v.tu, expected[i][2]) << i;
        EXPECT_EQ(v.tv, expected[i][3]) << i;
        EXPECT_EQ(v.color, 0u);
        EXPECT_EQ(v.specular, 0u);
    }
    for (const D3DTLVERTEX& v : scene.vertices) {
        EXPECT_TRUE(v.sx == 240.0f || v.sx == 400.0f) << v.sx;
        EXPECT_TRUE(v.sy == 180.0f || v.sy == 300.0f) << v.sy;
    }
}

TEST(CubeVertices, NinetyDegreesTurnsXAndZAround) {
    // At 90 degrees Ry.Rx.Ry.Rz works out by hand to diag(-1, 1, -1).
    CubeScene scene;
    scene.state.rotationAngle = 90.0f;
    UpdateCubeForScreen(&scene.state, 640, 480);
    EXPECT_EQ(scene.state.rotationAngle, 91.0f);
    const D3DTLVERTEX& v0 = scene.vertices[0];  // model (-0.5, -0.5, -0.5)
    EXPECT_NEAR(v0.sx, 400.0f, 1e-4);
    EXPECT_NEAR(v0.sy, 180.0f, 1e-4);
    EXPECT_NEAR(v0.sz, 0.5f, 1e-6);
    const D3DTLVERTEX& v32 = scene.vertices[32];  // model (0.5, 0.5, 0.5)
    EXPECT_NEAR(v32.sx, 240.0f, 1e-4);
    EXPECT_NEAR(v32.sy, 300.0f, 1e-4);
    EXPECT_NEAR(v32.sz, -0.5f, 1e-6);
}

TEST(CubeVertices, AngleGoesOnPastAFullTurnAndDepthStaysWithinHalfTheDiagonal) {
    CubeScene scene;
    float deepest = 0;
    bool sawNegative = false;
    for (int frame = 0; frame < 362; ++frame) {
        UpdateCubeForScreen(&scene.state, 800, 600);
        for (const D3DTLVERTEX& v : scene.vertices) {
            deepest = std::max(deepest, std::fabs(v.sz));
            sawNegative = sawNegative || v.sz < 0;
        }
    }
    EXPECT_EQ(scene.state.rotationAngle, 362.0f);
    EXPECT_LE(deepest, 0.8661f);  // sqrt(3) / 2
    EXPECT_GT(deepest, 0.75f);
    EXPECT_TRUE(sawNegative);
}

TEST(CubeVertices, UnknownScreenSizePutsEveryVertexAtTheOrigin) {
    CubeScene scene;
    scene.state.rotationAngle = 37.0f;
    UpdateCubeVertices(&scene.state);  // no surfaces to read the size from
    for (const D3DTLVERTEX& v : scene.vertices) {
        EXPECT_EQ(v.sx, 0.0f);
        EXPECT_EQ(v.sy, 0.0f);
    }
    EXPECT_EQ(scene.state.rotationAngle, 38.0f);
}

TEST(CubeVertices, WithoutACubeArrayNothingHappensAndTheAngleStays) {
    TestScreenState state;
    std::memset(&state, 0, sizeof state);
    state.rotationAngle = 5.0f;
    UpdateCubeVertices(&state);
    UpdateCubeForScreen(&state, 640, 480);
    EXPECT_EQ(state.rotationAngle, 5.0f);
}

TEST(Matrices, RotationsAboutEachAxisAndUnknownAxisCodes) {
    MATRIX4 m;
    MakeRotation(&m, 90.0f, AXIS_X);
    EXPECT_NEAR(m.m[1][1], 0.0f, 1e-7);
    EXPECT_EQ(m.m[1][2], 1.0f);
    EXPECT_EQ(m.m[2][1], -1.0f);
    EXPECT_EQ(m.m[0][0], 1.0f);
    MakeRotation(&m, 30.0f, AXIS_Z);
    EXPECT_NEAR(m.m[0][0], 0.8660254f, 1e-6);
    EXPECT_NEAR(m.m[0][1], 0.5f, 1e-6);
    EXPECT_NEAR(m.m[1][0], -0.5f, 1e-6);
    EXPECT_EQ(m.m[2][2], 1.0f);
    MakeRotation(&m, 30.0f, AXIS_Y);
    EXPECT_NEAR(m.m[0][2], -0.5f, 1e-6);
    EXPECT_NEAR(m.m[2][0], 0.5f, 1e-6);
    for (int axis : {0, 3, 8}) {
        MakeRotation(&m, 45.0f, axis);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) EXPECT_EQ(m.m[r][c], r == c ? 1.0f : 0.0f) << axis;
    }
}

TEST(Matrices, ProductMayBeWrittenOverEitherFactor) {
    MATRIX4 a;
    MATRIX4 b;
    ZeroMatrix(&a);
    ZeroMatrix(&b);
    // a = [[1,2],[3,4]], b = [[5,6],[7,8]] in the upper-left corner.
    a.m[0][0] = 1, a.m[0][1] = 2, a.m[1][0] = 3, a.m[1][1] = 4;
    b.m[0][0] = 5, b.m[0][1] = 6, b.m[1][0] = 7, b.m[1][1] = 8;
    MATRIX4 left = a;
    MultiplyMatrix(&left, &left, &b);
    MATRIX4 right = b;
    MultiplyMatrix(&right, &a, &right);
    for (const MATRIX4* product : {&left, &right}) {
        EXPECT_EQ(product->m[0][0], 19.0f);
        EXPECT_EQ(product->m[0][1], 22.0f);
        EXPECT_EQ(product->m[1][0], 43.0f);
        EXPECT_EQ(product->m[1][1], 50.0f);
        EXPECT_EQ(product->m[3][3], 0.0f);
    }
}

TEST(Matrices, TransformUsesTheUpperLeftBlockAndKeepsTheOtherFields) {
    MATRIX4 m;
    IdentityMatrix(&m);
    m.m[0][1] = 2.0f;   // x' = x + 2y
    m.m[2][0] = -1.0f;  // z' = z - x
    m.m[0][3] = 100.0f; // the fourth column plays no part
    D3DTLVERTEX source{};
    source.sx = 1.0f;
    source.sy = 2.0f;
    source.sz = 3.0f;
    source.rhw = 0.25f;
    source.color = 0x12345678u;
    source.tu = 0.5f;
    D3DTLVERTEX dest{};
    TransformVertex(&m, &source, &dest);
    EXPECT_EQ(dest.sx, 5.0f);
    EXPECT_EQ(dest.sy, 2.0f);
    EXPECT_EQ(dest.sz, 2.0f);
    EXPECT_EQ(dest.rhw, 0.25f);
    EXPECT_EQ(dest.color, 0x12345678u);
    EXPECT_EQ(dest.tu, 0.5f);
}

TEST(Matrices, MapToScreenScalesAndOffsetsOnlyXAndY) {
    D3DTLVERTEX v[2] = {};
    v[0].sx = -0.5f, v[0].sy = 0.25f, v[0].sz = -0.7f;
    v[1].sx = 1.0f, v[1].sy = -1.0f, v[1].rhw = 1.0f;
    MapToScreen(v, 1, 400.0f, 300.0f, 200.0f, 150.0f);
    EXPECT_EQ(v[0].sx, 300.0f);
    EXPECT_EQ(v[0].sy, 337.5f);
    EXPECT_EQ(v[0].sz, -0.7f);
    EXPECT_EQ(v[1].sx, 1.0f);  // beyond the count: untouched
}

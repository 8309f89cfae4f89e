#include "engine/core/helpers/vector_math.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

Matrix4 Filled(float start) {
    Matrix4 m;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            m.m[i][j] = start + static_cast<float>(i * 4 + j) * (j == i ? 2.0f : 0.5f);
    return m;
}

TEST(VectorMath, ClipRectTable) {
    const IntRect clip{0, 0, 100, 50};
    struct Case {
        IntRect in, out;
    } cases[] = {
        {{10, 10, 20, 20}, {10, 10, 20, 20}},      // inside
        {{150, 10, 200, 20}, {100, 10, 100, 20}},  // wholly right: left = right = clip right
        {{-30, -5, 10, 60}, {0, 0, 10, 50}},       // straddling
        {{30, 40, 20, 10}, {30, 40, 30, 40}},      // inverted becomes empty, never inverted
        {{-50, -50, -10, -10}, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        IntRect r = c.in;
        ClipRect(&r, &clip);
        EXPECT_EQ(r.left, c.out.left);
        EXPECT_EQ(r.top, c.out.top);
        EXPECT_EQ(r.right, c.out.right);
        EXPECT_EQ(r.bottom, c.out.bottom);
        EXPECT_LE(r.left, r.right);
        EXPECT_LE(r.top, r.bottom);
    }
}

TEST(VectorMath, MultiplyInPlaceAndInverse) {
    Matrix4 a = Filled(1.0f), b = Filled(-2.0f), expected;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += a.m[i][k] * b.m[k][j];
            expected.m[i][j] = sum;
        }
    Matrix4 m = a;
    MultiplyMatrix(&m, &m, &b);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_FLOAT_EQ(m.m[i][j], expected.m[i][j]);

    Matrix4 inv, id;
    ASSERT_EQ(InvertMatrix(&inv, &a), 0);
    MultiplyMatrix(&id, &a, &inv);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(id.m[i][j], i == j ? 1.0f : 0.0f, 1e-4f);

    Matrix4 singular{};
    Matrix4 untouched = a;
    EXPECT_EQ(InvertMatrix(&untouched, &singular), -1);
    EXPECT_EQ(untouched.m[0][0], a.m[0][0]);
}

TEST(VectorMath, PointsAreRowVectors) {
    Matrix4 t;
    SetIdentityMatrix(&t);
    t.m[3][0] = 5, t.m[3][1] = -2, t.m[3][2] = 1;
    Vector3 p{1, 2, 3}, out;
    TransformPoint(&out, &p, &t);
    EXPECT_FLOAT_EQ(out.x, 6);
    EXPECT_FLOAT_EQ(out.y, 0);
    EXPECT_FLOAT_EQ(out.z, 4);
    float w = 0, outW;
    TransformVector4(&out, &outW, &p, &w, &t);
    EXPECT_FLOAT_EQ(out.x, 1);
    EXPECT_FLOAT_EQ(outW, 0);
    Matrix4 tt;
    TransposeMatrix(&tt, &t);
    EXPECT_FLOAT_EQ(tt.m[0][3], 5);
}

TEST(VectorMath, ProjectionsAndAspectDefault) {
    Matrix4 m;
    SetIdentityMatrix(&m);
    EXPECT_EQ(MakePerspectiveMatrix(&m, 1.0f, 5.0f, 5.0f, 1.0f), -1);
    EXPECT_FLOAT_EQ(m.m[0][0], 1.0f);  // left as it was

    SetProjectionAspect(0, 0);
    ASSERT_EQ(MakePerspectiveMatrix(&m, 1.5707964f, 1.0f, 101.0f, -1.0f), 0);
    EXPECT_NEAR(m.m[0][0], 0.75f, 1e-6f);
    EXPECT_NEAR(m.m[1][1], 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(m.m[2][2], 101.0f / 100.0f);
    EXPECT_FLOAT_EQ(m.m[2][3], 1.0f);
    EXPECT_FLOAT_EQ(m.m[3][2], -(101.0f / 100.0f) * 1.0f);
    EXPECT_FLOAT_EQ(m.m[3][3], 0.0f);

    ASSERT_EQ(MakePerspectiveMatrix(&m, 1.0f, 1.0f, 10.0f, 0.0f), 0);
    EXPECT_EQ(m.m[0][0], 0.0f);

    SetProjectionAspect(400, 300);
    ASSERT_EQ(MakeOrthoMatrix(&m, 300.0f, 0.0f, 10.0f, -1.0f), 0);
    EXPECT_FLOAT_EQ(m.m[0][0], 2.0f / 400.0f);
    EXPECT_FLOAT_EQ(m.m[1][1], 2.0f / 300.0f);
    EXPECT_EQ(MakeOrthoMatrix(&m, 300.0f, 2.0f, 2.0f, 1.0f), -1);
    SetProjectionAspect(0, 0);
}

TEST(VectorMath, LookAtViewportAndPlane) {
    Vector3 eye{0, 0, -10}, target{0, 0, 0}, up{0, 1, 0}, p{0, 0, 0}, out;
    Matrix4 view;
    MakeLookAtMatrix(&view, &eye, &target, &up);
    TransformPoint(&out, &p, &view);
    EXPECT_FLOAT_EQ(out.z, 10.0f);
    EXPECT_FLOAT_EQ(out.x, 0.0f);

    Matrix4 vp;
    MakeViewportMatrix(&vp, 3, 4, 800, 600);
    EXPECT_FLOAT_EQ(vp.m[0][0], 400);
    EXPECT_FLOAT_EQ(vp.m[1][1], -300);
    EXPECT_FLOAT_EQ(vp.m[3][0], 3);
    EXPECT_FLOAT_EQ(vp.m[3][1], 4);
    EXPECT_FLOAT_EQ(vp.m[2][2], 1);

    Vector3 point{0, 5, 0}, normal{0, 2, 0};
    Plane plane;
    MakePlaneFromNormalPoint(&plane, &point, &normal);
    EXPECT_FLOAT_EQ(plane.b, 1.0f);
    EXPECT_FLOAT_EQ(plane.d, -5.0f);

    Vector3 a{1, 0, 0}, b{0, 1, 0}, c;
    CrossVector(&c, &a, &b);
    EXPECT_FLOAT_EQ(c.z, 1.0f);
    EXPECT_FLOAT_EQ(DotVector(&a, &b), 0.0f);
    Vector3 n;
    MakeNormalizedVector(&n, 3, 0, 4);
    EXPECT_FLOAT_EQ(n.x, 0.6f);
    EXPECT_FLOAT_EQ(n.z, 0.8f);
}

}  // namespace

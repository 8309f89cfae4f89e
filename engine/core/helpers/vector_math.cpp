#include "engine/core/helpers/vector_math.h"

#include <cmath>

#include "engine/core/helpers/string_helpers.h"

namespace {
int g_aspectWidth = 0;
int g_aspectHeight = 0;

Matrix4 ZeroMatrix() {
    return Matrix4{};
}

float DefaultAspect(float aspect) {
    if (aspect >= 0.0f) return aspect;
    if (g_aspectWidth != 0 && g_aspectHeight != 0)
        return static_cast<float>(g_aspectHeight) / static_cast<float>(g_aspectWidth);
    return 0.75f;
}

int Clamp(int v, int lo, int hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

// Determinant of the 3x3 minor left after removing row r and column c.
float Minor(const Matrix4& m, int r, int c) {
    float s[3][3];
    for (int i = 0, si = 0; i < 4; ++i) {
        if (i == r) continue;
        for (int j = 0, sj = 0; j < 4; ++j) {
            if (j == c) continue;
            s[si][sj++] = m.m[i][j];
        }
        ++si;
    }
    return s[0][0] * (s[1][1] * s[2][2] - s[1][2] * s[2][1]) -
           s[0][1] * (s[1][0] * s[2][2] - s[1][2] * s[2][0]) +
           s[0][2] * (s[1][0] * s[2][1] - s[1][1] * s[2][0]);
}
}  // namespace

int SetProjectionAspect(int width, int height) {
    g_aspectWidth = width;
    g_aspectHeight = height;
    return 0;
}

int SetIdentityMatrix(Matrix4* out) {
    *out = ZeroMatrix();
    for (int i = 0; i < 4; ++i) out->m[i][i] = 1.0f;
    return 0;
}

int MultiplyMatrix(Matrix4* out, const Matrix4* a, const Matrix4* b) {
    if (out == nullptr) return 0;
    Matrix4 t;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            t.m[i][j] = a->m[i][0] * b->m[0][j] + a->m[i][1] * b->m[1][j] + a->m[i][2] * b->m[2][j] +
                        a->m[i][3] * b->m[3][j];
    *out = t;
    return 0;
}

int TransposeMatrix(Matrix4* out, const Matrix4* m) {
    Matrix4 t;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) t.m[i][j] = m->m[j][i];
    *out = t;
    return 0;
}

int InvertMatrix(Matrix4* out, const Matrix4* m) {
    float cofactor[4][4];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) cofactor[i][j] = (((i + j) & 1) ? -1.0f : 1.0f) * Minor(*m, i, j);
    float det = 0.0f;
    for (int j = 0; j < 4; ++j) det += m->m[0][j] * cofactor[0][j];
    if (det > -1e-7f && det < 1e-7f) return -1;
    Matrix4 t;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) t.m[i][j] = cofactor[j][i] / det;
    *out = t;
    return 0;
}

int TransformPoint(Vector3* out, const Vector3* v, const Matrix4* m) {
    Vector3 r;
    r.x = v->x * m->m[0][0] + v->y * m->m[1][0] + v->z * m->m[2][0] + m->m[3][0];
    r.y = v->x * m->m[0][1] + v->y * m->m[1][1] + v->z * m->m[2][1] + m->m[3][1];
    r.z = v->x * m->m[0][2] + v->y * m->m[1][2] + v->z * m->m[2][2] + m->m[3][2];
    *out = r;
    return 0;
}

int TransformVector4(Vector3* out, float* outW, const Vector3* v, const float* w, const Matrix4* m) {
    float in[4] = {v->x, v->y, v->z, *w};
    float r[4];
    for (int j = 0; j < 4; ++j)
        r[j] = in[0] * m->m[0][j] + in[1] * m->m[1][j] + in[2] * m->m[2][j] + in[3] * m->m[3][j];
    *out = Vector3{r[0], r[1], r[2]};
    *outW = r[3];
    return 0;
}

int NormalizeVector(Vector3* out, const Vector3* v) {
    float length = SqrtF(v->x * v->x + v->y * v->y + v->z * v->z);
    *out = Vector3{v->x / length, v->y / length, v->z / length};
    return 0;
}

Vector3* MakeNormalizedVector(Vector3* out, float x, float y, float z) {
    Vector3 v{x, y, z};
    NormalizeVector(out, &v);
    return out;
}

int SubtractVector(Vector3* out, const Vector3* a, const Vector3* b) {
    *out = Vector3{a->x - b->x, a->y - b->y, a->z - b->z};
    return 0;
}

int CrossVector(Vector3* out, const Vector3* a, const Vector3* b) {
    *out = Vector3{a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x};
    return 0;
}

float DotVector(const Vector3* a, const Vector3* b) {
    return a->x * b->x + a->y * b->y + a->z * b->z;
}

int MakePlaneFromNormalPoint(Plane* out, const Vector3* point, const Vector3* normal) {
    Vector3 n;
    NormalizeVector(&n, normal);
    *out = Plane{n.x, n.y, n.z, -DotVector(&n, point)};
    return 0;
}

int MakePerspectiveMatrix(Matrix4* out, float fov, float nearZ, float farZ, float aspect) {
    aspect = DefaultAspect(aspect);
    float s, c;
    SinCosF(fov * 0.5f, &s, &c);
    float d = farZ - nearZ;
    if (std::fabs(d) < 1e-4f || std::fabs(s) < 1e-4f) return -1;
    float cot = c / s;
    Matrix4 t = ZeroMatrix();
    t.m[0][0] = aspect * cot;
    t.m[1][1] = cot;
    t.m[2][2] = farZ / d;
    t.m[2][3] = 1.0f;
    t.m[3][2] = -(farZ / d) * nearZ;
    *out = t;
    return 0;
}

int MakeOrthoMatrix(Matrix4* out, float size, float nearZ, float farZ, float aspect) {
    aspect = DefaultAspect(aspect);
    float d = nearZ - farZ;
    if (std::fabs(d) < 1e-4f) return -1;
    Matrix4 t = ZeroMatrix();
    float w = size / aspect;
    t.m[0][0] = 2.0f / w;
    t.m[1][1] = 2.0f / size;
    t.m[2][2] = 1.0f / (farZ - nearZ);
    t.m[3][2] = nearZ / (nearZ - farZ);
    t.m[3][3] = 1.0f;
    *out = t;
    return 0;
}

int MakeLookAtMatrix(Matrix4* out, const Vector3* eye, const Vector3* target, const Vector3* up) {
    Vector3 z, x, y;
    SubtractVector(&z, target, eye);
    CrossVector(&x, up, &z);
    CrossVector(&y, &z, &x);
    NormalizeVector(&x, &x);
    NormalizeVector(&y, &y);
    NormalizeVector(&z, &z);
    Matrix4 t = ZeroMatrix();
    t.m[0][0] = x.x, t.m[0][1] = y.x, t.m[0][2] = z.x;
    t.m[1][0] = x.y, t.m[1][1] = y.y, t.m[1][2] = z.y;
    t.m[2][0] = x.z, t.m[2][1] = y.z, t.m[2][2] = z.z;
    t.m[3][0] = -DotVector(&x, eye), t.m[3][1] = -DotVector(&y, eye), t.m[3][2] = -DotVector(&z, eye);
    t.m[3][3] = 1.0f;
    *out = t;
    return 0;
}

int MakeViewportMatrix(Matrix4* out, float x, float y, float width, float height) {
    Matrix4 t = ZeroMatrix();
    t.m[0][0] = width * 0.5f;
    t.m[1][1] = -(height * 0.5f);
    t.m[2][2] = 1.0f;
    t.m[3][0] = x;
    t.m[3][1] = y;
    t.m[3][3] = 1.0f;
    *out = t;
    return 0;
}

int ClipRect(IntRect* rect, const IntRect* clip) {
    if (rect->right < rect->left) rect->right = rect->left;
    if (rect->bottom < rect->top) rect->bottom = rect->top;
    rect->bottom = Clamp(rect->bottom, clip->top, clip->bottom);
    rect->top = Clamp(rect->top, clip->top, clip->bottom);
    rect->right = Clamp(rect->right, clip->left, clip->right);
    rect->left = Clamp(rect->left, clip->left, clip->right);
    return 0;
}

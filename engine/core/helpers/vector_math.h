// Small float math of the drawing code: vectors, planes, row-vector 4x4 matrices (a point is a row
// vector multiplied from the left, translation in the fourth row) and integer rectangle clipping.
#pragma once

struct Vector3 {
    float x, y, z;
};
struct Plane {
    float a, b, c, d;
};
struct Matrix4 {
    float m[4][4];
};
// right and bottom are exclusive.
struct IntRect {
    int left, top, right, bottom;
};

int SetProjectionAspect(int width, int height);
int SetIdentityMatrix(Matrix4* out);
int MultiplyMatrix(Matrix4* out, const Matrix4* a, const Matrix4* b);
int TransposeMatrix(Matrix4* out, const Matrix4* m);
int InvertMatrix(Matrix4* out, const Matrix4* m);
int TransformPoint(Vector3* out, const Vector3* v, const Matrix4* m);
int TransformVector4(Vector3* out, float* outW, const Vector3* v, const float* w, const Matrix4* m);
int NormalizeVector(Vector3* out, const Vector3* v);
Vector3* MakeNormalizedVector(Vector3* out, float x, float y, float z);
int SubtractVector(Vector3* out, const Vector3* a, const Vector3* b);
int CrossVector(Vector3* out, const Vector3* a, const Vector3* b);
float DotVector(const Vector3* a, const Vector3* b);
int MakePlaneFromNormalPoint(Plane* out, const Vector3* point, const Vector3* normal);
int MakePerspectiveMatrix(Matrix4* out, float fov, float nearZ, float farZ, float aspect);
int MakeOrthoMatrix(Matrix4* out, float size, float nearZ, float farZ, float aspect);
int MakeLookAtMatrix(Matrix4* out, const Vector3* eye, const Vector3* target, const Vector3* up);
int MakeViewportMatrix(Matrix4* out, float x, float y, float width, float height);
int ClipRect(IntRect* rect, const IntRect* clip);

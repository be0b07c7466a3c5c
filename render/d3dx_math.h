#pragma once
// The extension library's vector and matrix routines the game calls, with the
// published D3DX formulas in Direct3D's row-vector convention: a point is a row
// vector multiplied on the left, so M1 x M2 applies M1 first.
//
// The routines take the plain Direct3D records, so a D3DXMATRIX or a bare
// D3DMATRIX (as the mesh objects keep their world matrix) both go in.
#include "platform/d3d9_types.h"

struct D3DXVECTOR3 : public D3DVECTOR {
    D3DXVECTOR3() : D3DVECTOR{0.0f, 0.0f, 0.0f} {}
    D3DXVECTOR3(float newX, float newY, float newZ) : D3DVECTOR{newX, newY, newZ} {}
    D3DXVECTOR3(const D3DVECTOR& v) : D3DVECTOR(v) {}

    D3DXVECTOR3 operator+(const D3DVECTOR& v) const { return {x + v.x, y + v.y, z + v.z}; }
    D3DXVECTOR3 operator-(const D3DVECTOR& v) const { return {x - v.x, y - v.y, z - v.z}; }
    D3DXVECTOR3 operator*(float s) const { return {x * s, y * s, z * s}; }
    D3DXVECTOR3& operator+=(const D3DVECTOR& v) {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
};

struct D3DXMATRIX : public D3DMATRIX {
    D3DXMATRIX() : D3DMATRIX{} {}
    D3DXMATRIX(const D3DMATRIX& matrix) : D3DMATRIX(matrix) {}
    D3DXMATRIX(float m11, float m12, float m13, float m14, float m21, float m22, float m23,
               float m24, float m31, float m32, float m33, float m34, float m41, float m42,
               float m43, float m44);

    float& operator()(int row, int column) { return m[row][column]; }
    float operator()(int row, int column) const { return m[row][column]; }
    D3DXMATRIX operator*(const D3DMATRIX& right) const;
};

D3DMATRIX* D3DXMatrixIdentity(D3DMATRIX* out);
// out = m1 x m2; out may be m1 or m2.
D3DMATRIX* D3DXMatrixMultiply(D3DMATRIX* out, const D3DMATRIX* m1, const D3DMATRIX* m2);
D3DMATRIX* D3DXMatrixTranslation(D3DMATRIX* out, float x, float y, float z);
// Roll about z, then pitch about x, then yaw about y.
D3DMATRIX* D3DXMatrixRotationYawPitchRoll(D3DMATRIX* out, float yaw, float pitch, float roll);
D3DMATRIX* D3DXMatrixLookAtLH(D3DMATRIX* out, const D3DVECTOR* eye, const D3DVECTOR* at,
                              const D3DVECTOR* up);
// Depth 0 at the near plane, 1 at the far plane.
D3DMATRIX* D3DXMatrixPerspectiveFovLH(D3DMATRIX* out, float fovY, float aspect, float zNear,
                                      float zFar);

float D3DXVec3Dot(const D3DVECTOR* a, const D3DVECTOR* b);
float D3DXVec3Length(const D3DVECTOR* v);
D3DVECTOR* D3DXVec3Cross(D3DVECTOR* out, const D3DVECTOR* a, const D3DVECTOR* b);
// A zero vector stays zero rather than becoming NaN.
D3DVECTOR* D3DXVec3Normalize(D3DVECTOR* out, const D3DVECTOR* v);
// (x, y, z, 1) x m, divided by the resulting w.
D3DVECTOR* D3DXVec3TransformCoord(D3DVECTOR* out, const D3DVECTOR* v, const D3DMATRIX* m);
// (x, y, z, 0) x m: a direction, untouched by translation.
D3DVECTOR* D3DXVec3TransformNormal(D3DVECTOR* out, const D3DVECTOR* v, const D3DMATRIX* m);

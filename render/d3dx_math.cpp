#include "render/d3dx_math.h"

#include <xmmintrin.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/float_math.h"

D3DXMATRIX::D3DXMATRIX(float m11, float m12, float m13, float m14, float m21, float m22, float m23,
                       float m24, float m31, float m32, float m33, float m34, float m41, float m42,
                       float m43, float m44)
    : D3DMATRIX{} {
    _11 = m11, _12 = m12, _13 = m13, _14 = m14;
    _21 = m21, _22 = m22, _23 = m23, _24 = m24;
    _31 = m31, _32 = m32, _33 = m33, _34 = m34;
    _41 = m41, _42 = m42, _43 = m43, _44 = m44;
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DMATRIX& right) const {
    D3DXMATRIX product;
    D3DXMatrixMultiply(&product, this, &right);
    return product;
}

D3DMATRIX* D3DXMatrixIdentity(D3DMATRIX* out) {
    *out = D3DMATRIX{};
    out->_11 = out->_22 = out->_33 = out->_44 = 1.0f;
    return out;
}

// Every object's world matrix is made in every frame from a rotation, a
// translation and their product, so these are worked four columns at a time
// and kept in registers between steps: a matrix written element by element
// and read back by rows would stall each read. Each element of a product still
// adds its four products to zero in the order k = 0..3 in single precision, so
// every result is the plain element-by-element loop's to the bit, signed zeros
// included (a NaN stays a NaN).
namespace {

// A float's bits (std::bit_cast, which the browser build's C++ library lacks).
uint32_t BitsOf(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

struct MatrixRows {
    __m128 row[4];
};

MatrixRows LoadRows(const D3DMATRIX* matrix) {
    return {{_mm_loadu_ps(matrix->m[0]), _mm_loadu_ps(matrix->m[1]), _mm_loadu_ps(matrix->m[2]),
             _mm_loadu_ps(matrix->m[3])}};
}

void StoreRows(D3DMATRIX* matrix, const MatrixRows& rows) {
    for (int row = 0; row < 4; ++row) _mm_storeu_ps(matrix->m[row], rows.row[row]);
}

MatrixRows MultiplyRows(const MatrixRows& left, const MatrixRows& right) {
    MatrixRows product;
    for (int row = 0; row < 4; ++row) {
        const __m128 l = left.row[row];
        __m128 sum =
            _mm_add_ps(_mm_setzero_ps(), _mm_mul_ps(_mm_shuffle_ps(l, l, 0x00), right.row[0]));
        sum = _mm_add_ps(sum, _mm_mul_ps(_mm_shuffle_ps(l, l, 0x55), right.row[1]));
        sum = _mm_add_ps(sum, _mm_mul_ps(_mm_shuffle_ps(l, l, 0xAA), right.row[2]));
        product.row[row] = _mm_add_ps(sum, _mm_mul_ps(_mm_shuffle_ps(l, l, 0xFF), right.row[3]));
    }
    return product;
}

void ComputeRotationYawPitchRoll(D3DMATRIX* out, float yaw, float pitch, float roll) {
    // The three turns as row-vector matrices, multiplied in the order they act.
    const float cosRoll = Cosine(roll), sinRoll = Sine(roll);
    const float cosPitch = Cosine(pitch), sinPitch = Sine(pitch);
    const float cosYaw = Cosine(yaw), sinYaw = Sine(yaw);
    const __m128 lastRow = _mm_setr_ps(0.0f, 0.0f, 0.0f, 1.0f);
    const MatrixRows aboutZ{{_mm_setr_ps(cosRoll, sinRoll, 0.0f, 0.0f),
                             _mm_setr_ps(-sinRoll, cosRoll, 0.0f, 0.0f),
                             _mm_setr_ps(0.0f, 0.0f, 1.0f, 0.0f), lastRow}};
    const MatrixRows aboutX{{_mm_setr_ps(1.0f, 0.0f, 0.0f, 0.0f),
                             _mm_setr_ps(0.0f, cosPitch, sinPitch, 0.0f),
                             _mm_setr_ps(0.0f, -sinPitch, cosPitch, 0.0f), lastRow}};
    const MatrixRows aboutY{{_mm_setr_ps(cosYaw, 0.0f, -sinYaw, 0.0f),
                             _mm_setr_ps(0.0f, 1.0f, 0.0f, 0.0f),
                             _mm_setr_ps(sinYaw, 0.0f, cosYaw, 0.0f), lastRow}};
    StoreRows(out, MultiplyRows(MultiplyRows(aboutZ, aboutX), aboutY));
}

}  // namespace

D3DMATRIX* D3DXMatrixMultiply(D3DMATRIX* out, const D3DMATRIX* m1, const D3DMATRIX* m2) {
    // Both are read before anything is written: the world matrix is routinely
    // multiplied into itself.
    StoreRows(out, MultiplyRows(LoadRows(m1), LoadRows(m2)));
    return out;
}

D3DMATRIX* D3DXMatrixTranslation(D3DMATRIX* out, float x, float y, float z) {
    StoreRows(out, {{_mm_setr_ps(1.0f, 0.0f, 0.0f, 0.0f), _mm_setr_ps(0.0f, 1.0f, 0.0f, 0.0f),
                     _mm_setr_ps(0.0f, 0.0f, 1.0f, 0.0f), _mm_setr_ps(x, y, z, 1.0f)}});
    return out;
}

D3DMATRIX* D3DXMatrixRotationYawPitchRoll(D3DMATRIX* out, float yaw, float pitch, float roll) {
    // All 31 trees turn to the car's rotation and are drawn one after another,
    // so most frames ask for the same turn many times in a row: the last one
    // asked for is kept. Compared bit for bit, so any input, NaN included,
    // gets exactly what the computation gives.
    struct KeptTurn {
        uint32_t yaw, pitch, roll;
        bool filled;
        D3DMATRIX matrix;
    };
    thread_local KeptTurn kept{};
    const uint32_t yawBits = BitsOf(yaw);
    const uint32_t pitchBits = BitsOf(pitch);
    const uint32_t rollBits = BitsOf(roll);
    if (!kept.filled || kept.yaw != yawBits || kept.pitch != pitchBits || kept.roll != rollBits) {
        ComputeRotationYawPitchRoll(&kept.matrix, yaw, pitch, roll);
        kept.yaw = yawBits;
        kept.pitch = pitchBits;
        kept.roll = rollBits;
        kept.filled = true;
    }
    *out = kept.matrix;
    return out;
}

D3DMATRIX* D3DXMatrixLookAtLH(D3DMATRIX* out, const D3DVECTOR* eye, const D3DVECTOR* at,
                              const D3DVECTOR* up) {
    D3DVECTOR forward{at->x - eye->x, at->y - eye->y, at->z - eye->z};
    D3DXVec3Normalize(&forward, &forward);
    D3DVECTOR right;
    D3DXVec3Cross(&right, up, &forward);
    D3DXVec3Normalize(&right, &right);
    D3DVECTOR upward;
    D3DXVec3Cross(&upward, &forward, &right);

    D3DXMatrixIdentity(out);
    out->_11 = right.x, out->_12 = upward.x, out->_13 = forward.x;
    out->_21 = right.y, out->_22 = upward.y, out->_23 = forward.y;
    out->_31 = right.z, out->_32 = upward.z, out->_33 = forward.z;
    out->_41 = -D3DXVec3Dot(&right, eye);
    out->_42 = -D3DXVec3Dot(&upward, eye);
    out->_43 = -D3DXVec3Dot(&forward, eye);
    return out;
}

D3DMATRIX* D3DXMatrixPerspectiveFovLH(D3DMATRIX* out, float fovY, float aspect, float zNear,
                                      float zFar) {
    const float yScale = 1.0f / Tangent(fovY / 2.0f);
    const float xScale = yScale / aspect;
    *out = D3DMATRIX{};
    out->_11 = xScale;
    out->_22 = yScale;
    out->_33 = zFar / (zFar - zNear);
    out->_34 = 1.0f;
    out->_43 = -zNear * zFar / (zFar - zNear);
    return out;
}

float D3DXVec3Dot(const D3DVECTOR* a, const D3DVECTOR* b) {
    return a->x * b->x + a->y * b->y + a->z * b->z;
}

float D3DXVec3Length(const D3DVECTOR* v) {
    return std::sqrt(D3DXVec3Dot(v, v));
}

D3DVECTOR* D3DXVec3Cross(D3DVECTOR* out, const D3DVECTOR* a, const D3DVECTOR* b) {
    const D3DVECTOR cross{a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z,
                          a->x * b->y - a->y * b->x};
    *out = cross;
    return out;
}

D3DVECTOR* D3DXVec3Normalize(D3DVECTOR* out, const D3DVECTOR* v) {
    const float length = D3DXVec3Length(v);
    if (length == 0.0f) {
        *out = D3DVECTOR{0.0f, 0.0f, 0.0f};
        return out;
    }
    *out = D3DVECTOR{v->x / length, v->y / length, v->z / length};
    return out;
}

D3DVECTOR* D3DXVec3TransformCoord(D3DVECTOR* out, const D3DVECTOR* v, const D3DMATRIX* m) {
    const float x = v->x * m->_11 + v->y * m->_21 + v->z * m->_31 + m->_41;
    const float y = v->x * m->_12 + v->y * m->_22 + v->z * m->_32 + m->_42;
    const float z = v->x * m->_13 + v->y * m->_23 + v->z * m->_33 + m->_43;
    const float w = v->x * m->_14 + v->y * m->_24 + v->z * m->_34 + m->_44;
    *out = D3DVECTOR{x / w, y / w, z / w};
    return out;
}

D3DVECTOR* D3DXVec3TransformNormal(D3DVECTOR* out, const D3DVECTOR* v, const D3DMATRIX* m) {
    const float x = v->x * m->_11 + v->y * m->_21 + v->z * m->_31;
    const float y = v->x * m->_12 + v->y * m->_22 + v->z * m->_32;
    const float z = v->x * m->_13 + v->y * m->_23 + v->z * m->_33;
    *out = D3DVECTOR{x, y, z};
    return out;
}

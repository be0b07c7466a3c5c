#include "render/d3dx_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "core/float_math.h"

namespace {

constexpr float pi = 3.14159265358979f;

D3DXVECTOR3 Transform(const D3DVECTOR& v, const D3DMATRIX& m) {
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &v, &m);
    return out;
}

void ExpectNear(const D3DVECTOR& actual, float x, float y, float z) {
    EXPECT_NEAR(actual.x, x, 1e-5f);
    EXPECT_NEAR(actual.y, y, 1e-5f);
    EXPECT_NEAR(actual.z, z, 1e-5f);
}

// A matrix whose entries all differ, so that a transposed or misplaced
// entry shows.
D3DXMATRIX Distinct(float base) {
    D3DXMATRIX m;
    for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = base + static_cast<float>(i);
    return m;
}

TEST(MatrixMultiply, RowTimesColumnAndFirstFactorActsFirst) {
    // Worked by hand: row 0 of a = 1 2 3 4, column 0 of b = 17 21 25 29,
    // 17 + 42 + 75 + 116 = 250; row 3 of a = 13..16, column 3 of b = 20 24 28 32,
    // 260 + 336 + 420 + 512 = 1528.
    const D3DXMATRIX a = Distinct(1.0f), b = Distinct(17.0f);
    D3DXMATRIX product;
    D3DXMatrixMultiply(&product, &a, &b);
    EXPECT_FLOAT_EQ(product._11, 250.0f);
    EXPECT_FLOAT_EQ(product._44, 1528.0f);

    // Translating then yawing is not yawing then translating: the point moves
    // out along x by 5 and is then turned onto -z.
    D3DXMATRIX move, turn, both;
    D3DXMatrixTranslation(&move, 5.0f, 0.0f, 0.0f);
    D3DXMatrixRotationYawPitchRoll(&turn, pi / 2, 0.0f, 0.0f);
    D3DXMatrixMultiply(&both, &move, &turn);
    ExpectNear(Transform(D3DXVECTOR3(0, 0, 0), both), 0.0f, 0.0f, -5.0f);
}

TEST(MatrixMultiply, OutputMayBeEitherInput) {
    const D3DXMATRIX a = Distinct(1.0f), b = Distinct(-7.5f);
    D3DXMATRIX expected;
    D3DXMatrixMultiply(&expected, &a, &b);

    D3DXMATRIX left = a;
    D3DXMatrixMultiply(&left, &left, &b);
    D3DXMATRIX right = b;
    D3DXMatrixMultiply(&right, &a, &right);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(left.m[i / 4][i % 4], expected.m[i / 4][i % 4]) << i;
        EXPECT_EQ(right.m[i / 4][i % 4], expected.m[i / 4][i % 4]) << i;
    }
    // The operator gives the same product.
    const D3DXMATRIX viaOperator = a * b;
    EXPECT_EQ(viaOperator._23, expected._23);
}

TEST(MatrixTranslation, IdentityWithOffsetInFourthRow) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 1.5f, -2.0f, 3.0f);
    EXPECT_EQ(m._41, 1.5f);
    EXPECT_EQ(m._42, -2.0f);
    EXPECT_EQ(m._43, 3.0f);
    EXPECT_EQ(m._11, 1.0f);
    EXPECT_EQ(m._44, 1.0f);
    EXPECT_EQ(m._14, 0.0f);
    ExpectNear(Transform(D3DXVECTOR3(1, 1, 1), m), 2.5f, -1.0f, 4.0f);
}

TEST(MatrixRotationYawPitchRoll, EachAngleTurnsAboutItsAxisInTheLeftHandedSense) {
    D3DXMATRIX m;
    D3DXMatrixRotationYawPitchRoll(&m, pi / 2, 0.0f, 0.0f);
    ExpectNear(Transform(D3DXVECTOR3(0, 0, 1), m), 1.0f, 0.0f, 0.0f);  // +z to +x
    D3DXMatrixRotationYawPitchRoll(&m, 0.0f, pi / 2, 0.0f);
    ExpectNear(Transform(D3DXVECTOR3(0, 0, 1), m), 0.0f, -1.0f, 0.0f);  // nose down
    D3DXMatrixRotationYawPitchRoll(&m, 0.0f, 0.0f, pi / 2);
    ExpectNear(Transform(D3DXVECTOR3(1, 0, 0), m), 0.0f, 1.0f, 0.0f);  // +x to +y
}

TEST(MatrixRotationYawPitchRoll, RollThenPitchThenYaw) {
    D3DXMATRIX m;
    // Pitch before yaw: +z pitches down to -y, which yaw leaves alone. (Yaw
    // first would give +x.)
    D3DXMatrixRotationYawPitchRoll(&m, pi / 2, pi / 2, 0.0f);
    ExpectNear(Transform(D3DXVECTOR3(0, 0, 1), m), 0.0f, -1.0f, 0.0f);
    // Roll before pitch: +x rolls up to +y, which pitches to +z. (Pitch first
    // would give +y.)
    D3DXMatrixRotationYawPitchRoll(&m, 0.0f, pi / 2, pi / 2);
    ExpectNear(Transform(D3DXVECTOR3(1, 0, 0), m), 0.0f, 0.0f, 1.0f);
    // And for arbitrary angles the same as the three turns multiplied in that order.
    D3DXMATRIX roll, pitch, yaw, expected;
    D3DXMatrixRotationYawPitchRoll(&roll, 0.0f, 0.0f, 0.3f);
    D3DXMatrixRotationYawPitchRoll(&pitch, 0.0f, -1.1f, 0.0f);
    D3DXMatrixRotationYawPitchRoll(&yaw, 2.2f, 0.0f, 0.0f);
    D3DXMatrixMultiply(&expected, &roll, &pitch);
    D3DXMatrixMultiply(&expected, &expected, &yaw);
    D3DXMatrixRotationYawPitchRoll(&m, 2.2f, -1.1f, 0.3f);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m.m[i / 4][i % 4], expected.m[i / 4][i % 4], 1e-6f);
}

TEST(MatrixLookAtLH, PutsTheTargetStraightAheadOnPositiveZ) {
    const D3DXVECTOR3 eye(5, 5, 5), at(1, 2, 3), up(0, 1, 0);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    const float distance = std::sqrt(16.0f + 9.0f + 4.0f);
    ExpectNear(Transform(at, view), 0.0f, 0.0f, distance);
    ExpectNear(Transform(eye, view), 0.0f, 0.0f, 0.0f);

    // Looking down +z from behind the origin: world +x is view +x (right),
    // world +y is view +y (up).
    const D3DXVECTOR3 back(0, 0, -10), origin(0, 0, 0);
    D3DXMatrixLookAtLH(&view, &back, &origin, &up);
    ExpectNear(Transform(D3DXVECTOR3(1, 2, 0), view), 1.0f, 2.0f, 10.0f);
}

TEST(MatrixPerspectiveFovLH, NearPlaneToDepthZeroFarPlaneToOne) {
    D3DXMATRIX projection;
    const float fov = pi / 4, aspect = 4.0f / 3.0f, zNear = 1.0f, zFar = 500.0f;
    D3DXMatrixPerspectiveFovLH(&projection, fov, aspect, zNear, zFar);
    EXPECT_NEAR(Transform(D3DXVECTOR3(0, 0, zNear), projection).z, 0.0f, 1e-6f);
    EXPECT_NEAR(Transform(D3DXVECTOR3(0, 0, zFar), projection).z, 1.0f, 1e-6f);
    // The top edge of the field of view maps to y = 1, the right edge (wider
    // by the aspect) to x = 1.
    const float half = std::tan(fov / 2) * 10.0f;
    const D3DXVECTOR3 corner = Transform(D3DXVECTOR3(half * aspect, half, 10.0f), projection);
    EXPECT_NEAR(corner.x, 1.0f, 1e-5f);
    EXPECT_NEAR(corner.y, 1.0f, 1e-5f);
    EXPECT_EQ(projection._34, 1.0f);
    EXPECT_EQ(projection._44, 0.0f);
}

TEST(Vector3, NormalizeLeavesZeroAtZero) {
    D3DXVECTOR3 v(3, 0, -4), out;
    D3DXVec3Normalize(&out, &v);
    ExpectNear(out, 0.6f, 0.0f, -0.8f);
    const D3DXVECTOR3 zero;
    D3DXVec3Normalize(&out, &zero);
    ExpectNear(out, 0.0f, 0.0f, 0.0f);
    EXPECT_FALSE(std::isnan(out.x));
}

TEST(Vector3, TransformNormalIgnoresTranslationTransformCoordDividesByW) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 7, 8, 9);
    D3DXVECTOR3 out;
    const D3DXVECTOR3 v(1, 0, 0);
    D3DXVec3TransformNormal(&out, &v, &m);
    ExpectNear(out, 1.0f, 0.0f, 0.0f);
    m._44 = 2.0f;  // w = 2 for every point
    D3DXVec3TransformCoord(&out, &v, &m);
    ExpectNear(out, 4.0f, 4.0f, 4.5f);
}

}  // namespace

namespace {

// The plain element-by-element computations, kept here as the reference the
// library's own must match bit for bit.
D3DMATRIX ReferenceProduct(const D3DMATRIX& m1, const D3DMATRIX& m2) {
    D3DMATRIX product{};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += m1.m[row][k] * m2.m[k][column];
            product.m[row][column] = sum;
        }
    }
    return product;
}

D3DMATRIX ReferenceYawPitchRoll(float yaw, float pitch, float roll) {
    D3DMATRIX aboutZ{}, aboutX{}, aboutY{};
    for (D3DMATRIX* m : {&aboutZ, &aboutX, &aboutY}) m->_11 = m->_22 = m->_33 = m->_44 = 1.0f;
    aboutZ._11 = Cosine(roll), aboutZ._12 = Sine(roll);
    aboutZ._21 = -Sine(roll), aboutZ._22 = Cosine(roll);
    aboutX._22 = Cosine(pitch), aboutX._23 = Sine(pitch);
    aboutX._32 = -Sine(pitch), aboutX._33 = Cosine(pitch);
    aboutY._11 = Cosine(yaw), aboutY._13 = -Sine(yaw);
    aboutY._31 = Sine(yaw), aboutY._33 = Cosine(yaw);
    return ReferenceProduct(ReferenceProduct(aboutZ, aboutX), aboutY);
}

// Bit for bit, signed zeros included. A NaN only has to stay a NaN: which
// of two NaN operands an operation passes on is the compiler's choice of
// operand order, even for the plain loop.
::testing::AssertionResult SameBits(const D3DMATRIX& actual, const D3DMATRIX& expected) {
    for (int i = 0; i < 16; ++i) {
        const float a = actual.m[i / 4][i % 4], e = expected.m[i / 4][i % 4];
        if (std::isnan(a) && std::isnan(e)) continue;
        if (std::memcmp(&a, &e, sizeof a) != 0) {
            return ::testing::AssertionFailure()
                   << "element " << i << ": " << a << " instead of " << e;
        }
    }
    return ::testing::AssertionSuccess();
}

// Ordinary values mixed with the ones rounding and signs can trip on.
float AwkwardValue(std::mt19937& random) {
    static const float specials[] = {0.0f,
                                     -0.0f,
                                     1.0f,
                                     -1.0f,
                                     std::numeric_limits<float>::denorm_min(),
                                     -std::numeric_limits<float>::min(),
                                     std::numeric_limits<float>::max(),
                                     std::numeric_limits<float>::infinity(),
                                     -std::numeric_limits<float>::infinity(),
                                     std::numeric_limits<float>::quiet_NaN(),
                                     1e-30f,
                                     3.0e30f};
    std::uniform_int_distribution<int> pick(0, 31);
    const int choice = pick(random);
    if (choice < 12) return specials[choice];
    return std::uniform_real_distribution<float>(-1000.0f, 1000.0f)(random);
}

}  // namespace

TEST(MatrixMultiply, SumsEachElementInOrderFromZeroToTheBit) {
    std::mt19937 random(9);
    for (int trial = 0; trial < 20000; ++trial) {
        D3DMATRIX a, b;
        for (int i = 0; i < 16; ++i) a.m[i / 4][i % 4] = AwkwardValue(random);
        for (int i = 0; i < 16; ++i) b.m[i / 4][i % 4] = AwkwardValue(random);
        D3DMATRIX product;
        D3DXMatrixMultiply(&product, &a, &b);
        ASSERT_TRUE(SameBits(product, ReferenceProduct(a, b))) << "trial " << trial;
        D3DXMatrixMultiply(&a, &a, &b);
        ASSERT_TRUE(SameBits(a, product)) << "trial " << trial;
    }
}

TEST(MatrixTranslation, IsTheIdentityWithTheOffsetInTheLastRow) {
    D3DMATRIX expected{};
    expected._11 = expected._22 = expected._33 = expected._44 = 1.0f;
    expected._41 = -0.0f, expected._42 = 2.5f,
    expected._43 = std::numeric_limits<float>::infinity();
    D3DMATRIX translation;
    D3DXMatrixTranslation(&translation, -0.0f, 2.5f, std::numeric_limits<float>::infinity());
    EXPECT_TRUE(SameBits(translation, expected));
}

// The game's sine, cosine and tangent are musl's in every build: where glibc's
// give another last bit (the values beside), these still give musl's.
TEST(FloatMath, GivesMuslsBitsWhereTheCLibrariesDiffer) {
    auto bits = [](float value) {
        uint32_t word = 0;
        std::memcpy(&word, &value, sizeof word);
        return word;
    };
    EXPECT_EQ(bits(Sine(0x1.b2133cp-10f)), 0x3ad90997u);     // glibc: 0x3ad90998
    EXPECT_EQ(bits(Sine(0x1.9000acp+6f)), 0xbf017c18u);      // glibc: 0xbf017c17
    EXPECT_EQ(bits(Cosine(0x1.921fdcp-1f)), 0x3f3504e6u);    // glibc: 0x3f3504e5
    EXPECT_EQ(bits(Tangent(0x1.713746p-12f)), 0x39b89ba3u);  // glibc: 0x39b89ba4
}

TEST(MatrixRotationYawPitchRoll, MatchesTheThreeTurnsMultipliedToTheBit) {
    std::mt19937 random(4);
    std::uniform_real_distribution<float> angle(-7.0f, 7.0f);
    D3DMATRIX previous = ReferenceYawPitchRoll(0.0f, 0.0f, 0.0f);
    for (int trial = 0; trial < 20000; ++trial) {
        // Often the same turn again, as for the trees, or one angle changed.
        const bool again = trial % 3 == 1;
        static float yaw = 0.0f, pitch = 0.0f, roll = 0.0f;
        if (!again) {
            yaw = trial % 5 == 0 ? AwkwardValue(random) : angle(random);
            if (trial % 2 == 0) pitch = trial % 7 == 0 ? -0.0f : angle(random);
            if (trial % 4 == 0) roll = angle(random);
        }
        D3DMATRIX turn;
        D3DXMatrixRotationYawPitchRoll(&turn, yaw, pitch, roll);
        const D3DMATRIX expected = ReferenceYawPitchRoll(yaw, pitch, roll);
        ASSERT_TRUE(SameBits(turn, expected)) << "trial " << trial;
        if (again) {
            ASSERT_TRUE(SameBits(turn, previous)) << "trial " << trial;
        }
        previous = expected;
    }
}

// The D3DX texture and font objects against a device that only records.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "render/d3dx_font.h"
#include "render/d3dx_texture.h"

namespace {

class StubTexture : public IDirect3DTexture9 {
  public:
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    UINT Width() const override { return width; }
    UINT Height() const override { return height; }
    UINT width = 0;
    UINT height = 0;
    ULONG references = 1;
};

struct CoverageCall {
    LONG left, top;
    UINT width, height;
    std::vector<uint8_t> coverage;
    D3DCOLOR color;
};

// Counts every state-changing call, records textures made and coverage drawn.
class StubDevice : public IDirect3DDevice9 {
  public:
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    HRESULT Reset(D3DPRESENT_PARAMETERS*) override { return Other(); }
    HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return Other(); }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return Other(); }
    HRESULT SetLight(DWORD, const D3DLIGHT9*) override { return Other(); }
    HRESULT LightEnable(DWORD, BOOL) override { return Other(); }
    HRESULT SetMaterial(const D3DMATERIAL9*) override { return Other(); }
    HRESULT SetTexture(DWORD, IDirect3DTexture9*) override { return Other(); }
    HRESULT Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override { return Other(); }
    HRESULT BeginScene() override { return Other(); }
    HRESULT EndScene() override { return Other(); }
    HRESULT Present(const RECT*, const RECT*, HWND, const void*) override { return Other(); }
    BOOL ShowCursor(BOOL) override { return Other(); }
    HRESULT CreateTextureFromPixels(UINT width, UINT height, const uint8_t* rgba,
                                    IDirect3DTexture9** texture) override {
        createdWidth = width;
        createdHeight = height;
        createdPixels.assign(rgba, rgba + size_t{width} * height * 4);
        if (FAILED(createResult)) return createResult;
        made.width = width;
        made.height = height;
        *texture = &made;
        return S_OK;
    }
    HRESULT CreateMeshBuffers(const D3DVERTEX*, UINT, const uint32_t*, UINT, const MeshRange*, UINT,
                              IDirect3DMeshBuffers9**) override {
        return Other();
    }
    HRESULT DrawMeshBuffers(IDirect3DMeshBuffers9*, UINT, UINT) override { return Other(); }
    HRESULT DrawCoverage(LONG left, LONG top, UINT width, UINT height, const uint8_t* coverage,
                         D3DCOLOR color) override {
        drawn.push_back(CoverageCall{left, top, width, height,
                                     std::vector<uint8_t>(coverage, coverage + width * height),
                                     color});
        return S_OK;
    }
    HRESULT ReadBackBuffer(UINT&, UINT&, std::vector<uint8_t>&) override { return Other(); }

    ULONG references = 1;
    int otherCalls = 0;
    HRESULT createResult = S_OK;
    UINT createdWidth = 0;
    UINT createdHeight = 0;
    std::vector<uint8_t> createdPixels;
    StubTexture made;
    std::vector<CoverageCall> drawn;

  private:
    HRESULT Other() {
        ++otherCalls;
        return S_OK;
    }
};

// A 2 x 1 BMP with an alpha mask, written to a temporary file named like a
// texture: file header, 108-byte V4 header (32-bit bit fields, masks red,
// green, blue, alpha in bytes 2, 1, 0, 3), two pixels.
std::string WriteTextureFile() {
    std::vector<uint8_t> file = {'B', 'M'};
    auto put32 = [&](uint32_t value) {
        for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    put32(14 + 108 + 8);
    put32(0);
    put32(14 + 108);
    put32(108);
    put32(2);
    put32(1);
    file.insert(file.end(), {1, 0, 32, 0});
    put32(3);
    file.resize(14 + 40, 0);
    put32(0x00FF0000);
    put32(0x0000FF00);
    put32(0x000000FF);
    put32(0xFF000000);
    file.resize(14 + 108, 0);
    file.insert(file.end(), {0x30, 0x20, 0x10, 0x00, 0xFF, 0xFF, 0xFF, 0xC0});
    char path[] = "/tmp/kestrune_leaves_XXXXXX.png";
    const int descriptor = mkstemps(path, 4);
    EXPECT_GE(descriptor, 0);
    EXPECT_EQ(write(descriptor, file.data(), file.size()), static_cast<ssize_t>(file.size()));
    close(descriptor);
    return path;
}

}  // namespace

TEST(D3DXCreateTextureFromFile, MakesATextureOfTheFileSizeWithItsAlpha) {
    const std::string path = WriteTextureFile();
    StubDevice device;
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(D3DXCreateTextureFromFileA(&device, path.c_str(), &texture), S_OK);
    EXPECT_EQ(texture, &device.made);
    EXPECT_EQ(device.createdWidth, 2u);
    EXPECT_EQ(device.createdHeight, 1u);
    EXPECT_EQ(device.createdPixels,
              (std::vector<uint8_t>{0x10, 0x20, 0x30, 0x00, 0xFF, 0xFF, 0xFF, 0xC0}));

    // The device refusing: its result comes back and the out pointer stays.
    IDirect3DTexture9* untouched = reinterpret_cast<IDirect3DTexture9*>(0x1234);
    device.createResult = E_OUTOFMEMORY;
    EXPECT_EQ(D3DXCreateTextureFromFileA(&device, path.c_str(), &untouched), E_OUTOFMEMORY);
    EXPECT_EQ(untouched, reinterpret_cast<IDirect3DTexture9*>(0x1234));
    unlink(path.c_str());
}

TEST(D3DXCreateTextureFromFile, MissingOrBrokenFilesFailWithoutTouchingTheDevice) {
    StubDevice device;
    IDirect3DTexture9* untouched = reinterpret_cast<IDirect3DTexture9*>(0x1234);
    EXPECT_LT(D3DXCreateTextureFromFileA(&device, "/nonexistent/tree.png", &untouched), 0);
    char path[] = "/tmp/kestrune_broken_XXXXXX";
    const int descriptor = mkstemp(path);
    ASSERT_GE(descriptor, 0);
    ASSERT_EQ(write(descriptor, "\x89PNG\r\n\x1a\n", 8), 8);
    close(descriptor);
    EXPECT_LT(D3DXCreateTextureFromFileA(&device, path, &untouched), 0);
    unlink(path);
    EXPECT_LT(D3DXCreateTextureFromFileA(nullptr, "/tmp", &untouched), 0);
    EXPECT_EQ(untouched, reinterpret_cast<IDirect3DTexture9*>(0x1234));
    EXPECT_TRUE(device.createdPixels.empty());
}

TEST(D3DXCreateFont, ResolvesTheFaceAndHoldsTheDevice) {
    StubDevice device;
    ID3DXFont* font = nullptr;
    ASSERT_EQ(
        D3DXCreateFontA(&device, -24, 0, FW_BOLD, 0, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                        DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial", &font),
        S_OK);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->Font().FamilyName(), "Liberation Sans");
    EXPECT_EQ(font->Font().StyleName(), "Bold");
    EXPECT_EQ(device.references, 2u);
    EXPECT_EQ(font->Release(), 0u);
    EXPECT_EQ(device.references, 1u);

    ID3DXFont* untouched = reinterpret_cast<ID3DXFont*>(0x1234);
    EXPECT_LT(D3DXCreateFontA(nullptr, -24, 0, FW_BOLD, 0, FALSE, DEFAULT_CHARSET,
                              OUT_TT_ONLY_PRECIS, DEFAULT_QUALITY, 0, "Arial", &untouched),
              0);
    EXPECT_EQ(untouched, reinterpret_cast<ID3DXFont*>(0x1234));
}

TEST(D3DXCreateFont, UsesAtMostThirtyOneCharactersOfTheFaceName) {
    // fontconfig ignores blanks in family names: the first 31 characters name
    // Liberation Mono, the whole string names nothing.
    const std::string name = std::string("Liberation Mono") + std::string(16, ' ') + "Serif";
    ASSERT_EQ(name.size(), 36u);
    StubDevice device;
    ID3DXFont* font = nullptr;
    ASSERT_EQ(D3DXCreateFontA(&device, -24, 0, FW_BOLD, 0, FALSE, DEFAULT_CHARSET,
                              OUT_TT_ONLY_PRECIS, DEFAULT_QUALITY, 0, name.c_str(), &font),
              S_OK);
    EXPECT_EQ(font->Font().FamilyName(), "Liberation Mono");
    font->Release();
}

TEST(ID3DXFontDrawText, HandsTheLaidOutCoverageToTheDeviceAndNothingElse) {
    StubDevice device;
    ID3DXFont* font = nullptr;
    ASSERT_EQ(D3DXCreateFontA(&device, -24, 0, FW_BOLD, 0, FALSE, DEFAULT_CHARSET,
                              OUT_TT_ONLY_PRECIS, DEFAULT_QUALITY, 0, "Arial", &font),
              S_OK);
    RECT rect{0, 5, 640, 40};
    const INT height = font->DrawTextA(nullptr, "Lap:2", -1, &rect, DT_CENTER, 0xFFFF00FF);
    ASSERT_EQ(device.drawn.size(), 1u);
    TextCoverage expected;
    std::unique_ptr<TextFont> sameFace;
    ASSERT_EQ(CreateTextFont("Arial", -24, FW_BOLD, FALSE, sameFace), S_OK);
    EXPECT_EQ(height, LayoutText(*sameFace, "Lap:2", -1, rect, DT_CENTER, expected));
    const CoverageCall& call = device.drawn[0];
    EXPECT_EQ(call.left, expected.left);
    EXPECT_EQ(call.top, expected.top);
    EXPECT_EQ(call.width, expected.width);
    EXPECT_EQ(call.height, expected.height);
    EXPECT_EQ(call.coverage, expected.alpha);
    EXPECT_EQ(call.color, 0xFFFF00FFu);
    // No render, texture or transform state was touched to draw it.
    EXPECT_EQ(device.otherCalls, 0);

    // Nothing visible: nothing drawn.
    font->DrawTextA(nullptr, "", -1, &rect, DT_CENTER, 0xFFFF00FF);
    font->DrawTextA(nullptr, "\n", -1, &rect, DT_SINGLELINE, 0xFFFF00FF);
    RECT empty{0, 5, 640, 5};
    font->DrawTextA(nullptr, "Lap:2", -1, &empty, DT_CENTER, 0xFFFF00FF);
    EXPECT_EQ(font->DrawTextA(nullptr, nullptr, -1, &rect, DT_CENTER, 0xFFFF00FF), 0);
    EXPECT_EQ(device.drawn.size(), 1u);

    // Without a rectangle the text starts at the origin, unclipped.
    font->DrawTextA(nullptr, "Lap:2", -1, nullptr, 0, 0xFF00FF00);
    ASSERT_EQ(device.drawn.size(), 2u);
    EXPECT_GE(device.drawn[1].left, 0);
    EXPECT_LE(device.drawn[1].left, 3);
    EXPECT_GE(device.drawn[1].top, 0);
    font->Release();
}

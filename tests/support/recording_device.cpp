#include "tests/support/recording_device.h"

namespace {

int64_t Address(const void* object) {
    return static_cast<int64_t>(reinterpret_cast<intptr_t>(object));
}

void Append(std::vector<float>& values, const D3DCOLORVALUE& colour) {
    values.insert(values.end(), {colour.r, colour.g, colour.b, colour.a});
}

void Append(std::vector<float>& values, const D3DVECTOR& vector) {
    values.insert(values.end(), {vector.x, vector.y, vector.z});
}

}  // namespace

HRESULT RecordingDevice::Record(const char* name, std::vector<int64_t> arguments,
                                std::vector<float> values) {
    calls.push_back({name, std::move(arguments), std::move(values)});
    auto result = results.find(name);
    return result == results.end() ? S_OK : result->second;
}

HRESULT RecordingDevice::Reset(D3DPRESENT_PARAMETERS* parameters) {
    if (!parameters) return Record("Reset", {});
    resetParameters = *parameters;
    return Record("Reset", {parameters->BackBufferWidth, parameters->BackBufferHeight,
                            parameters->BackBufferFormat, parameters->Windowed,
                            parameters->PresentationInterval});
}

HRESULT RecordingDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    return Record("SetRenderState", {state, value});
}

HRESULT RecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    std::vector<float> values;
    if (matrix) values.assign(&matrix->m[0][0], &matrix->m[0][0] + 16);
    return Record("SetTransform", {state}, std::move(values));
}

HRESULT RecordingDevice::SetLight(DWORD index, const D3DLIGHT9* light) {
    if (!light) return Record("SetLight", {index});
    std::vector<float> values;
    Append(values, light->Diffuse);
    Append(values, light->Specular);
    Append(values, light->Ambient);
    Append(values, light->Position);
    Append(values, light->Direction);
    values.insert(values.end(),
                  {light->Range, light->Falloff, light->Attenuation0, light->Attenuation1,
                   light->Attenuation2, light->Theta, light->Phi});
    return Record("SetLight", {index, light->Type}, std::move(values));
}

HRESULT RecordingDevice::LightEnable(DWORD index, BOOL enable) {
    return Record("LightEnable", {index, enable});
}

HRESULT RecordingDevice::SetMaterial(const D3DMATERIAL9* material) {
    std::vector<float> values;
    if (material) {
        Append(values, material->Diffuse);
        Append(values, material->Ambient);
        Append(values, material->Specular);
        Append(values, material->Emissive);
        values.push_back(material->Power);
    }
    return Record("SetMaterial", {}, std::move(values));
}

HRESULT RecordingDevice::SetTexture(DWORD stage, IDirect3DTexture9* texture) {
    return Record("SetTexture", {stage, Address(texture)});
}

HRESULT RecordingDevice::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color,
                               float z, DWORD stencil) {
    return Record("Clear", {count, Address(rects), flags, color, stencil}, {z});
}

HRESULT RecordingDevice::BeginScene() {
    return Record("BeginScene", {});
}

HRESULT RecordingDevice::EndScene() {
    return Record("EndScene", {});
}

HRESULT RecordingDevice::Present(const RECT* source, const RECT* destination, HWND window,
                                 const void* dirtyRegion) {
    return Record("Present",
                  {Address(source), Address(destination), Address(window), Address(dirtyRegion)});
}

BOOL RecordingDevice::ShowCursor(BOOL show) {
    Record("ShowCursor", {show});
    cursorCount += show ? 1 : -1;
    return cursorCount;
}

HRESULT RecordingDevice::CreateTextureFromPixels(UINT width, UINT height, const uint8_t* rgba,
                                                 IDirect3DTexture9** texture) {
    const HRESULT result = Record("CreateTextureFromPixels", {width, height});
    if (FAILED(result) || !texture) return FAILED(result) ? result : E_INVALIDARG;
    auto made = std::make_unique<RecordingTexture>();
    made->width = width;
    made->height = height;
    if (rgba) made->rgba.assign(rgba, rgba + static_cast<size_t>(width) * height * 4);
    *texture = made.get();
    textures.push_back(std::move(made));
    return result;
}

HRESULT RecordingDevice::CreateMeshBuffers(const D3DVERTEX* vertices, UINT vertexCount,
                                           const uint32_t* indices, UINT indexCount,
                                           const MeshRange* /*ranges*/, UINT /*rangeCount*/,
                                           IDirect3DMeshBuffers9** buffers) {
    const HRESULT result = Record("CreateMeshBuffers", {vertexCount, indexCount});
    if (FAILED(result) || !buffers) return FAILED(result) ? result : E_INVALIDARG;
    auto made = std::make_unique<RecordingMeshBuffers>();
    if (vertices) made->vertices.assign(vertices, vertices + vertexCount);
    if (indices) made->indices.assign(indices, indices + indexCount);
    *buffers = made.get();
    meshBuffers.push_back(std::move(made));
    return result;
}

HRESULT RecordingDevice::DrawMeshBuffers(IDirect3DMeshBuffers9* buffers, UINT firstIndex,
                                         UINT indexCount) {
    return Record("DrawMeshBuffers", {Address(buffers), firstIndex, indexCount});
}

HRESULT RecordingDevice::DrawCoverage(LONG left, LONG top, UINT width, UINT height,
                                      const uint8_t* coverage, D3DCOLOR color) {
    (void)coverage;
    return Record("DrawCoverage", {left, top, width, height, color});
}

HRESULT RecordingDevice::ReadBackBuffer(UINT& width, UINT& height, std::vector<uint8_t>& rgba) {
    const HRESULT result = Record("ReadBackBuffer", {});
    if (SUCCEEDED(result)) {
        // Nothing is drawn, so there is nothing to hand out.
        width = 0;
        height = 0;
        rgba.clear();
    }
    return result;
}

std::vector<const RecordedCall*> RecordingDevice::CallsNamed(const std::string& name) const {
    std::vector<const RecordedCall*> named;
    for (const RecordedCall& call : calls)
        if (call.name == name) named.push_back(&call);
    return named;
}

size_t RecordingDevice::CountOf(const std::string& name) const {
    return CallsNamed(name).size();
}

const RecordedCall* RecordingDevice::LastCall(const std::string& name) const {
    for (auto call = calls.rbegin(); call != calls.rend(); ++call)
        if (call->name == name) return &*call;
    return nullptr;
}

size_t RecordingDevice::LiveTextures() const {
    size_t live = 0;
    for (const auto& texture : textures) live += texture->references > 0;
    return live;
}

size_t RecordingDevice::LiveMeshBuffers() const {
    size_t live = 0;
    for (const auto& buffers : meshBuffers) live += buffers->references > 0;
    return live;
}

std::vector<std::string> RecordingDevice::CallNames() const {
    std::vector<std::string> names;
    for (const RecordedCall& call : calls) names.push_back(call.name);
    return names;
}

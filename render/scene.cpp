#include "render/scene.h"

#include <cmath>

#include "core/camera.h"
#include "core/options.h"
#include "race/game_state.h"
#include "race/race_records.h"
#include "render/d3dx_font.h"
#include "render/d3dx_math.h"
#include "render/device.h"
#include "render/ghost_drawing.h"
#include "render/mesh_object.h"
#include "render/text_layout.h"
#include "render/view_shape.h"

namespace {

constexpr D3DCOLOR daySky = 0xFF2850FF;
constexpr D3DCOLOR nightSky = 0xFF000000;
constexpr D3DCOLOR hudColour = 0xFFFF00FF;
const D3DXVECTOR3 cameraUp(0.0f, 1.0f, 0.0f);

void DrawIfLoaded(MeshObject* object) {
    if (object) object->Draw();
}

// A distance of the original's 480-row picture, in this picture's rows.
LONG Scaled(LONG rows) {
    return static_cast<LONG>(std::lround(static_cast<float>(rows) * viewShape.hudScale));
}

void DrawHud() {
    const LONG width = static_cast<LONG>(viewWidth);
    const LONG height = static_cast<LONG>(viewHeight);
    RECT messageLine = {0, Scaled(5), width, Scaled(40)};
    hudFont->DrawTextA(nullptr, messageText, -1, &messageLine, DT_CENTER, hudColour);
    RECT scoreLine = {static_cast<LONG>(viewShape.scoreLeft), height - Scaled(80), width, height};
    hudFont->DrawTextA(nullptr, scoreText, -1, &scoreLine, DT_SINGLELINE, hudColour);
    // In the middle, between the two lines, so that it hides neither.
    if (racePaused) {
        RECT pausedLine = {0, height / 2 - Scaled(20), width, height / 2 + Scaled(20)};
        hudFont->DrawTextA(nullptr, pausedText, -1, &pausedLine, DT_CENTER, hudColour);
    }
}

// The lap times at the picture's left, under the message line and above the
// score line, clear of the road ahead in the middle of the picture.
void DrawLapTimes() {
    if (lapTimesText[0] == '\0') return;
    const LONG width = static_cast<LONG>(viewWidth);
    const LONG height = static_cast<LONG>(viewHeight);
    RECT lapLines = {static_cast<LONG>(viewShape.scoreLeft) + Scaled(8), Scaled(40), width,
                     height - Scaled(80)};
    hudFont->DrawTextA(nullptr, lapTimesText, -1, &lapLines, DT_LEFT, hudColour);
}

}  // namespace

void RenderFrame() {
    device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    const bool sceneBegun = SUCCEEDED(device->BeginScene());
    if (sceneBegun) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER,
                      GameOptions.lightsOn ? nightSky : daySky, 1.0f, 0);

        // The aspect ratio is 1.0 whatever the window: the picture has always
        // been stretched to the view's width. Only a back buffer of the
        // display's own size widens the view instead (render/view_shape.h).
        D3DXMATRIX projection;
        D3DXMatrixPerspectiveFovLH(&projection, 0.785398185f, viewShape.aspect, 3.7f, 500.0f);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        D3DXMATRIX view;
        const D3DXVECTOR3 eye(cameraEye.x, cameraEye.y, cameraEye.z);
        const D3DXVECTOR3 target(cameraTarget.x, cameraTarget.y, cameraTarget.z);
        D3DXMatrixLookAtLH(&view, &eye, &target, &cameraUp);
        device->SetTransform(D3DTS_VIEW, &view);

        DrawIfLoaded(trackObject);
        DrawIfLoaded(carObject);
        // Robots before flags: each flag multiplies in its robot's world
        // matrix of this frame.
        for (MeshObject* robot : robotObjects) DrawIfLoaded(robot);
        DrawIfLoaded(advertObject);
        for (MeshObject* flag : flagObjects) DrawIfLoaded(flag);

        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        // Unsorted, with depth writes on: the trees are flat and face the
        // camera together.
        for (MeshObject* tree : treeObjects) DrawIfLoaded(tree);
        DrawGhost();
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);

        if (hudFont) {
            DrawHud();
            DrawLapTimes();
        }
        device->EndScene();
    }
    // Presented even when the scene could not begin: the picture then shows
    // whatever the back buffer held.
    device->Present(nullptr, nullptr, nullptr, nullptr);
}

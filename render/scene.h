#pragma once
// One complete frame: the sky, the scene from the chase camera, the two text
// lines, presented.
void RenderFrame();

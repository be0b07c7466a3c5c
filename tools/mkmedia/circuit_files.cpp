// The three files drawn from the circuit's one centre line.
#include <cstdio>

#include "circuit.h"
#include "ground_mesh.h"
#include "image_files.h"
#include "media_writers.h"
#include "track_map.h"
#include "x_file_writer.h"

bool WriteCircuitFiles(const std::string& folder) {
    if (!WriteText(folder + "/circuit.txt", CircuitText())) return false;
    if (!WriteBmp565(folder + "/trackmap16.bmp", trackMapSize, trackMapSize, PaintTrackMap())) {
        return false;
    }
    std::string problem;
    Model ground = BuildGroundModel(problem);
    if (ground.faces.empty()) {
        std::fprintf(stderr, "kestrune-mkmedia: track.x: %s\n", problem.c_str());
        return false;
    }
    return WriteTextXFile(folder + "/track.x", ground, MaterialStyle::References);
}

#pragma once
// The trees, the four wandering robots with their flags, the advert board, and
// the car's hits on them.
#include "render/mesh_object.h"

// The trees' ground spots, x, y, z. Kept in double because the hit test
// measures against these values, not the trees' float positions, and a car
// grazing a tree at 3 units must be judged the same way every time. Nothing in
// the game writes it; it is left writable so that tests can stand trees where
// the circuit has none (no two of its trees are within reach of one car).
extern double treeSpots[treeCount][3];

// Puts robots, trees, flags and advert at their race-start places, all
// present. Robot velocity and yaw, and the trees' rotation, are left alone.
void PlaceObstacles();

// Turns every tree, removed or not, to the car's rotation, so that each shows
// the chase camera the same face.
void AlignTrees();

// Waiting: each robot fidgets on the spot by the last racing frame's duration
// and stands on the ground.
void TurnRobots();

// Racing: each robot, present or removed, wobbles, is pulled towards the car,
// and moves; three random draws per robot, yaw first.
void MoveRobots();

// Racing, after drawing: at most one tree and then at most one robot hit per
// frame, each raising the damage and showing its message; a near robot may
// call out.
void CheckCollisions();

#include "tools/headless/race_replay.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "core/options.h"
#include "race/game_state.h"
#include "render/device.h"

namespace {

constexpr const char* magic = "kestrune-replay 1";

std::string WithoutLineBreak(const char* text) {
    std::string line = text;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

}  // namespace

namespace {

// One race from File > Start to its end: `startClock` whenever the race
// waits, `hand` before every `everyFrames`-th racing frame.
RaceOutcome DriveRace(HeadlessProgram& program, int everyFrames,
                      const std::function<void()>& startClock, const std::function<void()>& hand,
                      const std::function<void(long frame)>& afterFrame, long frameLimit) {
    RaceOutcome outcome;
    program.ChooseStart();
    long racingFrames = 0;
    bool raceWasOn = false;
    while (device != nullptr && program.Frames() < frameLimit) {
        if (phase == Waiting) startClock();
        // The click is handled first in the loop turn: a frame that begins
        // waiting and a frame that begins racing are told apart here.
        program.DispatchWaitingMessages();
        if (phase == Racing) {
            if (racingFrames % everyFrames == 0) hand();
            ++racingFrames;
        }
        raceWasOn = raceWasOn || phase == Racing;
        program.LoopOnce();
        if (afterFrame) afterFrame(program.Frames());
        if (raceWasOn && phase == NewRace) {
            outcome.ended = true;
            break;
        }
    }
    outcome.frames = program.Frames();
    outcome.laps = lapCount;
    outcome.hits = damageLevel;
    outcome.raceTime = raceTime;
    outcome.message = WithoutLineBreak(messageText);
    outcome.scoreLine = WithoutLineBreak(scoreText);
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;
    if (program.ReadPicture(width, height, rgba)) outcome.picture = Fingerprint(rgba);
    return outcome;
}

}  // namespace

RaceOutcome RunRace(HeadlessProgram& program, int moveEvery,
                    const std::function<MousePixel()>& hand,
                    const std::function<void(long frame)>& afterFrame, long frameLimit) {
    return DriveRace(
        program, moveEvery, [&] { program.Click(); },
        [&] {
            const MousePixel mouse = hand();
            program.MoveMouse(mouse.x, mouse.y);
        },
        afterFrame, frameLimit);
}

RaceOutcome RunRaceByKeys(HeadlessProgram& program, const std::function<void()>& keys,
                          const std::function<void(long frame)>& afterFrame, long frameLimit) {
    return DriveRace(
        program, 1,
        [&] {
            program.PressKey(VK_SPACE);
            program.ReleaseKey(VK_SPACE);
        },
        keys, afterFrame, frameLimit);
}

RaceOutcome DriveReplay(HeadlessProgram& program, const Replay& replay,
                        const std::function<void(long frame)>& afterFrame, size_t& movesTaken) {
    movesTaken = 0;
    if (replay.path.empty()) return RaceOutcome{};
    GameOptions = GameOptionsRecord{};
    GameOptions.lightsOn = static_cast<uint32_t>(replay.lightsOn);
    auto hand = [&] {
        const MousePixel mouse = replay.path[std::min(movesTaken, replay.path.size() - 1)];
        ++movesTaken;
        return mouse;
    };
    return RunRace(program, replay.moveEvery, hand, afterFrame, replay.outcome.frames + 1);
}

std::string FloatBits(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    char text[16];
    std::snprintf(text, sizeof text, "0x%08" PRIx32, bits);
    return text;
}

std::string OutcomeLines(const RaceOutcome& outcome) {
    return "frames " + std::to_string(outcome.frames) + "\nlaps " + std::to_string(outcome.laps) +
           "\nhits " + std::to_string(outcome.hits) + "\nrace-time " + FloatBits(outcome.raceTime) +
           "\nmessage " + outcome.message + "\nscore " + outcome.scoreLine + "\n";
}

bool WriteReplay(const std::string& path, const Replay& replay) {
    std::ofstream file(path, std::ios::trunc);
    const RaceOutcome& end = replay.outcome;
    char picture[24];
    std::snprintf(picture, sizeof picture, "%016" PRIx64, end.picture);
    file << magic << "\n"
         << "drawable " << replay.drawableWidth << " " << replay.drawableHeight << "\n"
         << "move-every " << replay.moveEvery << "\n"
         << "lights " << replay.lightsOn << "\n"
         << OutcomeLines(end) << "picture " << picture << "\n"
         << "path " << replay.path.size() << "\n";
    for (const MousePixel& mouse : replay.path) file << mouse.x << " " << mouse.y << "\n";
    file.flush();
    return static_cast<bool>(file);
}

bool ReadReplay(const std::string& path, Replay& replay, std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    std::string line;
    std::getline(file, line);
    if (line != magic) {
        error = path + " is not a replay";
        return false;
    }
    // Each field on its own line, in the order written.
    auto field = [&](const char* name, std::string& value) {
        if (!std::getline(file, line) ||
            line.compare(0, std::strlen(name) + 1, std::string(name) + " ") != 0) {
            error = path + ": expected \"" + name + "\"";
            return false;
        }
        value = line.substr(std::strlen(name) + 1);
        return true;
    };
    std::string drawable, moveEvery, lights, frames, laps, hits, raceTimeBits, picture, count;
    RaceOutcome& end = replay.outcome;
    if (!field("drawable", drawable) || !field("move-every", moveEvery) ||
        !field("lights", lights) || !field("frames", frames) || !field("laps", laps) ||
        !field("hits", hits) || !field("race-time", raceTimeBits) ||
        !field("message", end.message) || !field("score", end.scoreLine) ||
        !field("picture", picture) || !field("path", count)) {
        return false;
    }
    std::istringstream(drawable) >> replay.drawableWidth >> replay.drawableHeight;
    replay.moveEvery = std::atoi(moveEvery.c_str());
    replay.lightsOn = std::atoi(lights.c_str());
    end.ended = true;
    end.frames = std::atol(frames.c_str());
    end.laps = std::atoi(laps.c_str());
    end.hits = std::atoi(hits.c_str());
    const uint32_t bits = static_cast<uint32_t>(std::strtoul(raceTimeBits.c_str(), nullptr, 16));
    std::memcpy(&end.raceTime, &bits, sizeof bits);
    end.picture = std::strtoull(picture.c_str(), nullptr, 16);
    const long moves = std::atol(count.c_str());
    replay.path.clear();
    for (long i = 0; i < moves; ++i) {
        MousePixel mouse{};
        if (!(file >> mouse.x >> mouse.y)) {
            error = path + ": the path ends after " + std::to_string(i) + " of " + count + " moves";
            return false;
        }
        replay.path.push_back(mouse);
    }
    if (replay.moveEvery < 1 || replay.drawableWidth < 1 || replay.drawableHeight < 1) {
        error = path + ": bad drawable size or move interval";
        return false;
    }
    return true;
}

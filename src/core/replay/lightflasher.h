#pragma once

#include "core/race.h"
#include "core/scene/scenestate.h"

#include <QtGlobal>

#include <vector>

namespace velaro {

// The light timer ticks once a second from program start; each tick sets
// every navigation light's state for the coming second, and the frames in
// between raise the phase that makes the lit lights' rings grow.
inline constexpr int kLightTimerIntervalMs = 1000;

inline constexpr Rgb kLightRed{255, 0, 0};
inline constexpr Rgb kLightGreen{0, 128, 0};
inline constexpr Rgb kLightWhite{255, 255, 255};

// Where light number lightNumber (1-based) stands in its period at tick
// FlashTick: adding the number staggers lights of equal period. 0 for a
// light without a period.
int lightPeriodPhase(qint64 FlashTick, int lightNumber, int period);

// The state of one light after tick FlashTick (ticks count from 1; 0 is
// before the first): dark at phase 0 and lit during the on-time that
// follows it, in the colour of the first letter of the code; a code of two
// or more letters also lights half a period after phase 0, in the colour of
// its last letter, which then holds until the next phase 0. A light without
// a positive period never lights.
LightFlash lightStateAt(const Light& light, int lightNumber, qint64 FlashTick);

// Every light's state after tick FlashTick, light n at n - 1.
std::vector<LightFlash> flashLights(const std::vector<Light>& lights, qint64 FlashTick);

// LightPhase after one frame of frameIntervalMs: seconds since the last tick
// of the light timer, held at one second so that a late tick cannot blow a
// ring up beyond half the light's range.
double advanceLightPhase(double LightPhase, int frameIntervalMs);

}  // namespace velaro

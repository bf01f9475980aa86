#include "core/replay/lightflasher.h"

#include <algorithm>
#include <optional>

namespace velaro {

namespace {

Rgb firstColour(const QString& code) {
  if (code.startsWith(QLatin1Char('R'))) {
    return kLightRed;
  }
  if (code.startsWith(QLatin1Char('G'))) {
    return kLightGreen;
  }
  return kLightWhite;
}

// The colour of a light's half-period flash; none when its last letter
// names no colour, and the light keeps the first one.
std::optional<Rgb> secondColour(const QString& code) {
  if (code.endsWith(QLatin1Char('R'))) {
    return kLightRed;
  }
  if (code.endsWith(QLatin1Char('G'))) {
    return kLightGreen;
  }
  return std::nullopt;
}

}  // namespace

int lightPeriodPhase(qint64 FlashTick, int lightNumber, int period) {
  if (period <= 0) {
    return 0;
  }
  const qint64 phase = (FlashTick + lightNumber) % period;
  return static_cast<int>(phase < 0 ? phase + period : phase);
}

LightFlash lightStateAt(const Light& light, int lightNumber, qint64 FlashTick) {
  LightFlash flash;
  flash.LightColour = firstColour(light.colours);
  if (light.period <= 0 || FlashTick < 1) {
    return flash;
  }
  const int period = light.period;
  const int phase = lightPeriodPhase(FlashTick, lightNumber, period);
  // A negative on-time counts as none, so a one-tick period stays dark
  // rather than lit for good.
  const int onTime = std::max(0, light.onTime);
  if (phase > 0 && phase <= onTime) {
    flash.LightLit = phase;
  }
  const bool twoColours = light.colours.size() >= 2 && period % 2 == 0;
  if (twoColours) {
    const int half = period / 2;
    if (phase == half) {
      flash.LightLit = 1;
    }
    // The second colour holds from the half-period flash to the next
    // phase 0, provided that flash came after the timer started.
    const std::optional<Rgb> second = secondColour(light.colours);
    if (second && phase >= half && FlashTick - (phase - half) >= 1) {
      flash.LightColour = *second;
    }
  }
  return flash;
}

std::vector<LightFlash> flashLights(const std::vector<Light>& lights, qint64 FlashTick) {
  std::vector<LightFlash> flashes;
  flashes.reserve(lights.size());
  for (size_t i = 0; i < lights.size(); ++i) {
    flashes.push_back(lightStateAt(lights[i], static_cast<int>(i) + 1, FlashTick));
  }
  return flashes;
}

double advanceLightPhase(double LightPhase, int frameIntervalMs) {
  return std::clamp(LightPhase + frameIntervalMs / 1000.0, 0.0, 1.0);
}

}  // namespace velaro

#include "engine/gear_panel.h"

#include "common/common.h"
#include "engine/ai.h"
#include "engine/car_data.h"
#include "engine/define.h"
#include "engine/gui_init.h"
#include "engine/gui_manager.h"
#include "engine/mouse.h"
#include "platform/platform.h"

namespace {
long long gPanelsOpened = 0;

// At least two characters, so the rows line up.
std::string PadLeft2(long long value) {
  std::string text = Decimal(value);
  return text.size() < 2 ? " " + text : text;
}

std::string GearName(int gear) {
  return gear == 6 ? "Top" : Decimal(gear);
}

// Colours of a row (red in the low byte): the riskier, the redder.
int RiskColour(int risk) {
  if (risk >= 99) return 0x0000E0;
  if (risk >= 3) return 0x0030C0;
  if (risk >= 1) return 0x0070B0;
  return 0x000000;
}
}  // namespace

std::string RiskWords(int risk) {
  if (risk <= 0) return "safe";
  if (risk == 1) return "may go off the line";
  if (risk < 99) return "chance: spin-out or crash";
  return "crash";
}

GearAdvice AdviseGears(const int states[kGearButtons]) {
  GearAdvice advice;
  if (!SelectCar(gRace.currentCar)) return advice;
  KeepCurrent keep;
  const CarRecord& car = CurrentCar();
  if (!SelectNode(car.listInd)) return advice;
  const NodeRecord& node = CurrentNode();
  auto limitOf = [&car](int type) { return type == 1 ? car.sharp : car.hairpin; };
  if (node.corner == 1 || node.corner == 2) {
    advice.corner = node.corner == 1 ? "in a sharp corner" : "in a hairpin";
    advice.safeGear = "safe gear: " + GearName(limitOf(node.corner));
  } else if (node.nextCornerType == 1 || node.nextCornerType == 2) {
    advice.corner = std::string(node.nextCornerType == 1 ? "sharp corner" : "hairpin") + " in " +
                    Decimal(node.distanceInMPs) + " MP";
    advice.safeGear = "safe gear: " + GearName(limitOf(node.nextCornerType));
  } else {
    advice.corner = "no corner ahead";
  }
  for (int i = 0; i < kGearButtons; ++i) {
    if (states[i] == 2) continue;
    int gear = i < 6 ? i + 1 : 6;  // "use OR" is Top
    long long mp = static_cast<long long>(GearMP(gear)) + car.bonus;
    advice.risks[i] = EvaluateGear(gear);
    advice.rows[i] = PadLeft2(mp) + " MP " + RiskWords(advice.risks[i]);
  }
  return advice;
}

void ShowGearAdvice() {
  GameElements& e = gElements;
  if (e.GearButtons == nullptr || e.GearCornerLabel == nullptr) return;
  int states[kGearButtons];
  for (int i = 0; i < kGearButtons; ++i) states[i] = GetButtonState(e.GearButtons, i);
  GearAdvice advice = AdviseGears(states);
  SetLabel(e.GearCornerLabel, advice.corner, 0);
  SetLabel(e.GearSafeLabel, advice.safeGear, 0);
  for (int i = 0; i < kGearButtons; ++i)
    SetLabel(e.GearAdviceLabels[i], advice.rows[i], RiskColour(advice.risks[i]));
}

void BringCurrentCarIntoView() {
  if (gProg.centerMode != 0 || !SelectCar(gRace.currentCar)) return;
  const CarRecord& car = CurrentCar();
  if (car.listInd < 0 || car.listInd >= static_cast<int>(Node().size())) return;
  const NodeRecord& node = Node()[car.listInd];
  int lane = car.lane == 1 ? 1 : 0;
  // The car's centre on the screen; half a car of margin counts as hidden.
  int x = node.nodeX * kTileSize + node.x[lane] - gProg.scrollX;
  int y = node.nodeY * kTileSize + node.y[lane] - gProg.scrollY;
  constexpr int kMargin = 32;
  bool hidden = x < kMargin || y < kMargin || x > gProg.trackViewWidth - kMargin ||
                y > PlatScreenHeight() - kMargin;
  for (const Frame* frame : {gElements.GearFrame, gElements.GearInfoFrame}) {
    if (frame == nullptr) continue;
    if (x >= FrameX(frame) - kMargin && x <= FrameRight(frame) + kMargin &&
        y >= FrameY(frame) - kMargin && y <= FrameBottom(frame) + kMargin)
      hidden = true;
  }
  if (hidden) CentreView(node.nodeX, node.nodeY);
}

void PrepareGearPanel() {
  ++gPanelsOpened;
  // The cars the player drives are chosen after the running order was first
  // shown: mark them there now.
  ShowStandings();
  BringCurrentCarIntoView();
  ShowGearAdvice();
}

long long GearPanelsOpened() {
  return gPanelsOpened;
}
